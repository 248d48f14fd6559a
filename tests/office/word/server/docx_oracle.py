#!/usr/bin/python3
"""Independent extraction of the top-level tables of a .docx/.docm, for the reader tests.

Walks word/document.xml with zipfile + ElementTree (no code shared with the C++ reader) by
the copy rules of the built-in Word, and prints JSON: for each top-level table (content
controls unwrapped, nested tables excluded) its grid size, every cell's text at its grid
position, and its merged areas.
"""
import json
import posixpath
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

W_NS = ("http://schemas.openxmlformats.org/wordprocessingml/2006/main",
        "http://purl.oclc.org/ooxml/wordprocessingml/main")
MC_NS = "http://schemas.openxmlformats.org/markup-compatibility/2006"
W14_NS = "http://schemas.microsoft.com/office/word/2010/wordml"
TICKED, UNTICKED = "\u2611", "\u2610"
# Symbol-font codes the corpus uses, as the fonts draw them.
SYMBOL_GLYPHS = {("symbol", 0xB7): "\u2022", ("wingdings", 0xFE): TICKED,
                 ("wingdings", 0xA8): UNTICKED, ("wingdings", 0xFC): "\u2714"}


def split(tag):
    if not isinstance(tag, str) or not tag.startswith("{"):
        return "", tag if isinstance(tag, str) else ""
    ns, _, name = tag[1:].partition("}")
    return ns, name


def is_w(el, *names):
    ns, name = split(el.tag)
    return ns in W_NS and name in names


def is_alternate(el):
    return split(el.tag) == (MC_NS, "AlternateContent")


def first_choice(el):
    for child in el:
        if split(child.tag)[1] == "Choice":
            return child
    return None


def wattr(el, name):
    for key, value in el.attrib.items():
        ns, local = split(key)
        if local == name and (ns == "" or ns in W_NS):
            return value
    return None


def on(value):
    return value is None or value.lower() in ("", "1", "true", "on")


def form_field(fld):
    """What a legacy form field's begin mark shows: ("box"/"list", text), ("text", None) or
    None when it is no form field."""
    for data in fld:
        if not is_w(data, "ffData"):
            continue
        for item in data:
            if is_w(item, "checkBox"):
                state = {split(c.tag)[1]: wattr(c, "val") for c in item}
                ticked = on(state["checked"]) if "checked" in state else (
                    "default" in state and on(state["default"]))
                return "box", TICKED if ticked else UNTICKED
            if is_w(item, "ddList"):
                entries = [wattr(c, "val") or "" for c in item if is_w(c, "listEntry")]
                picks = [wattr(c, "val") for c in item if is_w(c, "result", "default")]
                for pick in picks + ["0"]:
                    if pick is not None and pick.isdigit() and int(pick) < len(entries):
                        return "list", entries[int(pick)]
                return "list", ""
        return "text", None
    return None


