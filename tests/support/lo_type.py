#!/usr/bin/python3
"""Types into an .xls or .xlsx workbook as a person would in LibreOffice, and
saves it again in its format: the workbook then holds that application's
records or parts.

usage: lo_type.py FILE WORKDIR [EDIT]...
EDIT is one of
  SHEET!A1=TEXT      a value (a number when it reads as one, a date in
                     its own date format when it reads YYYY-MM-DD)
  SHEET!A1==FORMULA  a formula
  +SHEET             a new sheet after the last
"""
import os
import subprocess
import sys
import datetime
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.util.NumberFormat import DATE


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def connect(workdir):
    pipe = "kolumbra_lo_%d" % os.getpid()
    office = subprocess.Popen(
        ["soffice", "--headless", "--norestore", "--nologo", "--nodefault",
         "-env:UserInstallation=file://" + os.path.join(workdir, "lo-profile"),
         "--accept=pipe,name=%s;urp;" % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(240):
        try:
            context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
            return office, context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
        except Exception:
            time.sleep(0.5)
    office.kill()
    raise SystemExit("LibreOffice did not start")


def edit(book, text):
    sheets = book.Sheets
    if text.startswith("+"):
        sheets.insertNewByName(text[1:], sheets.Count)
        return
    target, value = text.split("=", 1)
    name, address = target.rsplit("!", 1)
    cell = sheets.getByName(name).getCellRangeByName(address)
    if value.startswith("="):
        cell.Formula = value
        return
    try:
        day = datetime.date.fromisoformat(value)
        cell.Value = (day - datetime.date(1899, 12, 30)).days
        cell.NumberFormat = book.NumberFormats.getStandardFormat(DATE, uno.createUnoStruct("com.sun.star.lang.Locale"))
        return
    except ValueError:
        pass
    try:
        cell.Value = float(value)
    except ValueError:
        cell.String = value


def main(path, workdir, edits):
    office, desktop = connect(workdir)
    try:
        url = uno.systemPathToFileUrl(os.path.abspath(path))
        book = desktop.loadComponentFromURL(url, "_blank", 0, (prop("Hidden", True),))
        for text in edits:
            edit(book, text)
        kind = "Calc MS Excel 2007 XML" if path.lower().endswith(".xlsx") else "MS Excel 97"
        book.storeToURL(url, (prop("FilterName", kind),))
        book.close(True)
    finally:
        try:
            desktop.terminate()
        except Exception:
            pass
        office.wait(timeout=60)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], sys.argv[3:])
