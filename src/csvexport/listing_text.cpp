#include "csvexport/listing_text.h"

#include <algorithm>

#include "catalog/field_type_name.h"
#include "common/cp932.h"

namespace kolumbra::csvexport {

namespace {

constexpr std::string_view CrLf = "\r\n";

// The first CR from `start` on, or the end.
std::size_t lineEnd(std::string_view bytes, std::size_t start) { return std::min(bytes.find('\r', start), bytes.size()); }

// Where the record that begins at `start` ends: at the first CR outside a
// quoted field. A field is quoted when it begins with a double quote, and
// ends with a lone quote before a comma, a line break or the end of the
// file; a doubled quote stays inside. A quote that does not end that way,
// or never ends, shows a line written before names were quoted: its record
// ends at the line's first CR.
std::size_t recordEnd(std::string_view bytes, std::size_t start) {
    bool fieldStart = true;
    bool quoted = false;
    for (std::size_t i = start; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c != '"') continue;
            const char next = i + 1 < bytes.size() ? bytes[i + 1] : ',';
            if (next == '"') {
                ++i;
            } else if (next == ',' || next == '\r' || next == '\n') {
                quoted = false;
            } else {
                return lineEnd(bytes, start);
            }
            continue;
        }
        if (c == '\r') return i;
        quoted = fieldStart && c == '"';
        fieldStart = c == ',';
    }
    return quoted ? lineEnd(bytes, start) : bytes.size();
}

}  // namespace

std::string KeptOldLines(std::string_view oldBytes) {
    std::string kept;
    std::size_t start = 0;
    while (start < oldBytes.size()) {
        const std::size_t end = recordEnd(oldBytes, start);
        if (end > start) {
            kept.append(oldBytes.substr(start, end - start));
            kept.append(CrLf);
        }
        start = end + 1;
        // CR LF ends a record as one; a lone LF outside quotes stays part of its line.
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
