"""Check that the parts of a package follow the element order of the ECMA-376 schemas.

Usage: check_order.py FILE -> prints "ok", or one line per problem and exits 1.
Excel asks to repair a file whose elements come out of schema order.
"""
import sys
import xml.etree.ElementTree as ET
import zipfile

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"

# CT_Worksheet (18.3.1.99), CT_Stylesheet (18.8.39), CT_Workbook (18.2.27) sequences.
ORDERS = {
    "worksheet": ["sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData",
                  "sheetCalcPr", "sheetProtection", "protectedRanges", "scenarios", "autoFilter",
                  "sortState", "dataConsolidate", "customSheetViews", "mergeCells", "phoneticPr",
                  "conditionalFormatting", "dataValidations", "hyperlinks", "printOptions",
                  "pageMargins", "pageSetup", "headerFooter", "rowBreaks", "colBreaks",
                  "customProperties", "cellWatches", "ignoredErrors", "smartTags", "drawing",
                  "legacyDrawing", "legacyDrawingHF", "picture", "oleObjects", "controls",
                  "webPublishItems", "tableParts", "extLst"],
    "styleSheet": ["numFmts", "fonts", "fills", "borders", "cellStyleXfs", "cellXfs", "cellStyles",
                   "dxfs", "tableStyles", "colors", "extLst"],
    "workbook": ["fileVersion", "fileSharing", "workbookPr", "workbookProtection", "bookViews",
                 "sheets", "functionGroups", "externalReferences", "definedNames", "calcPr",
                 "oleSize", "customWorkbookViews", "pivotCaches", "smartTagPr", "smartTagTypes",
                 "webPublishing", "fileRecoveryPr", "webPublishObjects", "extLst"],
    "border": ["left", "right", "top", "bottom", "diagonal", "vertical", "horizontal"],
}


def check(element, problems, part):
    local = element.tag.replace(MAIN, "")
    order = ORDERS.get(local)
    if order is not None:
        last = -1
        for child in element:
            name = child.tag.replace(MAIN, "")
            if name not in order:
                problems.append(f"{part}: <{name}> not allowed in <{local}>")
                continue
            index = order.index(name)
            if index < last:
                problems.append(f"{part}: <{name}> out of order in <{local}>")
            if index == last and local != "border":
                problems.append(f"{part}: <{name}> repeated in <{local}>")
            last = index
    for child in element:
        check(child, problems, part)


def main():
    problems = []
    with zipfile.ZipFile(sys.argv[1]) as package:
        for name in package.namelist():
            if name.endswith(".xml") or name.endswith(".rels"):
                root = ET.fromstring(package.read(name))
                check(root, problems, name)
        counts = {}
        for name in ("xl/styles.xml",):
            root = ET.fromstring(package.read(name))
            for collection in root:
                count = collection.get("count")
                if count is not None and int(count) != len(list(collection)):
                    problems.append(f"{name}: count of <{collection.tag}> is wrong")
            counts["xfs"] = len(list(root.find(MAIN + "cellXfs")))
        for name in package.namelist():
            if name.startswith("xl/worksheets/"):
                root = ET.fromstring(package.read(name))
                for cell in root.iter(MAIN + "c"):
                    if int(cell.get("s", "0")) >= counts["xfs"]:
                        problems.append(f"{name}: style index of {cell.get('r')} out of range")
    if problems:
        print("\n".join(problems))
        sys.exit(1)
    print("ok")


if __name__ == "__main__":
    main()
