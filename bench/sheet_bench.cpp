// sheet-bench OUT.xls [SHEETS]: adds SHEETS table-definition pages, drawn by
// the export's page builder, to a new workbook, saving after every page as
// the export does, and reports how fast pages are built and saved.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/runtime_error.h"
#include "engine/sheet/workbook.h"
#include "form_page.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: sheet-bench OUT.xls [SHEETS]\n");
        return 2;
    }
    const std::string out = argv[1];
    const int sheets = argc == 3 ? std::atoi(argv[2]) : 100;
    if (sheets < 1) {
        std::fprintf(stderr, "sheet-bench: SHEETS must be at least 1\n");
        return 2;
    }
    try {
        // As the export does: the standard font is set on a throwaway instance
        // and applies to the workbook created next.
        auto setup = kolumbra::sheet::CreateWorkbook();
        setup->GetApplication().SetStandardFont("ＭＳ 明朝");
        setup->GetApplication().SetStandardFontSize(10);
        setup->GetApplication().Quit();
        auto created = kolumbra::sheet::CreateWorkbook();
        created->SaveAs(out);
        created->GetApplication().Quit();
        auto book = kolumbra::sheet::GetWorkbook(out);
        double buildTotal = 0, saveTotal = 0;
        const auto start = Clock::now();
        for (int n = 1; n <= sheets; ++n) {
            const auto t0 = Clock::now();
            kolumbra::sheet::Sheets all = book->GetSheets();
            kolumbra::sheet::Worksheet sheet = all.Add(all.Item(all.Count()));
            sheet.SetName("TABLE_" + std::to_string(n));
            kolumbra::testing::DrawFormPage(sheet, n, sheets);
            book->Windows(1).SetVisible(true);
            book->Windows(1).SetWindowState(kolumbra::sheet::xl::Maximized);
            const auto t1 = Clock::now();
            book->Save();
            const auto t2 = Clock::now();
            buildTotal += Millis(t1 - t0);
            saveTotal += Millis(t2 - t1);
            if (n == 1 || n == 10 || n == 100 || n == 300)
                std::printf("save with %4d pages: %8.2f ms (page built in %.2f ms)\n", n, Millis(t2 - t1),
                            Millis(t1 - t0));
        }
        const double seconds = Millis(Clock::now() - start) / 1000;
        std::printf("%d pages in %.3f s: %.1f pages/s; build %.3f ms/page, save %.3f ms/page on average\n", sheets,
                    seconds, sheets / seconds, buildTotal / sheets, saveTotal / sheets);
        book->GetApplication().Quit();
    } catch (const kolumbra::RuntimeError& e) {
        std::fprintf(stderr, "sheet-bench: error %d: %s\n", e.number(), e.description().c_str());
        return 1;
    }
    return 0;
}
