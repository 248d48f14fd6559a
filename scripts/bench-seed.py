#!/usr/bin/env python3
"""The seed document of the benchmark trees: a heading, a paragraph and one 10x5 table.

    scripts/bench-seed.py OUT.docx
"""
import sys

import docx

document = docx.Document()
document.add_heading("Quarterly figures", level=1)
document.add_paragraph("Figures for the quarter, by region and month.")
table = document.add_table(rows=10, cols=5)
for r in range(10):
    for c in range(5):
        table.cell(r, c).text = "R%dC%d" % (r, c) if r == 0 else str(r * 100 + c)
document.save(sys.argv[1])
