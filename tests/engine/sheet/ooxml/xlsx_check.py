#!/usr/bin/python3
"""Checks that an appended .xlsx/.xlsm keeps everything of the original.

  xlsx_check.py kept ORIGINAL RESULT NEW_SHEET...

openpyxl reads every original sheet (in the same order, with the same
values) and defined name from RESULT, the new sheets follow them in the
given order, and every zip entry of ORIGINAL other than the workbook part,
its relationships, the content types, the app properties and the styles is
in RESULT byte for byte. Prints one line per problem; exits 1 if any.

  xlsx_check.py form XLS XLSX

Compares every sheet of an .xls read by xlrd with the same sheet of an .xlsx
read by openpyxl: values with their types, merges, column widths, custom
row heights, border styles and alignments. openpyxl redraws the borders of
merged areas from their first cell and drops the formats of the others, so
inside merged areas only the first cell's alignment is compared. Prints one
line per difference.

  xlsx_check.py cells FILE SHEET

Prints A1 TYPE VALUE for every cell openpyxl reads with a value.

  xlsx_check.py strict FILE

Reads FILE as a reader that wants the end record's comment to reach the end
of the file exactly, checks every entry's CRC, and prints the sheet names
openpyxl reads, one a line.
"""
import posixpath
import sys
import warnings
import zipfile
import xml.etree.ElementTree as ET

import openpyxl

warnings.simplefilter("ignore")
REL = "{http://schemas.openxmlformats.org/package/2006/relationships}Relationship"
OFFICE_DOCUMENT = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument"


def editable_parts(archive):
    names = {n.lower(): n for n in archive.namelist()}
    workbook = "xl/workbook.xml"
    for rel in ET.fromstring(archive.read("_rels/.rels")).iter(REL):
        if rel.get("Type") == OFFICE_DOCUMENT:
            workbook = rel.get("Target").lstrip("/")
    folder, file = posixpath.split(workbook)
    parts = {workbook, posixpath.join(folder, "_rels", file + ".rels"), "[Content_Types].xml",
             "docProps/app.xml", posixpath.join(folder, "styles.xml")}
    return {names.get(p.lower(), p) for p in parts}


def sheet_values(book):
    out = {}
    for name in book.sheetnames:
        sheet = book[name]
        if hasattr(sheet, "iter_rows"):
            out[name] = [[c.value for c in row] for row in sheet.iter_rows()]
    return out


def names_of(book):
    return sorted((d.name, d.localSheetId, d.attr_text) for d in book.defined_names.definedName)


def kept(original, result, new_sheets):
    problems = []
    before = openpyxl.load_workbook(original)
    after = openpyxl.load_workbook(result)
    if after.sheetnames != before.sheetnames + new_sheets:
        problems.append(f"sheets {after.sheetnames} != {before.sheetnames} + {new_sheets}")
    values_after = sheet_values(after)
    for name, values in sheet_values(before).items():
        if values_after.get(name) != values:
            problems.append(f"values of sheet {name} changed")
    if names_of(after) != names_of(before):
        problems.append(f"defined names {names_of(after)} != {names_of(before)}")
    with zipfile.ZipFile(original) as a, zipfile.ZipFile(result) as b:
        editable = editable_parts(a)
        result_names = set(b.namelist())
        for info in a.infolist():
            if info.filename in editable:
                continue
            if info.filename not in result_names:
                problems.append(f"part {info.filename} lost")
            elif a.read(info) != b.read(info.filename):
                problems.append(f"part {info.filename} changed")
        if b.testzip() is not None:
            problems.append("bad CRC in " + b.testzip())
    return problems


LINE_STYLES = {0: None, 1: "thin", 2: "medium", 3: "dashed", 4: "dotted", 5: "thick", 6: "double", 7: "hair"}
HORIZONTAL = {0: None, 1: "left", 2: "center", 3: "right"}
VERTICAL = {0: "top", 1: "center", 2: None}


def format_fact(r, c, borders, alignment, merges):
    inside = [m for m in merges if m[0] <= r < m[1] and m[2] <= c < m[3]]
    if not inside:
        return ("format", r, c) + borders + alignment
    if (r, c) == (inside[0][0], inside[0][2]):
        return ("alignment", r, c) + alignment
    return None