class Extractor:
    def __init__(self):
        self.fields = []  # "instr", "result" or "hidden" per open complex field
        self.text_field = None  # (depth, output list, start) of the open text form field

    def shows(self):
        return all(part == "result" for part in self.fields)

    def run_item(self, el, out):
        if is_alternate(el):
            choice = first_choice(el)
            if choice is not None:
                for child in choice:
                    self.run_item(child, out)
            return
        ns, name = split(el.tag)
        if ns not in W_NS:
            return
        if name == "t":
            if self.shows():
                out.append("".join(el.itertext()))
        elif name == "fldChar":
            kind = wattr(el, "fldCharType")
            if kind == "begin":
                form = form_field(el)
                if form and form[0] != "text":
                    if self.shows():
                        out.append(form[1])
                    self.fields.append("hidden")
                elif len(self.fields) < 64:
                    if form and self.shows():
                        self.text_field = [len(self.fields) + 1, None, 0]
                    self.fields.append("instr")
            elif kind == "separate":
                if self.fields and self.fields[-1] == "instr":
                    self.fields[-1] = "result"
                if self.text_field and self.text_field[0] == len(self.fields):
                    self.text_field[1:] = [out, len(out)]
            elif kind == "end":
                field = self.text_field
                if field and field[0] == len(self.fields):
                    self.text_field = None
                    if field[1] is out and not "".join(out[field[2]:]).strip(" \u2002\u3000"):
                        del out[field[2]:]
                if self.fields:
                    self.fields.pop()
        elif name == "ruby":
            for child in el:
                if is_w(child, "rubyBase"):
                    self.paragraph_content(child, out)
        elif self.shows():
            if name in ("tab", "ptab"):
                out.append("\t")
            elif name == "br":
                if wattr(el, "type") not in ("page", "column"):
                    out.append("\n")
            elif name == "cr":
                out.append("\n")
            elif name == "noBreakHyphen":
                out.append("-")
            elif name == "sym":
                try:
                    code = int(wattr(el, "char") or "", 16)
                except ValueError:
                    code = 0
                font = (wattr(el, "font") or "").lower()
                plain = code - 0xF000 if 0xF000 <= code <= 0xF0FF else code
                if (font, plain) in SYMBOL_GLYPHS:
                    out.append(SYMBOL_GLYPHS[(font, plain)])
                elif 0 < code <= 0xFFFF and not 0xD800 <= code <= 0xDFFF:
                    out.append(chr(code))

    def paragraph_content(self, el, out):
        for child in el:
            if is_w(child, "r"):
                for item in child:
                    if not is_w(item, "rPr"):
                        self.run_item(item, out)
            elif is_w(child, "sdt"):
                self.inline_control(child, out)
            elif is_w(child, "hyperlink", "smartTag", "customXml", "ins", "moveTo", "fldSimple",
                      "dir", "bdo", "sdtContent"):
                self.paragraph_content(child, out)
            elif is_alternate(child):
                choice = first_choice(child)
                if choice is not None:
                    self.paragraph_content(choice, out)

    def inline_control(self, sdt, out):
        """A content control in a paragraph: a check box is its box, a placeholder nothing."""
        properties = [p for c in sdt if is_w(c, "sdtPr") for p in c]
        if any(is_w(p, "showingPlcHdr") and on(wattr(p, "val")) for p in properties):
            return
        for p in properties:
            if split(p.tag) == (W14_NS, "checkbox"):
                ticked = any(split(c.tag) == (W14_NS, "checked") and
                             c.get("{%s}val" % W14_NS) in ("1", "true") for c in p)
                out.append(TICKED if ticked else UNTICKED)
                return
        for child in sdt:
            if is_w(child, "sdtContent"):
                self.paragraph_content(child, out)

    def paragraph_text(self, p):
        out = []
        self.paragraph_content(p, out)
        return "".join(out)

    def blocks(self, el, nesting, out):
        """Blocks under el as ("p", text) and ("tbl", rows)."""
        for child in el:
            if is_w(child, "p"):
                out.append(("p", self.paragraph_text(child)))
            elif is_w(child, "tbl"):
                out.append(("tbl", self.table(child, nesting)))
            elif is_w(child, "sdt"):
                for part in child:
                    if is_w(part, "sdtContent"):
                        self.blocks(part, nesting, out)
            elif is_w(child, "customXml", "ins", "moveTo"):
                self.blocks(child, nesting, out)
            elif is_alternate(child):
                choice = first_choice(child)
                if choice is not None:
                    self.blocks(choice, nesting, out)
        return out

    def rows_of(self, el, out):
        for child in el:
            if is_w(child, "tr"):
                out.append(child)
            elif is_w(child, "sdt", "sdtContent", "customXml", "ins", "moveTo"):
                self.rows_of(child, out)

    def cells_of(self, el, out):
        for child in el:
            if is_w(child, "tc"):
                out.append(child)
            elif is_w(child, "sdt", "sdtContent", "customXml", "ins", "moveTo"):
                self.cells_of(child, out)

    def table(self, tbl, nesting):
        """A table as {"grid": n, "rows": [{"before", "after", "cells": [...]}]}."""
        grid = 0
        for child in tbl:
            if is_w(child, "tblGrid"):
                grid = sum(1 for col in child if is_w(col, "gridCol"))
        trs = []
        self.rows_of(tbl, trs)
        rows = []
        for tr in trs:
            row = {"before": 0, "after": 0, "cells": []}
            for child in tr:
                if is_w(child, "trPr"):
                    for prop in child:
                        if is_w(prop, "gridBefore", "gridAfter"):
                            try:
                                value = max(0, int(wattr(prop, "val") or ""))
                            except ValueError:
                                value = 0
                            row["before" if is_w(prop, "gridBefore") else "after"] = value
            tcs = []
            self.cells_of(tr, tcs)
            for tc in tcs:
                cell = {"span": 1, "vmerge": None, "hcont": False, "blocks": []}
                for child in tc:
                    if is_w(child, "tcPr"):
                        for prop in child:
                            value = wattr(prop, "val")
                            if is_w(prop, "gridSpan"):
                                try:
                                    cell["span"] = max(1, int(value or ""))
                                except ValueError:
                                    cell["span"] = 1
                            elif is_w(prop, "vMerge"):
                                cell["vmerge"] = "restart" if value == "restart" else "continue"
                            elif is_w(prop, "hMerge"):
                                cell["hcont"] = value != "restart"
                    else:
                        self.blocks_one(child, nesting + 1, cell["blocks"])
                if cell["hcont"] and row["cells"]:
                    prev = row["cells"][-1]
                    prev["span"] += cell["span"]
                    prev["blocks"].extend(cell["blocks"])
                else:
                    row["cells"].append(cell)
            rows.append(row)
        return {"grid": grid, "rows": rows}

    def blocks_one(self, child, nesting, out):
        holder = ET.Element("holder")
        holder.append(child)
        self.blocks(holder, nesting, out)


