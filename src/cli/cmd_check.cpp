// kolumbra-cli check: whether the table-definition forms of a workbook
// still tell what the database holds. One tab-separated line per
// difference on stdout: table, field, what differs, the workbook's value,
// the database's value.
//
// Exit status: 0 when they agree, 1 when they differ; 1 also when the
// database or the workbook cannot be read (with a message on stderr), 2
// when the database lists no table, 64 for a wrong command line.

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalog/connection.h"
#include "catalog/table_catalogue.h"
#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/command_registry.h"
#include "common/profile.h"
#include "common/runtime_error.h"
#include "engine/sheet/workbook.h"
#include "layoutbook/change_history.h"
#include "layoutbook/form_check.h"
#include "layoutbook/form_reader.h"
#include "layoutbook/table_sheets.h"

namespace kolumbra::cli {

namespace {

const char* const Usage = "(--dsn NAME | --connect STRING | DATABASE) BOOK.xls [TABLE ...]";

struct BookForms {
    std::vector<TableForms> forms;
    // Tables the change history records as removed: their forms stay on
    // purpose, as what the table was.
    std::vector<std::string> removed;
    // By table, the surplus pages the history records as kept.
    std::map<std::string, std::vector<std::string>> kept;
};

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The forms of the workbook; nothing when it cannot be read. The history
// is read only for the forms of tables the database no longer `listed`, and
// of tables with a second page.
std::optional<BookForms> readBookForms(const std::string& path, const std::vector<std::string>& listed) {
    try {
        std::shared_ptr<sheet::Workbook> book = sheet::GetWorkbook(path);
        BookForms read{ReadForms(*book), {}, {}};
        for (const TableForms& table : read.forms) {
            if (!contains(listed, table.table) && HistoryRecordsRemoval(*book, table.table))
                read.removed.push_back(table.table);
            // Only a page after the first can be surplus.
            if (table.pages.back().page > 1) read.kept[table.table] = HistoryKeptPages(*book, table.table);
        }
        book->GetApplication().Quit();
        return read;
    } catch (const RuntimeError& error) {
        std::fprintf(stderr, "kolumbra-cli: %s\n", error.description().c_str());
        return std::nullopt;
    }
}

// The tables to compare, each once: the database's tables in list order
// and then the tables whose forms outlived them, in workbook order; of
// those only the ones named, when any are, and then the named ones neither
// side knows.
std::vector<std::string> tablesToCompare(const std::vector<std::string>& named, const ConsoleWindow& window,
                                         const std::vector<TableForms>& forms) {
    std::vector<std::string> tables = window.listItems;
    for (const TableForms& table : forms) {
        if (!contains(tables, table.table)) tables.push_back(table.table);
    }
    if (named.empty()) return tables;
    std::vector<std::string> chosen;
    for (const std::string& table : tables) {
        if (contains(named, table)) chosen.push_back(table);
    }
    for (const std::string& name : named) {
        if (!contains(chosen, name)) chosen.push_back(name);
    }
    return chosen;
}

// The language type names fall back to when no field of a form tells it.
std::int16_t settingsLanguage() {
    try {
        return JapValue(ReadProfileString(SettingsFilePath(), "KLSETTING", "jap", "0"));
    } catch (const RuntimeError&) {
        return 0;
    }
}

void print(const FormDifference& d) {
    std::printf("%s\t%s\t%s\t%s\t%s\n", d.table.c_str(), d.field.c_str(), d.what.c_str(), d.workbook.c_str(),
                d.database.c_str());
}

int run(const std::vector<std::string>& arguments) {
    auto line = ParseCommandLine(arguments, {option::Dsn, option::Connect});
    const auto database = line ? TakeDatabase(*line) : std::nullopt;
    if (!database || line->operands.empty()) {
        std::fprintf(stderr, "usage: kolumbra-cli check %s\n", Usage);
        return 64;
    }
    CliSession cli;
    database->ApplyTo(cli.window);
    if (const int status = ReadTables(cli); status != 0) return status;
    const std::vector<std::string> named(line->operands.begin() + 1, line->operands.end());
    const auto read = readBookForms(line->operands[0], cli.window.listItems);
    if (!read) return 1;
    const std::vector<TableForms>* forms = &read->forms;

    const std::vector<std::string>& listed = cli.window.listItems;
    const bool odbc = IsOdbcMode(cli.window.text1);
    const std::int16_t fallback = settingsLanguage();
    TableCatalogue catalogue(cli.session.gDb.get());
    bool differ = false;
    int status = 0;
    for (const std::string& table : tablesToCompare(named, cli.window, *forms)) {
        const auto form = std::find_if(forms->begin(), forms->end(), [&](const TableForms& f) { return f.table == table; });
        const bool inDatabase = std::find(listed.begin(), listed.end(), table) != listed.end();
        if (!inDatabase && std::find(read->removed.begin(), read->removed.end(), table) != read->removed.end()) continue;
        if (!inDatabase && form == forms->end()) {
            std::fprintf(stderr, "kolumbra-cli: no table named '%s'\n", table.c_str());
            status = 1;
            continue;
        }
        std::optional<db::TableDef> definition;
        try {
            if (inDatabase) definition = catalogue.Find(table);
        } catch (const RuntimeError& error) {
            std::fprintf(stderr, "kolumbra-cli: %s: %s\n", table.c_str(), error.description().c_str());
            status = 1;
            continue;
        }
        std::optional<TableForms> pages;
        if (form != forms->end()) pages = *form;
        if (const auto kept = read->kept.find(table); pages && definition && kept != read->kept.end())
            DropKeptPages(*pages, kept->second, PageCount(static_cast<std::int16_t>(definition->Fields.size())));
        for (const FormDifference& difference :
             CompareTable(table, pages ? &*pages : nullptr, definition ? &*definition : nullptr, odbc, fallback)) {
            print(difference);
            differ = true;
        }
    }
    CloseDatabase(cli.session);
    return differ ? 1 : status;
}

RegisterCommand reg({"check", Usage,
                     "compares the table-definition sheets in BOOK.xls with the database; one line per difference", &run});

}  // namespace

}  // namespace kolumbra::cli
