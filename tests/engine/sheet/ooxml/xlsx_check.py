#!/usr/bin/python3
"""Checks that an appended .xlsx/.xlsm keeps everything of the original.

  xlsx_check.py kept ORIGINAL RESULT NEW_SHEET...

openpyxl reads every original sheet (in the same order, with the same
values) and defined name from RESULT, the new sheets follow them in the
given order, and every zip entry of ORIGINAL other than the workbook part,
its relationships, the content types, the app properties and the styles is
in RESULT byte for byte. Prints one line per problem; exits 1 if any.

  xlsx_check.py cells FILE SHEET

Prints A1 TYPE VALUE for every cell openpyxl reads with a value.
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


def cells(path, sheet):
    book = openpyxl.load_workbook(path)
    for row in book[sheet].iter_rows():
        for c in row:
            if c.value is not None:
                print(f"{c.coordinate}\t{type(c.value).__name__}\t{c.value}")


if __name__ == "__main__":
    if sys.argv[1] == "kept":
        found = kept(sys.argv[2], sys.argv[3], sys.argv[4:])
        for problem in found:
            print(problem)
        sys.exit(1 if found else 0)
    cells(sys.argv[2], sys.argv[3])
