#!/usr/bin/python3
"""Writes JPL DE405 ASCII coefficient blocks (ascp<year>.405) from casacore's DE405 table.

Debian ships DE405 as a casacore table (package casacore-data-jpl-de405): one row per 32-day
record, column MJD = modified Julian date at which the record begins, column x = the record's
numbers 3..1020 (the Chebyshev coefficients in JPL's order, ending with two zero pads), and the
keyword x.Description = JPL's pointer table (first number, coefficients per component,
sub-intervals per record for the 13 series). The table covers JD 2436912.5 .. 2473488.5
(1960-2060).

JPL's ASCII layout, reproduced here byte for byte:
  - a header line "%6d%6d": the record number within the file (from 1) and 1018;
  - the 1020 numbers of the record, three per line, each in a field of 26 characters written as
    Fortran's D26.16 does: 0.dddddddddddddddd with the exponent letter D ("0.2444176500000000D+07").
Numbers 1 and 2 are the Julian dates at which the record begins and ends.

Block <year> holds the records from the one containing January 1 of <year> (Gregorian, 0h) up to,
not including, the one containing January 1 of <year>+20; every block after the first of the
ephemeris (1600) starts with one extra record that repeats the last record of the block before.

Usage: make_ascii.py [--table DIR] [--years 1980,2000,2020] OUTDIR
The blocks go to OUTDIR/JPL/ (created when missing). Each file is written under a temporary name
and renamed when complete, so an interrupted run leaves no half-written block.
"""

import argparse
import os
import sys

DEFAULT_TABLE = "/usr/share/casacore/data/ephemerides/DE405"
DEFAULT_YEARS = (1980, 2000, 2020)

RECORD_DAYS = 32.0
NUMBERS = 1020        # numbers of a record in the ASCII file, pads included
NCOEFF = 1018         # the count the header line states
EPHEMERIS_START = 2305424.5  # first date of DE405 (block 1600 has no repeated head record)

# JPL's pointer table of DE405: first number, coefficients per component, sub-intervals, for
# Mercury .. Pluto, the Moon, the Sun, nutations and librations.
DE405_LAYOUT = [3, 171, 231, 309, 342, 366, 387, 405, 423, 441, 753, 819, 899,
                14, 10, 13, 11, 8, 7, 6, 6, 6, 13, 11, 10, 10,
                4, 2, 2, 1, 1, 1, 1, 1, 1, 8, 2, 4, 4]


def jd_january_first(year):
    """Julian date of January 1.0 of a Gregorian year (Fliegel & Van Flandern, CACM 11, 657)."""
    a = (14 - 1) // 12
    y = year + 4800 - a
    m = 1 + 12 * a - 3
    return 1 + (153 * m + 2) // 5 + 365 * y + y // 4 - y // 100 + y // 400 - 32045 - 0.5


