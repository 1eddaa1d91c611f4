#!/usr/bin/python3
"""Prints what xlrd reads from an .xls workbook, one fact a line, tab-separated,
with sheets named rather than numbered so that books can be compared after
sheets were added or removed:

  sheet INDEX NAME VISIBILITY
  cell SHEET A1 TYPE VALUE
  name NAME SCOPE MEANING      (SCOPE: the sheet's name, empty for the book)

MEANING is the evaluated reference or value when xlrd can work it out, else
the stored formula in hex.
"""
import sys

import xlrd
from xlrd import colname as col_name  # A..IV: a BIFF8 sheet has 256 columns


def meaning(book, name):
    result = name.result
    if result is None or result.kind == xlrd.formula.oUNK:
        return "raw:" + name.raw_formula.hex()
    if result.kind in (xlrd.formula.oREF, xlrd.formula.oREL):
        parts = []
        for ref in result.value:
            first, last = ref.coords[0], ref.coords[1] - 1
            sheets = [book.sheet_names()[i] if 0 <= i < book.nsheets else "#%d" % i for i in (first, last)]
            parts.append("%s:%s!%s" % (sheets[0], sheets[1], ref.coords[2:]))
        return "ref:" + ";".join(parts)
    return "value:%r" % (result.value,)


def main(path):
    book = xlrd.open_workbook(path)
    names = book.sheet_names()
    out = []
    for i, sh in enumerate(book.sheets()):
        out.append(f"sheet\t{i}\t{sh.name}\t{sh.visibility}")
        for r in range(sh.nrows):
            for c in range(sh.ncols):
                cell = sh.cell(r, c)
                if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                    continue
                out.append(f"cell\t{sh.name}\t{col_name(c)}{r + 1}\t{cell.ctype}\t{cell.value!r}")
    for name in book.name_obj_list:
        scope = names[name.scope] if 0 <= name.scope < len(names) else ""
        out.append(f"name\t{name.name}\t{scope}\t{meaning(book, name)}")
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
