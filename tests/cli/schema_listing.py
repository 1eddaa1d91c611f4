#!/usr/bin/env python3
"""Prints the CSV field listing of every table of an Access file, worked out
from the mdb-schema dump alone, as the code page 932 bytes of the file.

Usage: schema_listing.py [--jap] DATABASE   (--jap: Japanese type names)

Tables follow in code point order of their names, as the table list shows
them; fields in the order the dump gives. Sizes are the engine's: the
declared length for text, the fixed byte count of each other type, 0 for
memo and OLE data."""

import re
import subprocess
import sys

FIXED_TYPES = {
    "Boolean": ("Boolean", 1),
    "Byte": ("Byte", 1),
    "Integer": ("Integer", 2),
    "Long Integer": ("Long", 4),
    "Currency": ("Currency", 8),
    "Single": ("Single", 4),
    "Double": ("Double", 8),
    "DateTime": ("Date", 8),
    "Replication ID": ("GUID", 16),
}

JAPANESE = {
    "Boolean": "ブール型", "Byte": "バイト型", "Integer": "整数型", "Long": "長整数型",
    "Currency": "通貨型", "Single": "単精度浮動小数点数型", "Double": "倍精度浮動小数点数型",
    "Date": "日付 / 時刻型", "GUID": "GUID 型", "Text": "テキスト型", "LBinary": "ロング バイナリ型",
    "Memo": "メモ型", "Decimal": "10 進型",
}

TABLE = re.compile(r"^CREATE TABLE \[(.*)\]$")
COLUMN = re.compile(r"^\t\[(.*)\]\t+(.*?),? ?$")


def type_and_size(declared):
    if declared in FIXED_TYPES:
        return FIXED_TYPES[declared]
    text = re.fullmatch(r"Text \((\d+)\)", declared)
    if text:
        return "Text", int(text.group(1))
    if declared.startswith("Memo/Hyperlink"):
        return "Memo", 0
    if declared.startswith("OLE"):
        return "LBinary", 0
    if declared.startswith("Numeric ("):
        return "Decimal", 16
    sys.exit("schema_listing.py: no rule for the type '%s'" % declared)


def tables(dump):
    result = {}
    fields = None
    for line in dump.splitlines():
        table = TABLE.match(line)
        column = COLUMN.match(line)
        if table:
            fields = result.setdefault(table.group(1), [])
        elif column and fields is not None:
            fields.append((column.group(1),) + type_and_size(column.group(2)))
        elif line.startswith(");"):
            fields = None
    return result


def listing(schema, japanese):
    lines = []
    for name in sorted(schema):
        lines.append("ﾃｰﾌﾞﾙ名,%s," % name)
        lines.append("項目名,ﾃﾞｰﾀ型,ﾊﾞｲﾄ数")
        for field, type_name, size in schema[name]:
            lines.append("%s,%s,%d" % (field, JAPANESE[type_name] if japanese else type_name, size))
        lines.extend(["", ",,"])
    return "".join(line + "\r\n" for line in lines)


def main():
    japanese = sys.argv[1] == "--jap"
    dump = subprocess.run(
        ["mdb-schema", "--no-not-null", "--no-indexes", "--no-relations", "--no-default-values",
         "--no-comments", "--no-not_empty", sys.argv[-1], "access"],
        check=True, capture_output=True, text=True).stdout
    sys.stdout.buffer.write(listing(tables(dump), japanese).encode("cp932", errors="replace"))


if __name__ == "__main__":
    main()
