#include "catalog/connection.h"

#include <exception>

#include "common/runtime_error.h"

namespace kolumbra {

namespace {

// The data-source name of a connect string: the text after the first
// "DSN=" up to the next ";" or the end; empty without "DSN=".
std::string DataSourceName(const std::string& connect) {
    auto start = connect.find("DSN=");
    if (start == std::string::npos) return "";
    start += 4;
    auto end = connect.find(';', start);
    return connect.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// Why the engine could not open the database: the driver's diagnostic,
// which follows the engine's own line on an ODBC failure, or the engine's
// description (a missing file, a file that is no database).
std::string FailureReason(const RuntimeError& error) {
    const std::string& description = error.description();
    const auto lineBreak = description.find('\r');
    return lineBreak == std::string::npos ? description : description.substr(lineBreak + 1);
}

// Names and attributes only: a table's fields are read when a command
// needs them, so an object the engine cannot describe spoils no list.
void ListOrdinaryTables(Session& session) {
    db::Database& database = *session.gDb;
    std::int16_t count = database.TableDefCount();
    for (std::int16_t i = 0; i < count; ++i) {
        db::TableDef table = database.TableDefSummary(i);
        if (table.Attributes == 0) session.window.AddListItem(table.Name);
    }
}

void NameDatabase(Session& session) {
    WindowServices& window = session.window;
    if (IsOdbcMode(window.Text1())) {
        std::string source = DataSourceName(session.gDb->Connect());
        std::string name = session.gDb->Name();
        session.DbName = name;
        window.SetText1("ODBC:" + source + "." + name);
    } else {
        session.DbName = FileNameOfPath(window.Text1());
    }
}

}  // namespace

bool IsOdbcMode(const std::string& text1) { return text1.empty() || text1.rfind("ODBC", 0) == 0; }

std::string FileNameOfPath(const std::string& path) {
    auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::int16_t ConnectDatabase(Session& session) {
    WindowServices& window = session.window;
    session.gDb.reset();
    const std::string remembered = window.Text1();
    try {
        if (remembered.rfind("ODBC", 0) == 0 || remembered.rfind("odbc", 0) == 0) window.SetText1("");
        session.gDb = session.DBEngine.OpenDatabase(window.Text1(), [&window] { return window.ChooseDataSource(); });
        return 0;
    } catch (const RuntimeError& error) {
        window.MsgBox("DB接続失敗 DB=" + remembered + "\r" + FailureReason(error), Buttons::Ok, Icon::None, "");
        session.gDb.reset();
        return 999;
    } catch (const std::exception&) {
        window.MsgBox("DB接続失敗 DB=" + remembered, Buttons::Ok, Icon::None, "");
        session.gDb.reset();
        return 999;
    }
}

void CloseDatabase(Session& session) {
    if (session.gDb) {
        try {
            session.gDb->Close();
        } catch (const std::exception&) {
            // Closing is best effort: the database is released either way.
        }
    }
    session.gDb.reset();
}

ReadOutcome ReadTableList(Session& session) {
    WindowServices& window = session.window;
    window.ClearList();
    if (ConnectDatabase(session) != 0) return ReadOutcome::NotOpened;
    try {
        ListOrdinaryTables(session);
        NameDatabase(session);
    } catch (const RuntimeError& error) {
        // The database opened but its catalogue could not be read: a partial
        // list would mislead the exports, so none is left.
        window.ClearList();
        window.MsgBox("カタログの読み込みに失敗しました。\r" + std::to_string(error.number()) + " " + error.description(),
                      Buttons::Ok, Icon::Critical, "");
        return ReadOutcome::CatalogueFailed;
    }
    if (window.ListCount() == 0) {
        window.MsgBox("ﾃｰﾌﾞﾙが見つかりませんでした(ﾘﾝｸﾃｰﾌﾞﾙはｶｳﾝﾄされません)", Buttons::Ok, Icon::Exclamation, "確認");
        return ReadOutcome::NoTables;
    }
    window.SetCommand3Enabled(true);
    window.SetCommand4Enabled(true);
    window.SetListCurrent(0);
    return ReadOutcome::Listed;
}

void Command1_Click(Session& session) { ReadTableList(session); }

}  // namespace kolumbra
