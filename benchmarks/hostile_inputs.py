#!/usr/bin/python3
"""Time and peak memory of the headless converter on hostile documents.

Usage: hostile_inputs.py CONVERTER [CASE ...]

Each case writes one small document into a fresh folder, converts it with CONVERTER under
a 60 s and 4 GB limit, and prints the case, the exit status, the seconds and the peak
resident memory. Cases: tables (20,000 one-cell tables, --tables), prefixes (300,000
namespace prefixes), wide (257 rows spanning 16,384 columns), pieces (a .doc whose piece
table names the same 1 MB of text 1,100 times), bins (a .doc whose character bin table has
700,000 entries naming one formatting page), marks (a web page of 100,000 unclosed <o:p> and
1,000,000 <o:p without ">"), rowspans (a web page with one row of 16,384 cells spanning 65,534
rows, then 65,533 empty rows), subset (Word 2003 XML behind an internal DTD subset). The .doc cases start from the reader's fixture
tests/data/doc/reader.doc and write a real compound file through libgsf (python3-gi,
gir1.2-gsf-1).
"""
import os
import resource
import struct
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


# FIB fields (MS-DOC 2.5.1): flags (fWhichTblStm), ccpText, fcPlcfBteChpx, fcClx.
FIB_FLAGS = 0x0A
FIB_CCP_TEXT = 0x4C
FIB_CHPX_BINS = 0xFA
FIB_CLX = 0x1A2
FIXTURE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "doc",
                       "reader.doc")


def gsf():
    import gi
    gi.require_version("Gsf", "1")
    from gi.repository import Gsf
    return Gsf


def read_streams(path):
    """The top-level streams of a compound file, by name."""
    Gsf = gsf()
    ole = Gsf.InfileMSOle.new(Gsf.InputStdio.new(path))
    streams = {}
    for i in range(ole.num_children()):
        child = ole.child_by_index(i)
        streams[ole.name_by_index(i)] = bytes(child.read(child.props.size))
    return streams


def write_streams(path, streams):
    """A compound file holding `streams`."""
    Gsf = gsf()
    output = Gsf.OutputStdio.new(path)
    ole = Gsf.OutfileMSOle.new(output)
    for name, data in streams.items():
        child = ole.new_child(name, False)
        child.write(data)
        child.close()
    ole.close()


def hostile_doc(path, change):
    """reader.doc with change(word, table) applied to its WordDocument and table streams."""
    streams = read_streams(FIXTURE)
    word = bytearray(streams["WordDocument"])
    table_name = "1Table" if word[FIB_FLAGS + 1] & 0x02 else "0Table"
    table = bytearray(streams[table_name])
    change(word, table)
    streams["WordDocument"] = bytes(word)
    streams[table_name] = bytes(table)
    write_streams(path, streams)


def point(word, table, field, structure):
    """Append a structure to the table stream and point a FIB fc/lcb pair at it."""
    struct.pack_into("<II", word, field, len(table), len(structure))
    table += structure


def case_pieces(folder):
    def change(word, table):
        length = 1 << 20
        fc = len(word)
        word += (b"lorem ipsum " * (length // 12 + 1))[:length]
        count = 1100
        plc = b"".join(struct.pack("<I", i * length) for i in range(count + 1))
        plc += b"".join(struct.pack("<HIH", 0, 0x40000000 | (fc * 2), 0) for _ in range(count))
        point(word, table, FIB_CLX, b"\x02" + struct.pack("<I", len(plc)) + plc)
        struct.pack_into("<I", word, FIB_CCP_TEXT, count * length)
    hostile_doc(os.path.join(folder, "pieces.doc"), change)
    return []


def case_bins(folder):
    def change(word, table):
        fc, lcb = struct.unpack_from("<II", word, FIB_CHPX_BINS)
        entries = (lcb - 4) // 8
        page = struct.unpack_from("<I", table, fc + (entries + 1) * 4)[0]
        count = 700000
        plc = b"".join(struct.pack("<I", i) for i in range(count + 1))
        plc += struct.pack("<I", page) * count
        point(word, table, FIB_CHPX_BINS, plc)
    hostile_doc(os.path.join(folder, "bins.doc"), change)
    return []


def write_text(path, text):
    with open(path, "w") as out:
        out.write(text)


def case_marks(folder):
    write_text(os.path.join(folder, "marks.doc"), "<html><body><p>x" + "<o:p>" * 100000)
    write_text(os.path.join(folder, "open.doc"), "<html><body><p>x" + "<o:p " * 1000000)
    return []


def case_rowspans(folder):
    row = "<tr>" + "<td rowspan=65534>x" * 16384
    write_text(os.path.join(folder, "rowspans.doc"),
               "<html><body><table>" + row + "<tr>" * 65533 + "</table>")
    return []


def case_subset(folder):
    write_text(os.path.join(folder, "subset.doc"),
               '<?xml version="1.0"?><!DOCTYPE w:wordDocument [ <!ENTITY e "]>"> ]>'
               '<w:wordDocument xmlns:w="http://schemas.microsoft.com/office/word/2003/wordml">'
               '<w:body><w:p><w:r><w:t>x&e;</w:t></w:r></w:p></w:body></w:wordDocument>')
    return []


CASES = {"tables": case_tables, "prefixes": case_prefixes, "wide": case_wide,
         "pieces": case_pieces, "bins": case_bins, "marks": case_marks,
         "rowspans": case_rowspans, "subset": case_subset}


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
