#!/usr/bin/env python3
"""Writes the test workbooks tests/observations/workbooks/*.fods.

Each workbook has the sheets and the cells of one table's cell map, typed here again from the
layout of the table workbooks (not taken from the program), with formulas that are easy to check:
every longitude cell computes

    1000*(object + 1) + year + month/100 + day/10^4 + hours/10^6

from the four date cells of the first sheet, every latitude cell the same with 500 added and the
sign changed (in arc-minutes, times 60, where the program divides by 60), and the CorrTab cell
7 + (year + month/100 + day/10^4 + hours/10^6)/1000. So a date written into a wrong cell, a cell
read from a wrong sheet, or a latitude taken for a longitude shows in the numbers. The Almagest's
Mars sheet gives the text "S" in AE30 on odd days and "N" on even days.

Variants for the failure tests: AlBattaniBad (a text, a #VALUE! and an empty cell where numbers
are read) and WingShort (two sheets only).

Run from the repository root: python3 tools/spreadsheet/make_test_workbooks.py
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fods import Formula, workbook  # noqa: E402

# name: (sheets, (year, month, day, hours), corr, {object: (sheet, L, sheet, B or None, divisor)})
# corr: None (0), "almagest" (computed), or (sheet, cell).
TABLES = {
    "AlBattani": (9, ("D9", "C9", "B9", "F9"), None, {
        0: (1, "C14", None, None, 1), 1: (1, "C20", 1, "F20", 1), 2: (1, "C19", 1, "F19", 1),
        4: (1, "C18", 1, "F18", 1), 11: (1, "C15", 1, "F15", 1)}),
    "AlfonsoTab": (7, ("D13", "C13", "B13", "F13"), (1, "D39"), {
        0: (1, "D46", None, None, 1), 1: (1, "D145", None, None, 1),
        2: (1, "D128", None, None, 1), 4: (1, "D112", None, None, 1),
        11: (1, "D55", 1, "D60", 1)}),
    "AlKhwarizmi": (9, ("D9", "C9", "B9", "F9"), (1, "C22"), {
        0: (1, "C14", None, None, 1), 1: (1, "C20", 1, "F20", 1), 2: (1, "C19", 1, "F19", 1),
        4: (1, "C18", 1, "F18", 1), 11: (1, "C15", 1, "F15", 1)}),
    "Almagest": (8, ("B6", "C6", "D6", "E6"), "almagest", {
        0: (2, "N20", None, None, 1), 1: (8, "AD61", 8, "AD36", 60),
        2: (7, "AD61", 7, "AD36", 60), 4: (6, "AD57", 6, "AF30", 60),
        11: (3, "X36", 3, "X43", 1)}),
    "RudolphineTables": (11, ("C10", "D10", "E10", "F10"), (3, "F27"), {
        0: (1, "C13", None, None, 1), 1: (1, "C19", 1, "G19", 1), 2: (1, "C18", 1, "G18", 1),
        4: (1, "C17", 1, "G17", 1), 11: (1, "C23", 1, "G23", 1)}),
    "Streete": (10, ("C14", "D14", "E14", "F14"), (1, "G20"), {
        0: (1, "D25", None, None, 1), 1: (9, "S35", 9, "S41", 1), 2: (8, "S35", 8, "S41", 1),
        4: (7, "S35", 7, "S41", 1), 11: (1, "G50", 1, "G46", 1)}),
    "Tycho": (1, ("E11", "D11", "C11", "G11"), None, {
        0: (1, "G20", None, None, 1), 11: (1, "G29", 1, "G52", 1)}),
    "Wing": (10, ("C14", "D14", "E14", "F14"), None, {
        0: (3, "P19", None, None, 1), 1: (8, "V51", 8, "V52", 1), 2: (7, "V48", 7, "V49", 1),
        4: (6, "V48", 6, "V49", 1), 11: (1, "G47", 1, "G43", 1)}),
}


def date_part(cells):
    y, m, d, h = ("[$Sheet1.%s]" % c for c in cells)
    return "(%s+%s/100+%s/10000+%s/1000000)" % (y, m, d, h)


def build(name, nsheets, date_cells, corr, objects):
    sheets = [("Sheet%d" % k, {}) for k in range(1, nsheets + 1)]
    for c in date_cells:
        sheets[0][1][c] = 0
    dp = date_part(date_cells)
    if isinstance(corr, tuple):
        sheets[corr[0] - 1][1][corr[1]] = Formula("of:=7+%s/1000" % dp)
    for obj, (ls, lc, bs, bc, div) in objects.items():
        sheets[ls - 1][1][lc] = Formula("of:=%d+%s" % (1000 * (obj + 1), dp))
        if bc:
            sheets[bs - 1][1][bc] = Formula("of:=-(%d+%s)*%d" % (1000 * (obj + 1) + 500, dp, div))
    if name == "Almagest":
        sheets[5][1]["AE30"] = Formula('of:=IF(MOD([$Sheet1.D6];2)=1;"S";"N")',
                                       string_result=True)
    return sheets


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                       "observations", "workbooks")
    os.makedirs(out, exist_ok=True)
    books = {name: build(name, *cells) for name, cells in TABLES.items()}
    bad = build("AlBattani", *TABLES["AlBattani"])
    bad[0][1]["C14"] = "нет данных"                       # Sun: a text
    bad[0][1]["C20"] = Formula('of:="x"+1')               # Mercury: #VALUE!
    del bad[0][1]["C19"]                                  # Venus: an empty cell
    books["AlBattaniBad"] = bad
    books["WingShort"] = build("Wing", *TABLES["Wing"])[:2]
    for name, sheets in books.items():
        with open(os.path.join(out, name + ".fods"), "w", encoding="utf-8") as f:
            f.write(workbook(sheets))


if __name__ == "__main__":
    main()
