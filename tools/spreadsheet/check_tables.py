#!/usr/bin/python3
"""Errors of a shipped table workbook against a modern ephemeris, for the table of errors in
docs/tables.md.

The workbook (data/workbooks/<name>.fods) is converted and evaluated by LibreOffice through the
program's own bridge (tools/spreadsheet/orvant_bridge.py), at dates spread over a few years
around each of several epochs; each date goes into the date cells of the table's calendar, the
hours counted from the table's noon at its meridian (the catalogue's ObsL, as the program does).
The modern positions, geocentric ecliptic longitude and latitude of the equinox and ecliptic of
the date:

  Sun, Mercury, Venus, Mars: Keplerian elements with linear rates, valid 3000 BC - AD 3000
    (E. M. Standish, "Keplerian Elements for Approximate Positions of the Major Planets", JPL,
    Table 2a), rotated from the ecliptic and equinox of J2000 to those of the date by the
    precession angles eta, Pi, p of Lieske et al. 1977 (J. Meeus, Astronomical Algorithms, 2nd
    ed. 1998, 21.5 and 21.7); light time and aberration (below 0;1) are neglected;
  Moon: the main periodic terms of ELP-2000/82 as given by Meeus, ch. 47 (24 terms in longitude,
    13 in latitude; better than 0.1 deg), which are of the date's equinox.

Universal time from terrestrial time by Delta T = -20 + 32 u^2 s, u = (year - 1820)/100
(Morrison and Stephenson 2004).

Usage: tools/spreadsheet/check_tables.py [Almagest]   (prints a Markdown table)
"""

import math
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
D2R = math.pi / 180

# Standish, Table 2a (3000 BC - AD 3000): a, e, I, L, long. perihelion, long. node, and rates per
# Julian century.
ELEMENTS = {
    "Mercury": ([0.38709843, 0.20563661, 7.00559432, 252.25166724, 77.45771895, 48.33961819],
                [0.0, 0.00002123, -0.00590158, 149472.67486623, 0.15940013, -0.12214182]),
    "Venus": ([0.72332102, 0.00676399, 3.39777545, 181.97970850, 131.76755713, 76.67261496],
              [-0.00000026, -0.00005107, 0.00043494, 58517.81560260, 0.05679648, -0.27274174]),
    "EMBary": ([1.00000018, 0.01673163, -0.00054346, 100.46691572, 102.93005885, -5.11260389],
               [-0.00000003, -0.00003661, -0.01337178, 35999.37306329, 0.31795260,
                -0.24123856]),
    "Mars": ([1.52371243, 0.09336511, 1.85181869, -4.56813164, -23.91744784, 49.71320984],
             [0.00000097, 0.00009149, -0.00724757, 19140.29934243, 0.45223625, -0.26852431]),
}


def heliocentric(name, T):
    (a, e, i, L, w, n), rates = ELEMENTS[name]
    a, e, i, L, w, n = (x + r * T for x, r in zip((a, e, i, L, w, n), rates))
    M = math.radians((L - w) % 360)
    E = M + e * math.sin(M)
    for _ in range(50):
        E -= (E - e * math.sin(E) - M) / (1 - e * math.cos(E))
    xp, yp = a * (math.cos(E) - e), a * math.sqrt(1 - e * e) * math.sin(E)
    om, no, inc = math.radians(w - n), math.radians(n), math.radians(i)
    co, so, cn, sn, ci, si = (math.cos(om), math.sin(om), math.cos(no), math.sin(no),
                              math.cos(inc), math.sin(inc))
    return ((co * cn - so * sn * ci) * xp + (-so * cn - co * sn * ci) * yp,
            (co * sn + so * cn * ci) * xp + (-so * sn + co * cn * ci) * yp,
            (so * si) * xp + (co * si) * yp)


def precess(lon, lat, T):
    """From the ecliptic and equinox of J2000 to those of the date (Meeus 21.5, 21.7)."""
    s = 1 / 3600
    eta = (47.0029 * T - 0.03302 * T * T + 0.000060 * T ** 3) * s * D2R
    Pi = (174.876384 - (869.8089 * T - 0.03536 * T * T) * s) * D2R
    p = (5029.0966 * T + 1.11113 * T * T - 0.000006 * T ** 3) * s
    lo, la = lon * D2R, lat * D2R
    A = math.cos(eta) * math.cos(la) * math.sin(Pi - lo) - math.sin(eta) * math.sin(la)
    B = math.cos(la) * math.cos(Pi - lo)
    C = math.cos(eta) * math.sin(la) + math.sin(eta) * math.cos(la) * math.sin(Pi - lo)
    return (p + math.degrees(Pi - math.atan2(A, B))) % 360, math.degrees(math.asin(C))


