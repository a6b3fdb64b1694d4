"""Reads a workbook the way a spreadsheet user's tools would and prints what
it holds as JSON, for the export tests to compare against.

Usage: /usr/bin/python3 read_workbook.py WORKBOOK.xlsx
"""
import json
import re
import sys
import xml.etree.ElementTree as ET
import zipfile

import openpyxl

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
OFFICE_ESCAPE = re.compile("_x([0-9A-Fa-f]{4})_")


def office_unescape(text):
    return OFFICE_ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)


def main(path):
    out = {}
    with zipfile.ZipFile(path) as archive:
        out["bad_entry"] = archive.testzip()
        out["entries"] = [
            {
                "name": info.filename,
                "compression": info.compress_type,
                "mode": (info.external_attr >> 16) & 0o177777,
            }
            for info in archive.infolist()
        ]
        sheet = ET.fromstring(archive.read("xl/worksheets/sheet1.xml"))
        out["dimension"] = sheet.find(MAIN + "dimension").get("ref")
        out["rows"] = [
            [int(row.get("r")), row.get("spans")] for row in sheet.iter(MAIN + "row")
        ]
        sst = ET.fromstring(archive.read("xl/sharedStrings.xml"))
        out["count"] = int(sst.get("count"))
        out["uniqueCount"] = int(sst.get("uniqueCount"))
        out["strings"] = [office_unescape(t.text or "") for t in sst.iter(MAIN + "t")]

    workbook = openpyxl.load_workbook(path)
    sheet = workbook.active
    cells = {}
    for (row, column), cell in sorted(sheet._cells.items()):
        value = cell.value
        if isinstance(value, str):
            cells[cell.coordinate] = ["s", value]
        else:
            cells[cell.coordinate] = ["n", value]
    out["cells"] = cells
    out["sheets"] = workbook.sheetnames
    json.dump(out, sys.stdout)


if __name__ == "__main__":
    main(sys.argv[1])
