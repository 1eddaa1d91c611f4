#pragma once
// What an export command did, table by table, and the progress it reports
// on the way. Shared by the CSV listing and the workbook export; the window
// and kolumbra-cli build their messages and exit statuses from it.

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/runtime_error.h"

namespace kolumbra {

enum class TableOutcome {
    Written,      // the table's block or all its sheets are saved
    NotReplaced,  // a sheet of the same name was kept, the table stopped there
    Failed,       // a run-time error stopped the table; `error` says which
};

struct TableReport {
    std::string table;
    TableOutcome outcome = TableOutcome::Written;
    bool found = true;                // false: not in the database, written without fields
    std::vector<std::string> sheets;  // the sheets saved for it, in order
    std::optional<RuntimeError> error;
};

struct ExportResult {
    std::vector<TableReport> tables;  // in the order of the request
    // A failure of the whole output file (the CSV listing is written in one
    // piece; another program holds the file): no table of the request
    // reached it.
    std::optional<RuntimeError> fileError;

    bool AllWritten() const {
        return !fileError && std::all_of(tables.begin(), tables.end(),
                                         [](const TableReport& t) { return t.outcome == TableOutcome::Written; });
    }
    std::vector<std::string> SheetsSaved() const {
        std::vector<std::string> sheets;
        for (const auto& t : tables) sheets.insert(sheets.end(), t.sheets.begin(), t.sheets.end());
        return sheets;
    }
};

// One step of an export, in the order they happen.
struct ExportProgress {
    enum class Kind {
        TableStarted,   // `table` is the one in work
        BarStarted,     // a table's bar: `amount` is its maximum, the value starts at 0
        BarAdvanced,    // the bar moves on by `amount`
        PageAdded,      // a sheet was added for the next page (the window holds a moment)
        BarCleared,     // the table's pages are all saved: the bar goes back to 0
        TableFinished,  // `report` says what became of `table`
    };
    ExportProgress(Kind k, std::string t, int a = 0, const TableReport* r = nullptr)
        : kind(k), table(std::move(t)), amount(a), report(r) {}

    Kind kind;
    std::string table;
    int amount;
    const TableReport* report;  // valid during the call only
};

using ProgressCallback = std::function<void(const ExportProgress&)>;

}  // namespace kolumbra