def planet(name, jde):
    T = (jde - 2451545.0) / 36525
    ex, ey, ez = heliocentric("EMBary", T)
    if name == "Sun":
        x, y, z = -ex, -ey, -ez
    else:
        px, py, pz = heliocentric(name, T)
        x, y, z = px - ex, py - ey, pz - ez
    lon = math.degrees(math.atan2(y, x)) % 360
    lat = math.degrees(math.atan2(z, math.hypot(x, y)))
    return precess(lon, lat, T)


MOON_L = [  # D, M, M', F, coefficient 1e-6 deg (Meeus table 47.A, main terms)
    (0, 0, 1, 0, 6288774), (2, 0, -1, 0, 1274027), (2, 0, 0, 0, 658314), (0, 0, 2, 0, 213618),
    (0, 1, 0, 0, -185116), (0, 0, 0, 2, -114332), (2, 0, -2, 0, 58793), (2, -1, -1, 0, 57066),
    (2, 0, 1, 0, 53322), (2, -1, 0, 0, 45758), (0, 1, -1, 0, -40923), (1, 0, 0, 0, -34720),
    (0, 1, 1, 0, -30383), (2, 0, 0, -2, 15327), (0, 0, 1, 2, -12528), (0, 0, 1, -2, 10980),
    (4, 0, -1, 0, 10675), (0, 0, 3, 0, 10034), (4, 0, -2, 0, 8548), (2, 1, -1, 0, -7888),
    (2, 1, 0, 0, -6766), (1, 0, -1, 0, -5163), (1, 1, 0, 0, 4987), (2, -1, 1, 0, 4036)]
MOON_B = [  # Meeus table 47.B, main terms
    (0, 0, 0, 1, 5128122), (0, 0, 1, 1, 280602), (0, 0, 1, -1, 277693), (2, 0, 0, -1, 173237),
    (2, 0, -1, 1, 55413), (2, 0, -1, -1, 46271), (2, 0, 0, 1, 32573), (0, 0, 2, 1, 17198),
    (2, 0, 1, -1, 9266), (0, 0, 2, -1, 8822), (2, -1, 0, -1, 8216), (2, 0, -2, -1, 4324),
    (2, 0, 1, 1, 4200)]


def moon(jde):
    T = (jde - 2451545.0) / 36525
    Lp = 218.3164477 + 481267.88123421 * T - 0.0015786 * T * T + T ** 3 / 538841
    D = 297.8501921 + 445267.1114034 * T - 0.0018819 * T * T + T ** 3 / 545868
    M = 357.5291092 + 35999.0502909 * T - 0.0001536 * T * T
    Mp = 134.9633964 + 477198.8675055 * T + 0.0087414 * T * T + T ** 3 / 69699
    F = 93.2720950 + 483202.0175233 * T - 0.0036539 * T * T
    E = 1 - 0.002516 * T - 0.0000074 * T * T

    def series(terms):
        total = 0.0
        for d, m, mp, f, c in terms:
            arg = (d * D + m * M + mp * Mp + f * F) * D2R
            total += c * E ** abs(m) * (math.sin(arg))
        return total * 1e-6
    return (Lp + series(MOON_L)) % 360, series(MOON_B)


def delta_t_days(year):
    u = (year - 1820) / 100
    return (-20 + 32 * u * u) / 86400


def julian_year(jd):
    return (jd - 1721057.5) / 365.25  # close enough for Delta T


def modern(obj, jd_ut):
    jde = jd_ut + delta_t_days(julian_year(jd_ut))
    return moon(jde) if obj == "Moon" else planet(obj, jde)


# The Almagest: Egyptian calendar of the era of Nabonassar, day from noon at the table's
# meridian; Thoth 1 of year 1 at noon is JD 1448638.0 (local time).
NABONASSAR_JD = 1448638.0


