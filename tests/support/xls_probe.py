#!/usr/bin/python3
"""What an independent reader (xlrd; openpyxl for .xlsx/.xlsm) sees in a
workbook, one fact a line.

usage: xls_probe.py FILE
Lines, tab-separated:
  sheet NAME
  width COLUMN UNITS          (stored column widths, 1/256 character)
  height ROW POINTS           (rows with a height of their own)
  merge A1:B2
  cell ADDRESS HALIGN VALIGN LEFT TOP RIGHT BOTTOM FONT SIZE VALUE KIND
                              (KIND: empty, text, number, ...)
  shrink ADDRESS              (after its cell: the XF shrinks the text to fit)
"""
import sys

import xlrd
from xlrd import colname as col_name  # A..IV: a BIFF8 sheet has 256 columns

STYLE = {0: "none", 1: "thin", 2: "medium", 3: "dashed", 4: "dotted", 5: "thick",
         6: "double", 7: "hair"}
KIND = {xlrd.XL_CELL_EMPTY: "empty", xlrd.XL_CELL_TEXT: "text", xlrd.XL_CELL_NUMBER: "number",
        xlrd.XL_CELL_DATE: "date", xlrd.XL_CELL_BOOLEAN: "boolean", xlrd.XL_CELL_ERROR: "error",
        xlrd.XL_CELL_BLANK: "blank"}
HALIGN = {0: "general", 1: "left", 2: "center", 3: "right"}
VALIGN = {0: "top", 1: "center", 2: "bottom"}


def text_of(cell):
    if cell.ctype == xlrd.XL_CELL_NUMBER and float(cell.value).is_integer():
        return str(int(cell.value))
    return str(cell.value)


def package_facts(path):
    import openpyxl
    # The values formulas gave when last calculated, as xlrd reads them.
    book = openpyxl.load_workbook(path, data_only=True)
    out = []
    for sh in book.worksheets:
        out.append(f"sheet\t{sh.title}")
        for m in sorted(str(m) for m in sh.merged_cells.ranges):
            out.append(f"merge\t{m}")
        for row in sh.iter_rows():
            for cell in row:
                if not hasattr(cell, "column_letter"):
                    continue  # inside a merged area
                b, a, value = cell.border, cell.alignment, cell.value
                kind = ("empty" if value is None else "text" if isinstance(value, str)
                        else "number" if isinstance(value, (int, float)) else "date")
                text = "" if value is None else str(int(value)) if kind == "number" and float(value).is_integer() else str(value)
                fields = [cell.coordinate, a.horizontal or "general", a.vertical or "bottom",
                          b.left.style or "none", b.top.style or "none", b.right.style or "none",
                          b.bottom.style or "none", cell.font.name, f"{cell.font.sz:g}", text, kind]
                out.append("cell\t" + "\t".join(fields))
                if a.shrink_to_fit:
                    out.append(f"shrink\t{cell.coordinate}")
    sys.stdout.write("\n".join(out) + "\n")


def main(path):
    if path.endswith((".xlsx", ".XLSX", ".xlsm", ".XLSM")):
        return package_facts(path)
    book = xlrd.open_workbook(path, formatting_info=True)
    out = []
    for sh in book.sheets():
        out.append(f"sheet\t{sh.name}")
        for c, info in sorted(sh.colinfo_map.items()):
            out.append(f"width\t{col_name(c)}\t{info.width}")
        for r, info in sorted(sh.rowinfo_map.items()):
            if info.height_mismatch:
                out.append(f"height\t{r + 1}\t{info.height / 20:g}")
        for r0, r1, c0, c1 in sorted(sh.merged_cells):
            out.append(f"merge\t{col_name(c0)}{r0 + 1}:{col_name(c1 - 1)}{r1}")
        for r in range(sh.nrows):
            for c in range(sh.ncols):
                cell = sh.cell(r, c)
                xf = book.xf_list[cell.xf_index]
                b = xf.border
                font = book.font_list[xf.font_index]
                fields = [f"{col_name(c)}{r + 1}", HALIGN.get(xf.alignment.hor_align, "other"),
                          VALIGN.get(xf.alignment.vert_align, "other"),
                          STYLE.get(b.left_line_style, "other"), STYLE.get(b.top_line_style, "other"),
                          STYLE.get(b.right_line_style, "other"), STYLE.get(b.bottom_line_style, "other"),
                          font.name, f"{font.height / 20:g}", text_of(cell), KIND[cell.ctype]]
                out.append("cell\t" + "\t".join(fields))
                if xf.alignment.shrink_to_fit:
                    out.append(f"shrink\t{col_name(c)}{r + 1}")
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
