#!/usr/bin/python3
"""Time and peak memory of the headless converter on hostile documents.

Usage: hostile_inputs.py CONVERTER [CASE ...]

Each case writes one small document into a fresh folder, converts it with CONVERTER under
a 60 s and 4 GB limit, and prints the case, the exit status, the seconds and the peak
resident memory. Cases: tables (20,000 one-cell tables, --tables), prefixes (300,000
namespace prefixes), wide (257 rows spanning 16,384 columns).
"""
import os
import resource
import subprocess
import sys
import tempfile
import time
import zipfile

WORD = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
CONTENT_TYPES = (
    '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/'
    'content-types"><Default Extension="rels" ContentType="application/'
    'vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" '
    'ContentType="application/xml"/><Override PartName="/word/document.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.'
    'document.main+xml"/></Types>')
RELS = (
    '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/'
    '2006/relationships"><Relationship Id="r1" Type="http://schemas.openxmlformats.org/'
    'officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>'
    '</Relationships>')


def write_docx(path, body, declarations=""):
    """A package whose document part holds `body`, its root declaring `declarations`."""
    document = ('<?xml version="1.0"?><w:document xmlns:w="%s"%s><w:body>%s</w:body>'
                '</w:document>' % (WORD, declarations, body))
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as package:
        package.writestr("[Content_Types].xml", CONTENT_TYPES)
        package.writestr("_rels/.rels", RELS)
        package.writestr("word/document.xml", document)


def case_tables(folder):
    cell = '<w:tbl><w:tr><w:tc><w:p><w:r><w:t>x</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/>'
    write_docx(os.path.join(folder, "tables.docx"), cell * 20000)
    return ["--tables"]


def case_prefixes(folder):
    declarations = "".join(' xmlns:p%d="urn:p%d"' % (i, i) for i in range(300000))
    write_docx(os.path.join(folder, "prefixes.docx"),
               '<w:p><w:r><w:t>x</w:t></w:r></w:p>' * 200, declarations)
    return []


def case_wide(folder):
    row = ('<w:tr><w:tc><w:tcPr><w:gridSpan w:val="16384"/></w:tcPr><w:p><w:r><w:t>x</w:t>'
           '</w:r></w:p></w:tc></w:tr>')
    grid = '<w:tblGrid>' + '<w:gridCol w:w="10"/>' * 16384 + '</w:tblGrid>'
    write_docx(os.path.join(folder, "wide.docx"), '<w:tbl>' + grid + row * 257 + '</w:tbl>')
    return []


CASES = {"tables": case_tables, "prefixes": case_prefixes, "wide": case_wide}


def limit():
    """Keep a runaway run within 4 GB of address space."""
    resource.setrlimit(resource.RLIMIT_AS, (4 << 30, 4 << 30))


def run(converter, name):
    with tempfile.TemporaryDirectory() as root:
        source = os.path.join(root, "src")
        dest = os.path.join(root, "out")
        os.makedirs(source)
        os.makedirs(dest)
        options = CASES[name](source)
        start = time.monotonic()
        try:
            process = subprocess.run([converter, "--quiet"] + options + [source, dest],
                                     capture_output=True, timeout=60, preexec_fn=limit)
            status = process.returncode
        except subprocess.TimeoutExpired:
            status = "timeout"
        seconds = time.monotonic() - start
        peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss // 1024
        print("%-9s exit %-7s %6.2f s  peak %5d MB (largest child so far)" %
              (name, status, seconds, peak))


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    for name in sys.argv[2:] or sorted(CASES):
        run(sys.argv[1], name)
    return 0


if __name__ == "__main__":
    sys.exit(main())
