#!/usr/bin/python3
"""Prints what xlrd reads from an .xls workbook, one fact a line, tab-separated:

  font0 NAME TWIPS
  sheet INDEX NAME
  width SHEET COLUMN UNITS           (stored column widths)
  height SHEET ROW TWIPS             (rows with a custom height)
  merge SHEET ROW0 ROW1 COL0 COL1    (half-open, 0-based)
  cell SHEET A1 TYPE VALUE HALIGN VALIGN LEFT TOP RIGHT BOTTOM LCOL TCOL RCOL BCOL

TYPE is text, number or blank; line styles and alignments are the stored codes.
"""
import sys

import xlrd
from xlrd import colname as col_name  # A..IV: a BIFF8 sheet has 256 columns


def main(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    font = book.font_list[0]
    out = [f"font0\t{font.name}\t{font.height}"]
    kinds = {xlrd.XL_CELL_TEXT: "text", xlrd.XL_CELL_NUMBER: "number", xlrd.XL_CELL_BLANK: "blank"}
    for i, sh in enumerate(book.sheets()):
        out.append(f"sheet\t{i}\t{sh.name}")
        for c, info in sorted(sh.colinfo_map.items()):
            out.append(f"width\t{i}\t{c}\t{info.width}")
        for r, info in sorted(sh.rowinfo_map.items()):
            if info.height_mismatch:
                out.append(f"height\t{i}\t{r}\t{info.height}")
        for r0, r1, c0, c1 in sh.merged_cells:
            out.append(f"merge\t{i}\t{r0}\t{r1}\t{c0}\t{c1}")
        for r in range(sh.nrows):
            for c in range(sh.ncols):
                cell = sh.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                xf = book.xf_list[cell.xf_index]
                b = xf.border
                value = repr(cell.value) if cell.ctype == xlrd.XL_CELL_NUMBER else cell.value
                fields = [str(i), f"{col_name(c)}{r + 1}", kinds.get(cell.ctype, "other"), value,
                          xf.alignment.hor_align, xf.alignment.vert_align,
                          b.left_line_style, b.top_line_style, b.right_line_style, b.bottom_line_style,
                          b.left_colour_index, b.top_colour_index, b.right_colour_index, b.bottom_colour_index,
                          xf.format_key]
                out.append("cell\t" + "\t".join(str(f) for f in fields))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