def xls_facts(path):
    import xlrd
    book = xlrd.open_workbook(path, formatting_info=True)
    facts = {}
    for sh in book.sheets():
        out = facts.setdefault(sh.name, set())
        for r0, r1, c0, c1 in sh.merged_cells:
            out.add(("merge", r0, r1, c0, c1))
        for c, info in sh.colinfo_map.items():
            out.add(("width", c, info.width / 256))
        for r, info in sh.rowinfo_map.items():
            if info.height_mismatch:
                out.add(("height", r, info.height / 20))
        for r in range(sh.nrows):
            for c in range(sh.ncols):
                cell = sh.cell(r, c)
                xf = book.xf_list[cell.xf_index]
                b, a = xf.border, xf.alignment
                if cell.ctype in (xlrd.XL_CELL_TEXT, xlrd.XL_CELL_NUMBER):
                    out.add(("value", r, c, cell.value))
                out.add(format_fact(r, c, (LINE_STYLES[b.left_line_style], LINE_STYLES[b.right_line_style],
                                           LINE_STYLES[b.top_line_style], LINE_STYLES[b.bottom_line_style]),
                                    (HORIZONTAL[a.hor_align], VERTICAL[a.vert_align], bool(a.shrink_to_fit)),
                                    sh.merged_cells))
    return facts


def xlsx_facts(path, sheets, shape):
    book = openpyxl.load_workbook(path)
    facts = {}
    for name in sheets:
        sh = book[name]
        out = facts.setdefault(name, set())
        for m in sh.merged_cells.ranges:
            out.add(("merge", m.min_row - 1, m.max_row, m.min_col - 1, m.max_col))
        for key, dim in sh.column_dimensions.items():
            if dim.customWidth:
                for c in range(dim.min - 1, dim.max):
                    out.add(("width", c, dim.width))
        for r, dim in sh.row_dimensions.items():
            if dim.customHeight:
                out.add(("height", r - 1, dim.height))
        merges = [(m.min_row - 1, m.max_row, m.min_col - 1, m.max_col) for m in sh.merged_cells.ranges]
        rows, cols = shape[name]
        for r in range(rows):
            for c in range(cols):
                cell = sh.cell(r + 1, c + 1)
                if cell.value is not None:
                    out.add(("value", r, c, float(cell.value) if isinstance(cell.value, (int, float)) else cell.value))
                b, a = cell.border, cell.alignment
                out.add(format_fact(r, c, (b.left.style, b.right.style, b.top.style, b.bottom.style),
                                    (a.horizontal, a.vertical, bool(a.shrink_to_fit)), merges))
    return facts


def form(xls, xlsx):
    import xlrd
    book = xlrd.open_workbook(xls, formatting_info=True)
    shape = {sh.name: (sh.nrows, sh.ncols) for sh in book.sheets()}
    expected = xls_facts(xls)
    found = xlsx_facts(xlsx, list(shape), shape)
    for name in shape:
        expected[name].discard(None)
        found[name].discard(None)
        for fact in sorted(expected[name] - found[name], key=str)[:20]:
            print(f"{name}: xls only {fact}")
        for fact in sorted(found[name] - expected[name], key=str)[:20]:
            print(f"{name}: xlsx only {fact}")


def cells(path, sheet):
    book = openpyxl.load_workbook(path)
    for row in book[sheet].iter_rows():
        for c in row:
            if c.value is not None:
                print(f"{c.coordinate}\t{type(c.value).__name__}\t{c.value}")


def strict(path):
    data = open(path, "rb").read()
    end = data.rfind(b"PK\x05\x06")
    comment = int.from_bytes(data[end + 20:end + 22], "little")
    if end < 0 or end + 22 + comment != len(data):
        print("the last end record does not reach the end of the file")
        return
    bad = zipfile.ZipFile(path).testzip()
    if bad is not None:
        print(f"{bad}: bad CRC")
    for name in openpyxl.load_workbook(path).sheetnames:
        print(name)


if __name__ == "__main__":
    if sys.argv[1] == "kept":
        found = kept(sys.argv[2], sys.argv[3], sys.argv[4:])
        for problem in found:
            print(problem)
        sys.exit(1 if found else 0)
    elif sys.argv[1] == "form":
        form(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == "strict":
        strict(sys.argv[2])
    else:
        cells(sys.argv[2], sys.argv[3])
