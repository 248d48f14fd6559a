#!/usr/bin/python3
"""Make the form fixtures: forms.docx written by hand (legacy check boxes, drop-downs, text
fields, symbol-font characters, each in a table cell of its own), then LibreOffice's .doc
save of it (its RTF and HTML saves keep no check box state, drop-down or symbol font, so the
tests write those formats by hand). LibreOffice only makes the fixtures; the tests never run it.

Run from this folder: ./make_forms.py (needs soffice on PATH).
"""
import os
import subprocess
import tempfile
import zipfile

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"


def field(data, instruction, result=None):
    xml = ('<w:r><w:fldChar w:fldCharType="begin"><w:ffData>%s</w:ffData></w:fldChar></w:r>'
           '<w:r><w:instrText xml:space="preserve"> %s </w:instrText></w:r>' % (data, instruction))
    if result is not None:
        xml += ('<w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t xml:space="preserve">'
                '%s</w:t></w:r>' % result)
    return xml + '<w:r><w:fldChar w:fldCharType="end"/></w:r>'


def box(name, checked):
    state = '<w:checked/>' if checked else '<w:default w:val="0"/>'
    return field('<w:name w:val="%s"/><w:enabled/><w:checkBox><w:sizeAuto/>%s</w:checkBox>'
                 % (name, state), "FORMCHECKBOX")


def symbol(font, code):
    return '<w:r><w:sym w:font="%s" w:char="%s"/></w:r>' % (font, code)


# One row per case: label, cell content (paragraph runs). The expected cell text is in
# the tests that read the saves.
ROWS = [
    ("ticked", box("Ticked", True)),
    ("unticked", box("Unticked", False)),
    ("dropdown", field('<w:name w:val="Pick"/><w:enabled/><w:ddList><w:result w:val="1"/>'
                       '<w:listEntry w:val="red"/><w:listEntry w:val="green"/></w:ddList>',
                       "FORMDROPDOWN", "green")),
    ("text", field('<w:name w:val="Town"/><w:enabled/><w:textInput/>', "FORMTEXT", "Oslo")),
    ("empty text", field('<w:name w:val="Blank"/><w:enabled/><w:textInput/>', "FORMTEXT",
                         "\u2002" * 5)),
    ("symbols", symbol("Wingdings", "F0E0") + symbol("Wingdings", "F0FC") +
     symbol("Symbol", "F061") + symbol("Wingdings", "F0FE") + symbol("Wingdings", "F0A8")),
]


def document():
    rows = "".join(
        '<w:tr><w:tc><w:p><w:r><w:t>%s</w:t></w:r></w:p></w:tc><w:tc><w:p>%s</w:p></w:tc></w:tr>'
        % (label, content) for label, content in ROWS)
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:document xmlns:w="%s">'
            '<w:body><w:tbl><w:tblGrid><w:gridCol w:w="2000"/><w:gridCol w:w="4000"/></w:tblGrid>'
            '%s</w:tbl><w:p/></w:body></w:document>' % (W, rows))


def write_docx(path):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as package:
        package.writestr("[Content_Types].xml",
                         '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/'
                         'package/2006/content-types"><Default Extension="rels" ContentType="'
                         'application/vnd.openxmlformats-package.relationships+xml"/><Default '
                         'Extension="xml" ContentType="application/xml"/><Override PartName="'
                         '/word/document.xml" ContentType="application/vnd.openxmlformats-'
                         'officedocument.wordprocessingml.document.main+xml"/></Types>')
        package.writestr("_rels/.rels",
                         '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats'
                         '.org/package/2006/relationships"><Relationship Id="rId1" Type="http://'
                         'schemas.openxmlformats.org/officeDocument/2006/relationships/'
                         'officeDocument" Target="word/document.xml"/></Relationships>')
        package.writestr("word/document.xml", document())


def main():
    write_docx("forms.docx")
    with tempfile.TemporaryDirectory() as profile:
        subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless",
                        "--convert-to", "doc", "forms.docx"], check=True,
                       stdout=subprocess.DEVNULL)


if __name__ == "__main__":
    main()
