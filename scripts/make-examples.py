#!/usr/bin/python3
"""Writes the sample documents of examples/ (python3-docx), for `make demo`.

    /usr/bin/python3 scripts/make-examples.py [FOLDER]   (default: examples)

The tree: a form with merged cells and Chinese text, a report with several tables, a staff
list with 18-digit ID numbers and leading-zero codes, a document in a nested subfolder, and
one deliberately broken file (a cut-off .docx) that ends up in the failure report.
"""
import importlib.util
import os
import sys

import docx
from docx.shared import Pt, RGBColor


def form(path):
    """A leave application form: merged cells across and down, Chinese labels."""
    document = docx.Document()
    document.add_heading("请假申请表", level=1)
    table = document.add_table(rows=5, cols=4)
    table.style = "Table Grid"
    cells = [["姓名", "张三", "部门", "财务部"],
             ["请假类型", "年假", "天数", "3"],
             ["事由", "回老家探亲", "", ""],
             ["审批意见", "同意", "", ""],
             ["", "", "签字", "李四"]]
    for r, row in enumerate(cells):
        for c, text in enumerate(row):
            table.cell(r, c).text = text
    table.cell(2, 1).merge(table.cell(2, 3))  # reason spans three columns
    table.cell(3, 1).merge(table.cell(3, 3))
    table.cell(3, 0).merge(table.cell(4, 0))  # label spans two rows
    for row in table.rows:
        run = row.cells[0].paragraphs[0].runs
        if run:
            run[0].bold = True
    document.add_paragraph("备注：请于休假前三个工作日提交。")
    document.save(path)


def report(path):
    """A quarterly report: headings, paragraphs and three tables of figures."""
    document = docx.Document()
    document.add_heading("2024年第三季度经营报告", level=1)
    document.add_paragraph("本季度销售额稳步增长，详见下表。")
    sales = document.add_table(rows=4, cols=3)
    sales.style = "Table Grid"
    for r, row in enumerate([["地区", "销售额(万元)", "增长率"],
                             ["华东", "1,234", "12%"],
                             ["华南", "987.50", "8.5%"],
                             ["华北", "1.50", "-3%"]]):
        for c, text in enumerate(row):
            sales.cell(r, c).text = text
    heading = sales.rows[0].cells[0].paragraphs[0].runs[0]
    heading.bold = True
    heading.font.color.rgb = RGBColor(0xC0, 0x00, 0x00)
    document.add_heading("费用", level=2)
    costs = document.add_table(rows=3, cols=2)
    costs.style = "Table Grid"
    for r, row in enumerate([["项目", "金额"], ["差旅", "4500"], ["办公", "1200.00"]]):
        for c, text in enumerate(row):
            costs.cell(r, c).text = text
    document.add_heading("人员", level=2)
    people = document.add_table(rows=2, cols=2)
    people.style = "Table Grid"
    for r, row in enumerate([["季度初", "季度末"], ["42", "45"]]):
        for c, text in enumerate(row):
            people.cell(r, c).text = text
    paragraph = document.add_paragraph()
    paragraph.add_run("结论：").bold = True
    paragraph.add_run("继续保持。").font.size = Pt(14)
    document.save(path)


def staff(path):
    """A staff list whose numbers must stay text: ID numbers, codes with leading zeros."""
    document = docx.Document()
    document.add_paragraph("员工名单")
    table = document.add_table(rows=4, cols=4)
    table.style = "Table Grid"
    for r, row in enumerate([["工号", "姓名", "身份证号", "电话"],
                             ["007", "王五", "110105199001011234", "01012345678"],
                             ["0420", "赵六", "31011519851231002X", "13800138000"],
                             ["1001", "钱七", "440305200002290011", "075588886666"]]):
        for c, text in enumerate(row):
            table.cell(r, c).text = text
    document.save(path)


def minutes(path):
    """Meeting minutes in a nested subfolder: lines split at a full-width colon."""
    document = docx.Document()
    for line in ["会议：季度总结", "时间：2024-10-08", "地点：三楼会议室", "记录人：孙八"]:
        document.add_paragraph(line)
    document.save(path)


def broken(path, sample):
    """The first half of a real .docx: a ZIP without its central directory."""
    with open(sample, "rb") as source:
        data = source.read()
    with open(path, "wb") as target:
        target.write(data[: len(data) // 2])


def filled_forms(folder):
    """Five filled copies of one form with its blank (collect mode's demo), by the test's maker:
    beside the copies a copy of another form and a damaged one, as real returns have."""
    found = importlib.util.spec_from_file_location(
        "collect_forms", os.path.join(os.path.dirname(__file__), "..", "tests", "engine", "collect_forms.py"))
    maker = importlib.util.module_from_spec(found)
    found.loader.exec_module(maker)
    maker.make(folder, 5, 2024)
    os.replace(os.path.join(folder, "form.docx"), os.path.join(folder, "空白表.docx"))
    os.replace(os.path.join(folder, "copies"), os.path.join(folder, "回收"))
    os.remove(os.path.join(folder, "expected.json"))
    os.remove(os.path.join(folder, "回收", "~$copy01.docx"))


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "examples"
    os.makedirs(os.path.join(root, "报告"), exist_ok=True)
    os.makedirs(os.path.join(root, "归档", "2024"), exist_ok=True)
    form(os.path.join(root, "请假申请表.docx"))
    report(os.path.join(root, "报告", "季度报告.docx"))
    staff(os.path.join(root, "员工名单.docx"))
    minutes(os.path.join(root, "归档", "2024", "会议纪要.docx"))
    broken(os.path.join(root, "损坏的文件.docx"), os.path.join(root, "员工名单.docx"))
    filled_forms(os.path.join(root, "表单"))


if __name__ == "__main__":
    main()