def cell_text(cell):
    parts = []
    for kind, value in cell["blocks"]:
        if kind == "p":
            parts.append(value)
        else:
            lines = []
            for row in value["rows"]:
                lines.append("\t".join(cell_text(c).replace("\n", " ") for c in row["cells"]))
            parts.append("\n".join(lines))
    return "\n".join(parts).rstrip("\n")


def layout(table):
    width = table["grid"]
    for row in table["rows"]:
        width = max(width, row["before"] + row["after"] + sum(c["span"] for c in row["cells"]))
    columns = max(1, width)
    texts = {}
    regions = []
    open_at = {}
    for r, row in enumerate(table["rows"]):
        col = row["before"]
        for cell in row["cells"]:
            if col >= columns:
                break
            span = max(1, min(cell["span"], columns - col))
            text = cell_text(cell)
            region = open_at.get(col)
            if (cell["vmerge"] == "continue" and region is not None and region[2] == r - 1
                    and region[3] == col + span - 1):
                region[2] = r
                if text:
                    key = (region[0], region[1])
                    texts[key] = texts[key] + "\n" + text if texts.get(key) else text
            else:
                region = [r, col, r, col + span - 1]
                regions.append(region)
                open_at[col] = region
                if text:
                    texts[(r, col)] = text
            for k in range(1, span):
                open_at.pop(col + k, None)
            col += span
    merges = [reg for reg in regions if reg[2] > reg[0] or reg[3] > reg[1]]
    return {"rows": len(table["rows"]), "columns": columns,
            "cells": [[r, c, t] for (r, c), t in sorted(texts.items())], "merges": merges}


def main_part(package):
    rels = ET.fromstring(package.read("_rels/.rels"))
    for rel in rels:
        if rel.get("Type", "").endswith("/officeDocument"):
            target = rel.get("Target", "")
            return target[1:] if target.startswith("/") else posixpath.normpath(target)
    raise SystemExit("no main document")


def main():
    with zipfile.ZipFile(sys.argv[1]) as package:
        names = {name.lower(): name for name in package.namelist()}
        root = ET.fromstring(package.read(names[main_part(package).lower()]))
    extractor = Extractor()
    tables = []
    for body in root:
        if is_w(body, "body"):
            for kind, value in extractor.blocks(body, 0, []):
                if kind == "tbl":
                    tables.append(layout(value))
    json.dump({"tables": tables}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
