#include "book_exercise.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/runtime_error.h"
#include "engine/sheet/workbook.h"

namespace kolumbra::fuzz {

namespace {

using sheet::Sheets;
using sheet::Worksheet;

void WriteInput(const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
}

// Reads the corner of every sheet: stored values come from the records.
// Returns every name and value read.
std::string ReadEverySheet(Sheets& sheets) {
    std::string read;
    for (int i = 1; i <= sheets.Count(); ++i) {
        Worksheet sheet = sheets.Item(i);
        read += sheet.Name() + '\n';
        for (int row = 1; row <= 12; ++row)
            for (int column = 1; column <= 6; ++column) read += sheet.Cells(row, column).Value() + '\t';
    }
    return read;
}

// What the table export does with a bound workbook: a sheet after the last,
// renamed and written, then saved.
void AppendTableSheet(sheet::Workbook& book, Sheets& sheets, const std::string& name) {
    Worksheet added = sheets.Add(sheets.Item(sheets.Count()));
    added.SetName(name);
    added.Cells(1, 1).SetValue("ﾃｰﾌﾞﾙﾚｲｱｳﾄ");
    added.GetRange("A1:C3").SetMergeCells(true);
    added.GetRange("A2:D4").Borders(sheet::xl::EdgeBottom).SetLineStyle(sheet::xl::Double);
    book.Save();
}

// Edits a stored sheet (rebuilt from its records when the engine wrote
// it, refused otherwise) and deletes the first sheet.
void EditAndDelete(Sheets& sheets) {
    try {
        sheets.Item(1).Cells(2, 2).SetValue("2");
    } catch (const RuntimeError&) {
    }
    try {
        sheets.Item(1).Delete();
    } catch (const RuntimeError&) {
    }
}

std::string BindAndRead(const std::string& path) {
    auto book = sheet::GetWorkbook(path);
    Sheets sheets = book->GetSheets();
    std::string read = ReadEverySheet(sheets);
    book->GetApplication().Quit();
    return read;
}

// The saved workbook bound again twice: as the engine kept it after the
// save, and from a copy of the file, which is parsed. Both must read alike.
void BindAgain(const std::string& path, ExerciseOutcome& outcome) {
    const std::string copy = path + ".copy" + std::filesystem::path(path).extension().string();
    try {
        std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
        if (BindAndRead(path) == BindAndRead(copy))
            outcome.reboundCleanly = true;
        else
            outcome.reboundError = "the workbook kept after the save reads otherwise than its file";
    } catch (const RuntimeError& e) {
        outcome.reboundError = e.description();
    }
}

}  // namespace

ExerciseOutcome ExerciseBook(const std::uint8_t* bytes, std::size_t size, const std::string& work,
                             const std::string& extension) {
    const std::string input = work + "/in" + extension, saved = work + "/saved" + extension;
    WriteInput(input, bytes, size);
    std::remove(saved.c_str());
    ExerciseOutcome outcome;
    try {
        auto book = sheet::GetWorkbook(input);
        sheet::Application& application = book->GetApplication();
        application.SetDisplayAlerts(false);
        Sheets sheets = book->GetSheets();
        ReadEverySheet(sheets);
        AppendTableSheet(*book, sheets, "T_受注 1");
        EditAndDelete(sheets);
        book->SaveAs(saved);
        // Saves after the first to one file add to it in place.
        AppendTableSheet(*book, sheets, "T_受注 2");
        AppendTableSheet(*book, sheets, "T_受注 3");
        application.Quit();
    } catch (const RuntimeError& e) {
        // Refused or not editable: the clean way out.
        outcome.error = e.description();
        return outcome;
    }
    BindAgain(saved, outcome);
    return outcome;
}

}  // namespace kolumbra::fuzz
