"""Reads a workbook the way a spreadsheet user's tools would and prints what
it holds as JSON, for the export tests to compare against.

Usage: /usr/bin/python3 read_workbook.py [--structure] WORKBOOK.xlsx

--structure leaves out the cells and rows and reads only the start of each
worksheet, for workbooks of a million rows.
"""
import json
import re
import sys
import xml.etree.ElementTree as ET
import zipfile

import openpyxl

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
REL = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}"
PKG_REL = "{http://schemas.openxmlformats.org/package/2006/relationships}"
TYPES = "{http://schemas.openxmlformats.org/package/2006/content-types}"
PROPS = "{http://schemas.openxmlformats.org/officeDocument/2006/extended-properties}"
VT = "{http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes}"
OFFICE_ESCAPE = re.compile("_x([0-9A-Fa-f]{4})_")
DIMENSION = re.compile(rb'<dimension ref="([^"]*)"')


def office_unescape(text):
    return OFFICE_ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)


def cells_of(sheet):
    cells = {}
    for (row, column), cell in sorted(sheet._cells.items()):
        value = cell.value
        if isinstance(value, str):
            cells[cell.coordinate] = ["s", value]
        else:
            cells[cell.coordinate] = ["n", value]
    return cells


def sheet_parts(archive, structure):
    """Every worksheet as the workbook lists it, through its relationship."""
    targets = {
        rel.get("Id"): "xl/" + rel.get("Target")
        for rel in ET.fromstring(archive.read("xl/_rels/workbook.xml.rels")).iter(
            PKG_REL + "Relationship"
        )
    }
    parts = []
    book = ET.fromstring(archive.read("xl/workbook.xml"))
    for sheet in book.iter(MAIN + "sheet"):
        entry = targets[sheet.get(REL + "id")]
        with archive.open(entry) as part:
            start = part.read(4096)
        part = {
            "name": sheet.get("name"),
            "sheetId": sheet.get("sheetId"),
            "entry": entry,
            "dimension": DIMENSION.search(start).group(1).decode(),
            "selected": b'tabSelected="1"' in start,
        }
        if not structure:
            root = ET.fromstring(archive.read(entry))
            part["rows"] = [int(row.get("r")) for row in root.iter(MAIN + "row")]
        parts.append(part)
    return parts


def main(path, structure):
    out = {}
    with zipfile.ZipFile(path) as archive:
        if not structure:
            out["bad_entry"] = archive.testzip()
        out["entries"] = [
            {
                "name": info.filename,
                "compression": info.compress_type,
                "mode": (info.external_attr >> 16) & 0o177777,
            }
            for info in archive.infolist()
        ]
        out["sheetParts"] = sheet_parts(archive, structure)
        types = ET.fromstring(archive.read("[Content_Types].xml"))
        out["worksheetTypes"] = [
            o.get("PartName")
            for o in types.iter(TYPES + "Override")
            if o.get("ContentType").endswith("worksheet+xml")
        ]
        app = ET.fromstring(archive.read("docProps/app.xml"))
        out["appSheetCount"] = int(app.find(f"{PROPS}HeadingPairs//{VT}i4").text)
        out["appTitles"] = [t.text for t in app.find(PROPS + "TitlesOfParts").iter(VT + "lpstr")]
        sst = ET.fromstring(archive.read("xl/sharedStrings.xml"))
        out["count"] = int(sst.get("count"))
        out["uniqueCount"] = int(sst.get("uniqueCount"))
        if structure:
            json.dump(out, sys.stdout)
            return
        sheet = ET.fromstring(archive.read("xl/worksheets/sheet1.xml"))
        out["dimension"] = sheet.find(MAIN + "dimension").get("ref")
        out["rows"] = [
            [int(row.get("r")), row.get("spans")] for row in sheet.iter(MAIN + "row")
        ]
        out["strings"] = [office_unescape(t.text or "") for t in sst.iter(MAIN + "t")]

    workbook = openpyxl.load_workbook(path)
    out["cells"] = cells_of(workbook.active)
    out["sheetCells"] = {name: cells_of(workbook[name]) for name in workbook.sheetnames}
    out["sheets"] = workbook.sheetnames
    json.dump(out, sys.stdout)


if __name__ == "__main__":
    args = sys.argv[1:]
    structure = args[:1] == ["--structure"]
    main(args[-1], structure)