def almagest_date(jd_ut, obs_l):
    t = jd_ut + obs_l / 360 - NABONASSAR_JD
    year = int(t // 365)
    rest = t - 365 * year
    month = int(rest // 30)
    day_rest = rest - 30 * month
    day = int(day_rest)
    return [(1, "B6", "i", year + 1), (1, "C6", "i", month + 1), (1, "D6", "i", day + 1),
            (1, "E6", "d", (day_rest - day) * 24)]


TABLES = {
    # name: (ObsL, date cells, {object: (sheet, L cell, B reading)}, epochs (years), span days)
    "Almagest": (39, almagest_date, {
        "Sun": ((2, "N20"), None),
        "Moon": ((3, "X36"), ("deg", 3, "X43")),
        "Mercury": ((8, "AD61"), ("min", 8, "AD36")),
        "Venus": ((7, "AD61"), ("min", 7, "AD36")),
        "Mars": ((6, "AD57"), ("minNS", 6, "AF30", "AE30")),
    }, [-600, -300, 0, 140, 500, 900]),
}


class Bridge:
    def __init__(self):
        # The bridge needs the Python that has LibreOffice's uno module (Debian's, as a rule).
        python = os.environ.get("ORVANT_PYTHON") or (
            "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable)
        self.p = subprocess.Popen([python, os.path.join(HERE, "orvant_bridge.py")],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        line = self.p.stdout.readline().strip()
        if line != "READY":
            raise SystemExit("bridge: " + line)

    def ask(self, *fields):
        self.p.stdin.write("\t".join(str(f) for f in fields) + "\n")
        self.p.stdin.flush()
        answer = self.p.stdout.readline().rstrip("\n").split("\t")
        if answer[0] != "OK":
            raise SystemExit("bridge: " + "\t".join(answer))
        return answer[1:]

    def close(self):
        self.p.stdin.write("QUIT\n")
        self.p.stdin.flush()
        self.p.wait(timeout=60)


def main():
    names = sys.argv[1:] or list(TABLES)
    bridge = Bridge()
    out = ["| Table | Object | Epoch | mean dL | RMS dL | max abs dL | max abs dB |",
           "|---|---|---|---|---|---|---|"]
    try:
        with tempfile.TemporaryDirectory() as tmp:
            for name in names:
                obs_l, dates, objects, epochs = TABLES[name]
                xls = os.path.join(tmp, name + ".xls")
                bridge.ask("CONVERT", os.path.join(ROOT, "data", "workbooks", name + ".fods"), xls)
                book = bridge.ask("OPEN", xls)[0]
                reads = []
                for obj, (lcell, bcell) in objects.items():
                    reads.append(lcell)
                    if bcell:
                        reads += [tuple(bcell[1:3])] + ([(bcell[1], bcell[3])]
                                                        if bcell[0] == "minNS" else [])
                errors = {(o, ep): [] for o in objects for ep in epochs}
                for ep in epochs:
                    jd0 = 1721423.5 + (ep - 1) * 365.25  # Jan 1 of the Julian year, about
                    for k in range(80):  # every 23 days over five years
                        jd = jd0 + 23.0 * k
                        writes = dates(jd, obs_l)
                        fields = [len(writes)]
                        for w in writes:
                            fields += list(w)
                        fields.append(len(reads))
                        for r in reads:
                            fields += list(r)
                        ans = bridge.ask("EVAL", book, *fields)
                        vals = [ans[i + 1] for i in range(0, len(ans), 2)]
                        n = 0
                        for obj, (lcell, bcell) in objects.items():
                            lon = float(vals[n])
                            n += 1
                            lat = None
                            if bcell:
                                lat = float(vals[n]) / (60 if bcell[0] != "deg" else 1)
                                n += 1
                                if bcell[0] == "minNS":
                                    if vals[n] == "S":
                                        lat = -lat
                                    n += 1
                            ml, mb = modern(obj, jd)
                            dl = (lon - ml + 180) % 360 - 180
                            db = None if lat is None else lat - mb
                            errors[(obj, ep)].append((dl, db))
                bridge.ask("CLOSE", book)
                for obj in objects:
                    for ep in epochs:
                        e = errors[(obj, ep)]
                        dls = [x[0] for x in e]
                        mean = sum(dls) / len(dls)
                        rms = math.sqrt(sum(x * x for x in dls) / len(dls))
                        mx = max(abs(x) for x in dls)
                        dbs = [abs(x[1]) for x in e if x[1] is not None]
                        era = ("%d BC" % (1 - ep)) if ep <= 0 else ("AD %d" % ep)
                        out.append("| %s | %s | %s | %+.2f | %.2f | %.2f | %s |" % (
                            name, obj, era, mean, rms, mx, ("%.2f" % max(dbs)) if dbs else "-"))
    finally:
        bridge.close()
    print("\n".join(out))


if __name__ == "__main__":
    main()
