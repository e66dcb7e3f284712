#!/usr/bin/env python3
"""Writes an observatory file of Mars seen from Greenwich (the columns of the observatory files).

  make_series.py dates YEAR1 YEAR2 STEP            the dates only (a placeholder place)
  make_series.py places YEAR1 YEAR2 STEP TRACE     the same dates with the apparent right
                                                   ascension and declination of date that the
                                                   reduction's trace (Dat/Ras_data_*.txt) computed

Observations at 21 h UT every STEP days from January 1 of YEAR1 up to YEAR2. The places are
rounded as the file's columns hold them: 1e-5 s of right ascension, 1e-4" of declination.
"""
import datetime
import sys

MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]


def record(day, ra_deg, dec_deg):
    ra = round(ra_deg % 360 / 15 * 3600 * 1e5)
    dec = round(abs(dec_deg) * 3600 * 1e4)
    return "%-10s%4d %2d %3s %c%02d %02d %02d %04d%6s%c%02d %02d %02d %05d%11s%c%02d %02d %02d %04d" % (
        "GREN", day.year, day.day, MONTHS[day.month - 1], " ", 21, 0, 0, 0, "", " ",
        ra // 360000000, ra // 6000000 % 60, ra // 100000 % 60, ra % 100000, "",
        "-" if dec_deg < 0 else "+", dec // 36000000, dec // 600000 % 60, dec // 10000 % 60, dec % 10000)


def main():
    mode, year1, year2, step = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
    days = []
    d = datetime.date(year1, 1, 1)
    while d.year < year2:
        days.append(d)
        d += datetime.timedelta(days=step)
    if mode == "dates":
        places = [(122.5, 22.0)] * len(days)
    else:
        places = []
        with open(sys.argv[5], encoding="utf-8") as trace:
            for line in trace:
                if line.rstrip().endswith("GEO EQU Ras Nut"):
                    w = line.split()
                    places.append((float(w[0].replace(",", ".")), float(w[1].replace(",", "."))))
        if len(places) != len(days):
            sys.exit("make_series.py: %d places in the trace for %d dates" % (len(places), len(days)))
    print("Mars, Greenwich: apparent places of JPL0 (mean elements) written by make_series.py")
    print("right ascension and declination of date")
    print("UT time of the observation")
    print("columns of the observatory files")
    print("%d, %d" % (year1, year2))
    for day, (ra, dec) in zip(days, places):
        print(record(day, ra, dec))


main()
