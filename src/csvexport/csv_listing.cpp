#include "csvexport/csv_listing.h"

#include <exception>

#include "catalog/table_catalogue.h"
#include "common/runtime_error.h"
#include "common/text.h"
#include "csvexport/listing_text.h"

namespace kolumbra {

namespace {

using csvexport::BlockEndLines;
using csvexport::FieldLine;
using csvexport::TableHeadLines;

bool HasCsvExtension(const std::string& trimmed) {
    const std::string last4 = text::RightChars(trimmed, 4);
    return last4 == ".CSV" || last4 == ".csv";
}

// The fields of every table definition named exactly `name`; several
// definitions of one name all contribute.
std::string FieldLines(TableCatalogue& catalogue, const std::string& name, std::int16_t jap) {
    std::string lines;
    for (const db::Field& field : catalogue.FieldsOfAll(name)) lines += FieldLine(field, jap);
    return lines;
}

// A table whose fields the engine cannot read (a view over a dropped table,
// a lost connection) gets no block: a block without fields would pass for
// an empty table. Its failure is shown and the other tables go on.
void AppendSelectedBlocks(Session& session, std::string& out) {
    WindowServices& window = session.window;
    TableCatalogue catalogue(session.gDb.get());
    std::vector<std::string> selected;
    for (int i = 0; i < window.ListCount(); ++i) {
        if (window.ListSelected(i)) selected.push_back(window.ListItem(i));
    }
    catalogue.ExpectFieldsOf(selected);
    for (int i = 0; i < window.ListCount(); ++i) {
        if (!window.ListSelected(i)) continue;
        session.CurrentTable = window.ListItem(i);
        if (!session.gDb) throw RuntimeError(err::ObjectNotSet);
        std::string fields;
        try {
            fields = FieldLines(catalogue, session.CurrentTable, session.gJap);
        } catch (const RuntimeError& error) {
            window.MsgBox("書き込みできませんでした\r" + session.CurrentTable + "\r" + std::to_string(error.number()) +
                              " " + error.description(),
                          Buttons::Ok, Icon::None, "完了");
            continue;
        }
        out += TableHeadLines(session.CurrentTable) + fields + BlockEndLines();
    }
}

}  // namespace

void Command3_Click(Session& session) {
    csvexport::DiskListingStore disk;
    Command3_Click(session, disk);
}

void Command3_Click(Session& session, csvexport::ListingStore& store) {
    WindowServices& window = session.window;
    const std::string typed = window.Text3();
    const std::string trimmed = text::TrimBlanks(typed);
    if (trimmed.empty()) {
        window.MsgBox("出力ﾌｧｲﾙ名を入力してください。", Buttons::Ok, Icon::None, "確認");
        return;
    }
    if (!HasCsvExtension(trimmed)) {
        window.MsgBox("CSVﾌｧｲﾙを指定してください。", Buttons::Ok, Icon::None, "確認");
        return;
    }
    // Everything is composed before the file is touched, so a failure on
    // the way (the engine, the disk) leaves the old file as it was.
    try {
        std::string out = csvexport::KeptOldLines(store.ReadOld(typed));
        AppendSelectedBlocks(session, out);
        store.Replace(typed, out);
    } catch (const std::exception&) {
        window.MsgBox("書き込みできませんでした", Buttons::Ok, Icon::None, "完了");
        return;
    }
    window.MsgBox(typed + "を確認して下さい", Buttons::Ok, Icon::None, "完了");
}

}  // namespace kolumbra
