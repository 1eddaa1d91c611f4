#include "csvexport/listing_text.h"

#include "catalog/field_type_name.h"
#include "common/cp932.h"

namespace kolumbra::csvexport {

namespace {

constexpr std::string_view CrLf = "\r\n";

}  // namespace

std::string KeptOldLines(std::string_view oldBytes) {
    std::string kept;
    std::size_t start = 0;
    while (start < oldBytes.size()) {
        std::size_t end = oldBytes.find('\r', start);
        if (end == std::string_view::npos) end = oldBytes.size();
        if (end > start) {
            kept.append(oldBytes.substr(start, end - start));
            kept.append(CrLf);
        }
        start = end + 1;
        // CR LF ends a line as one; a lone LF stays part of its line.
        if (start < oldBytes.size() && oldBytes[start] == '\n') ++start;
    }
    if (!kept.empty()) kept.append(CrLf);
    return kept;
}

std::string CsvName(std::string_view name) {
    if (name.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(name);
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string TableHeadLines(std::string_view tableName) {
    return cp932::FromUtf8("ﾃｰﾌﾞﾙ名," + CsvName(tableName) + ",\r\n" + "項目名,ﾃﾞｰﾀ型,ﾊﾞｲﾄ数\r\n");
}

std::string FieldLine(const db::Field& field, std::int16_t jap) {
    return cp932::FromUtf8(CsvName(field.Name) + "," + FieldTypeName(field.Type, jap) + "," +
                           std::to_string(field.Size) + "\r\n");
}

std::string BlockEndLines() { return "\r\n,,\r\n"; }

}  // namespace kolumbra::csvexport
