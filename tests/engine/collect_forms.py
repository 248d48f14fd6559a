#!/usr/bin/python3
"""Filled copies of one generated form, and a check of collect mode's workbook (openpyxl).

    /usr/bin/python3 collect_forms.py make FOLDER COPIES SEED   # FOLDER/form.docx, FOLDER/copies/
    /usr/bin/python3 collect_forms.py check FOLDER BOOK.xlsx    # prints the mismatches as JSON

The copies differ in what a careless user would change: labels spaced differently, two rows
swapped in one copy, a repeating table of 0 to 20 rows. Beside them: a copy of another form,
a damaged file and a Word owner file.
"""
import json
import os
import random
import sys

import docx
import openpyxl

SPACED = {"姓名": ["姓名", "姓\u3000名", "姓 名"], "外语能力": ["外语能力", "外 语\n能 力"]}


def label(name, rng):
    return rng.choice(SPACED.get(name, [name]))


def values_of(rng, index):
    return {
        "姓名": "张%d" % index,
        "性别": rng.choice(["男", "女"]),
        "身份证号": "33010619%02d0101%04d" % (rng.randint(50, 99), rng.randint(0, 9999)),
        "出生年月": "19%02d.10" % rng.randint(50, 99),
        "电话": "0571%07d" % rng.randint(0, 9999999),
        "外语能力": rng.choice(["英语六级", "日语N1", "无"]),
        "得分": "%d.50" % rng.randint(1, 99),
        "称谓": rng.choice(["父亲", "母亲"]),
        "工作单位": "单位%d" % rng.randint(1, 999),
        "填表人": "李%d" % index,
    }


def fill(document, values, rng, moved=False, rows=0):
    """The form's tables and paragraph; `values` None leaves every field empty."""
    v = values or {}
    table = document.add_table(rows=5, cols=4)
    order = [0, 1, 3, 2, 4] if moved else [0, 1, 2, 3, 4]
    lines = [["姓名", v.get("姓名", ""), "性别",
              ("☑男 ☐女" if v.get("性别") == "男" else "☐男 ☑女") if values else "☐男 ☐女"],
             ["身份证号", v.get("身份证号", ""), None, None],
             ["出生年月", v.get("出生年月", ""), "电话", v.get("电话", "")],
             ["外语能力", v.get("外语能力", ""), "得分", v.get("得分", "")],
             ["家庭成员", None, None, None]]
    for at, line in zip(order, lines):
        cells = table.rows[at].cells
        for column, text in enumerate(line):
            if text is not None:
                cells[column].text = label(text, rng) if column % 2 == 0 else text
    table.cell(order[1], 1).merge(table.cell(order[1], 3))
    family = table.cell(order[4], 1).merge(table.cell(order[4], 3))
    nested = family.add_table(rows=2, cols=2)
    for r, name in enumerate(["称谓", "工作单位"]):
        nested.cell(r, 0).text = name
        nested.cell(r, 1).text = v.get(name, "")
    history = document.add_table(rows=1 + (rows if values else 3), cols=3)
    for column, name in enumerate(["时间", "单位", "职务"]):
        history.cell(0, column).text = name
    for r in range(rows if values else 0):
        for column in range(3):
            history.cell(r + 1, column).text = "%s%d" % (["200", "公司", "职务"][column], r)
    document.add_paragraph("填表人：%s" % (v.get("填表人") or "______"))


def make(folder, copies, seed):
    rng = random.Random(int(seed))
    os.makedirs(os.path.join(folder, "copies"), exist_ok=True)
    form = docx.Document()
    fill(form, None, rng)
    form.save(os.path.join(folder, "form.docx"))
    expected = {}
    for index in range(1, int(copies) + 1):
        values = values_of(rng, index)
        rows = rng.randint(0, 20)
        document = docx.Document()
        fill(document, values, rng, moved=index == 7, rows=rows)
        name = "copy%02d.docx" % index
        document.save(os.path.join(folder, "copies", name))
        expected[name] = {"values": values, "rows": rows}
    other = docx.Document()
    other.add_table(rows=2, cols=2).cell(0, 0).text = "项目"
    other.save(os.path.join(folder, "copies", "zz-other.docx"))
    with open(os.path.join(folder, "copies", "zz-damaged.docx"), "wb") as damaged:
        damaged.write(b"PK\x03\x04 not really a package")
    with open(os.path.join(folder, "copies", "~$copy01.docx"), "wb") as owner:
        owner.write(b"\x00" * 162)
    with open(os.path.join(folder, "expected.json"), "w") as out:
        json.dump(expected, out, ensure_ascii=False)


def check(folder, book_path):
    """Mismatches between the workbook and what the copies hold."""
    expected = json.load(open(os.path.join(folder, "expected.json")))
    book = openpyxl.load_workbook(book_path)
    summary = book["汇总"]
    header = [cell.value for cell in summary[1]]
    rows = {row[0]: dict(zip(header, row)) for row in summary.iter_rows(min_row=2, values_only=True)}
    problems = []
    for name, copy in expected.items():
        row = rows.get(name)
        if row is None:
            problems.append("no row for " + name)
            continue
        for field, value in copy["values"].items():
            # Decimals become numbers whose format shows them as written ("1998.10").
            got = row.get(field)
            if field in ("得分", "出生年月") and isinstance(got, float):
                got = "%.2f" % got
            if got != value:
                problems.append("%s %s: %r, expected %r" % (name, field, row.get(field), value))
    details = book["明细"] if "明细" in book.sheetnames else None
    counted = {}
    for row in (details.iter_rows(min_row=2, values_only=True) if details else []):
        counted[row[0]] = counted.get(row[0], 0) + 1
    for name, copy in expected.items():
        if counted.get(name, 0) != copy["rows"]:
            problems.append("%s: %d detail rows, expected %d" % (name, counted.get(name, 0), copy["rows"]))
    notes = [row for row in book["核对"].iter_rows(min_row=2, values_only=True)]
    id_column = openpyxl.utils.get_column_letter(header.index("身份证号") + 1)
    print(json.dumps({"problems": problems, "documents": sorted(rows), "header": header,
                      "notes": notes, "frozen": summary.freeze_panes,
                      "filter": summary.auto_filter.ref,
                      "idWidth": summary.column_dimensions[id_column].width}, ensure_ascii=False))


if __name__ == "__main__":
    {"make": make, "check": check}[sys.argv[1]](*sys.argv[2:])
