#include "csvexport/csv_export.h"

#include <exception>

#include "catalog/table_catalogue.h"
#include "common/text.h"
#include "csvexport/listing_text.h"

namespace kolumbra::csvexport {

namespace {

// The table's block. Several definitions of one name all contribute their
// fields. A table whose fields the engine cannot read (a view over a dropped
// table, a lost connection) fails and gets no block: a block without fields
// would pass for an empty table.
TableReport appendBlock(TableCatalogue& catalogue, const ListingRequest& request, const std::string& table,
                        std::string& out) {
    TableReport report;
    report.table = table;
    std::string fields;
    try {
        report.found = catalogue.Lists(table);
        for (const db::Field& field : catalogue.FieldsOfAll(table)) fields += FieldLine(field, request.jap);
    } catch (const RuntimeError& error) {
        report.outcome = TableOutcome::Failed;
        report.error = error;
        return report;
    }
    out += TableHeadLines(table) + fields + BlockEndLines();
    return report;
}

void appendBlocks(const ListingRequest& request, const ProgressCallback& progress, std::string& out,
                  ExportResult& result) {
    if (request.tables.empty()) return;
    if (!request.database) throw RuntimeError(err::ObjectNotSet);
    TableCatalogue catalogue(request.database);
    catalogue.ExpectFieldsOf(request.tables);
    for (const std::string& table : request.tables) {
        if (progress) progress({ExportProgress::Kind::TableStarted, table});
        result.tables.push_back(appendBlock(catalogue, request, table, out));
        if (progress) progress({ExportProgress::Kind::TableFinished, table, 0, &result.tables.back()});
    }
}

}  // namespace

RequestFault CheckListingRequest(const ListingRequest& request) {
    const std::string trimmed = text::TrimBlanks(request.path);
    if (trimmed.empty()) return RequestFault::NoFileName;
    const std::string last4 = text::RightChars(trimmed, 4);
    if (last4 != ".CSV" && last4 != ".csv") return RequestFault::NotCsvPath;
    return RequestFault::None;
}

// Everything is composed before the file is touched, so a failure on the
// way (the engine, the disk) leaves the old file as it was.
ExportResult WriteListing(const ListingRequest& request, ListingStore& store, const ProgressCallback& progress) {
    ExportResult result;
    try {
        const std::unique_ptr<FileLock> claim = store.Claim(request.path);
        std::string out = KeptOldLines(store.ReadOld(request.path));
        appendBlocks(request, progress, out, result);
        store.Replace(request.path, out);
    } catch (const RuntimeError& error) {
        result.fileError = error;
    } catch (const std::exception& error) {
        result.fileError = RuntimeError(err::DeviceIo, error.what());
    }
    return result;
}

}  // namespace kolumbra::csvexport
