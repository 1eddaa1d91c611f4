#!/usr/bin/python3
"""Converts an .xls workbook to .xlsx with LibreOffice headless and prints
what LibreOffice read, one fact a line, tab-separated:

  sheet INDEX NAME
  value SHEET A1 TEXT
  formula SHEET A1 TEXT                   (cells holding a formula)
  merge SHEET A1:B2
  margins SHEET LEFT RIGHT TOP BOTTOM     (inches)
  warning TEXT                            (what the conversion printed)

usage: lo_check.py FILE WORKDIR
"""
import os
import re
import subprocess
import sys
import zipfile
from xml.etree import ElementTree

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
      "r": "http://schemas.openxmlformats.org/officeDocument/2006/relationships"}


# Printed on every run of an installation without Java; says nothing about the file.
JAVA_NOTICE = "failed to launch javaldx"


def convert(path, workdir):
    profile = "file://" + os.path.join(workdir, "profile")
    run = subprocess.run(["soffice", "--headless", "--norestore", "-env:UserInstallation=" + profile,
                          "--convert-to", "xlsx", "--outdir", workdir, path],
                         check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=240)
    warnings = [line for line in run.stderr.decode(errors="replace").splitlines()
                if line.strip() and JAVA_NOTICE not in line]
    return os.path.join(workdir, os.path.splitext(os.path.basename(path))[0] + ".xlsx"), warnings


def main(path, workdir):
    converted, warnings = convert(path, workdir)
    xlsx = zipfile.ZipFile(converted)
    strings = []
    if "xl/sharedStrings.xml" in xlsx.namelist():
        for si in ElementTree.fromstring(xlsx.read("xl/sharedStrings.xml")).findall("m:si", NS):
            strings.append("".join(t.text or "" for t in si.iter("{%s}t" % NS["m"])))
    workbook = ElementTree.fromstring(xlsx.read("xl/workbook.xml"))
    rels = ElementTree.fromstring(xlsx.read("xl/_rels/workbook.xml.rels"))
    targets = {rel.get("Id"): rel.get("Target") for rel in rels}
    out = ["warning\t" + w for w in warnings]
    for i, sheet in enumerate(workbook.find("m:sheets", NS)):
        out.append(f"sheet\t{i}\t{sheet.get('name')}")
        target = targets[sheet.get("{%s}id" % NS["r"])]
        xml = ElementTree.fromstring(xlsx.read("xl/" + target))
        for c in xml.iter("{%s}c" % NS["m"]):
            f = c.find("m:f", NS)
            if f is not None:
                out.append(f"formula\t{i}\t{c.get('r')}\t{f.text or ''}")
            v = c.find("m:v", NS)
            if v is None:
                continue
            text = strings[int(v.text)] if c.get("t") == "s" else v.text
            out.append(f"value\t{i}\t{c.get('r')}\t{text}")
        for m in xml.iter("{%s}mergeCell" % NS["m"]):
            out.append(f"merge\t{i}\t{m.get('ref')}")
        margins = xml.find("m:pageMargins", NS)
        if margins is not None:
            out.append("margins\t%d\t%s" % (i, "\t".join(margins.get(k) for k in ("left", "right", "top", "bottom"))))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
