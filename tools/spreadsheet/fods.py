"""Writing flat ODS workbooks (.fods) from a small description.

A workbook is a list of sheets (name, {address: cell}); a cell is a number, a text, or a
formula in OpenFormula syntax ("of:=[.B6]*2", "of:=[$Date.B6]"). The project keeps its
workbooks as these text files; LibreOffice converts them to .xls for the program.
"""

import re
from xml.sax.saxutils import escape, quoteattr

NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
      'xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" '
      'office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet"')


class Formula:
    def __init__(self, text, string_result=False):
        self.text = text
        self.string_result = string_result


def position(addr):
    m = re.match(r"^([A-Z]+)([0-9]+)$", addr)
    col = 0
    for ch in m.group(1):
        col = col * 26 + ord(ch) - 64
    return int(m.group(2)), col


def cell_xml(value):
    if isinstance(value, Formula):
        kind = ('office:value-type="string" office:string-value=""' if value.string_result
                else 'office:value-type="float" office:value="0"')
        return '<table:table-cell table:formula=%s %s/>' % (quoteattr(value.text), kind)
    if isinstance(value, str):
        return ('<table:table-cell office:value-type="string"><text:p>%s</text:p>'
                '</table:table-cell>' % escape(value))
    return '<table:table-cell office:value-type="float" office:value="%r"/>' % float(value)


def workbook(sheets):
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<office:document %s>' % NS, ' <office:body>', '  <office:spreadsheet>']
    for name, cells in sheets:
        out.append('   <table:table table:name=%s>' % quoteattr(name))
        rows = {}
        for addr, value in cells.items():
            r, c = position(addr)
            rows.setdefault(r, {})[c] = value
        maxcol = max([c for row in rows.values() for c in row] + [1])
        out.append('    <table:table-column table:number-columns-repeated="%d"/>' % maxcol)
        row_no = 1
        for r in sorted(rows):
            if r > row_no:
                out.append('    <table:table-row table:number-rows-repeated="%d">'
                           '<table:table-cell/></table:table-row>' % (r - row_no))
            parts = []
            col_no = 1
            for c in sorted(rows[r]):
                if c > col_no:
                    parts.append('<table:table-cell table:number-columns-repeated="%d"/>'
                                 % (c - col_no))
                parts.append(cell_xml(rows[r][c]))
                col_no = c + 1
            out.append('    <table:table-row>%s</table:table-row>' % ''.join(parts))
            row_no = r + 1
        if not rows:
            out.append('    <table:table-row><table:table-cell/></table:table-row>')
        out.append('   </table:table>')
    out += ['  </office:spreadsheet>', ' </office:body>', '</office:document>', '']
    return '\n'.join(out)