def record_start(jd):
    """Begin of the 32-day record that contains jd."""
    return EPHEMERIS_START + RECORD_DAYS * ((jd - EPHEMERIS_START) // RECORD_DAYS)


def block_range(year):
    """(first record begin, end) of the dates that select block <year>; year a multiple of 20."""
    return record_start(jd_january_first(year)), record_start(jd_january_first(year + 20))


def fortran_d(value):
    """One number as Fortran D26.16 writes it: sign, 0., 16 digits, D, signed exponent."""
    if value == 0.0:
        return "%26s" % "0.0000000000000000D+00"
    text = "%.15e" % value  # 16 significant digits, correctly rounded: -d.ddddddddddddddde+XX
    sign = "-" if text[0] == "-" else ""
    mantissa, exponent = text.lstrip("-").split("e")
    digits = mantissa.replace(".", "")
    exp = int(exponent) + 1
    if not -99 <= exp <= 99:
        raise ValueError("exponent out of the D26.16 range: %r" % value)
    return "%26s" % ("%s0.%sD%s%02d" % (sign, digits, "-" if exp < 0 else "+", abs(exp)))


def open_table(path):
    try:
        import casacore.tables as tables
    except ImportError:
        sys.exit("make_ascii.py: python3-casacore is missing "
                 "(apt-get install python3-casacore casacore-data-jpl-de405 python3-numpy)")
    if not os.path.isdir(path):
        sys.exit("make_ascii.py: no casacore DE405 table at %s "
                 "(apt-get install casacore-data-jpl-de405)" % path)
    table = tables.table(path, ack=False)
    keywords = table.getkeywords()
    if int(keywords.get("DENUM", 0)) != 405 or float(keywords.get("dMJD", 0)) != RECORD_DAYS:
        sys.exit("make_ascii.py: %s is not the DE405 table with 32-day records" % path)
    layout = [int(v) for v in table.getcolkeyword("x", "Description")]
    if layout != DE405_LAYOUT:
        sys.exit("make_ascii.py: unexpected coefficient layout in %s: %s" % (path, layout))
    mjd = table.getcol("MJD")
    coeffs = table.getcol("x")
    table.close()
    if coeffs.shape[1] != NUMBERS - 2:
        sys.exit("make_ascii.py: records of %d numbers, expected %d" % (coeffs.shape[1], NUMBERS - 2))
    for i in range(1, len(mjd)):
        if mjd[i] - mjd[i - 1] != RECORD_DAYS:
            sys.exit("make_ascii.py: gap in the table at MJD %.1f" % mjd[i - 1])
    return mjd, coeffs


def block_records(year):
    """(first record begin, end) of the file of block <year>, its repeated head record included."""
    begin, end = block_range(year)
    return (begin - RECORD_DAYS if year > 1600 else begin), end


def check_coverage(years, mjd):
    """Exits before anything is written when the table lacks a record of a block asked for."""
    jd0 = float(mjd[0]) + 2400000.5
    jd1 = float(mjd[-1]) + 2400000.5 + RECORD_DAYS
    for year in years:
        first, end = block_records(year)
        if first < jd0 or end > jd1:
            sys.exit("make_ascii.py: block %d needs JD %.1f..%.1f, the table covers %.1f..%.1f"
                     % (year, first, end, jd0, jd1))


def write_block(outdir, year, mjd, coeffs):
    first, end = block_records(year)
    jd0 = float(mjd[0]) + 2400000.5
    start_row = int(round((first - jd0) / RECORD_DAYS))
    count = int(round((end - first) / RECORD_DAYS))
    path = os.path.join(outdir, "ascp%04d.405" % year)
    temp = path + ".part"
    try:
        with open(temp, "w", encoding="ascii", newline="\n") as out:
            for n in range(count):
                row = start_row + n
                t0 = float(mjd[row]) + 2400000.5
                numbers = [t0, t0 + RECORD_DAYS] + [float(v) for v in coeffs[row]]
                out.write("%6d%6d\n" % (n + 1, NCOEFF))
                for i in range(0, NUMBERS, 3):
                    out.write("".join(fortran_d(v) for v in numbers[i:i + 3]) + "\n")
        os.replace(temp, path)
    except BaseException:
        if os.path.exists(temp):
            os.remove(temp)
        raise
    return path, count, first, end


def main():
    parser = argparse.ArgumentParser(
        description="Write JPL DE405 ASCII blocks ascp<year>.405 into OUTDIR/JPL "
                    "from casacore's DE405 table.")
    parser.add_argument("outdir", help="the program's work directory (the blocks go to OUTDIR/JPL)")
    parser.add_argument("--table", default=DEFAULT_TABLE, help="casacore DE405 table directory")
    parser.add_argument("--years", default=",".join(str(y) for y in DEFAULT_YEARS),
                        help="first years of the blocks, multiples of 20 (default 1980,2000,2020)")
    args = parser.parse_args()
    try:
        years = [int(y) for y in args.years.split(",") if y.strip()]
    except ValueError:
        sys.exit("make_ascii.py: --years takes years separated by commas, e.g. 1980,2000")
    if not years or any(y % 20 or y < 1600 for y in years):
        sys.exit("make_ascii.py: block years are multiples of 20 from 1600")
    mjd, coeffs = open_table(args.table)
    check_coverage(years, mjd)
    outdir = os.path.join(args.outdir, "JPL")
    os.makedirs(outdir, exist_ok=True)
    for year in years:
        path, count, first, end = write_block(outdir, year, mjd, coeffs)
        print("%s: %d records, JD %.1f .. %.1f" % (path, count, first, end))


if __name__ == "__main__":
    main()
