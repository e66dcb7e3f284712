#!/usr/bin/env python3
"""Writes data/workbooks/Almagest.fods, the program's workbook of Ptolemy's tables.

The workbook computes, for a date of the Egyptian calendar of the era of Nabonassar (year, month,
day, hours from noon: cells B6, C6, D6, E6 of the first sheet), the Sun's longitude by Ptolemy's
eccentric model (sheet 2, cell N20) and the Moon's longitude and latitude by his first lunar model
(sheet 3, cells X36 and X43), with the parameters of the Almagest, in G. J. Toomer's translation
(Ptolemy's Almagest, London 1984; Princeton 1998):

  Sun (Almagest III.1-7): mean daily motion 0;59,8,17,13,12,31 deg; apogee at Gemini 5;30
  (65;30 deg); eccentricity 2;30 in parts of which the eccentre's radius has 60; mean longitude
  at the epoch Pisces 0;45 (330;45 deg).
  Moon (Almagest IV.3-8, V.8-9): daily motions in longitude 13;10,34,58,33,30,30 deg, in anomaly
  13;3,53,56,17,51,59 deg, in argument of latitude 13;13,45,39,48,56,37 deg; epicycle radius
  5;15 in parts of which the deferent has 60; inclination 5 deg; at the epoch mean longitude
  Taurus 11;22 (41;22 deg), mean anomaly 268;49 deg, mean argument of latitude 354;15 deg counted
  from the northern limit.
  Epoch: Nabonassar year 1, Thoth 1, noon (meridian of Alexandria).

Time since the epoch, days: t = 365*(year - 1) + 30*(month - 1) + (day - 1) + hours/24.
Sun: mean longitude L = 330;45 + n*t, anomaly a = L - 65;30,
  equation q = atan2(e*sin a, 60 + e*cos a), true longitude L - q.
Moon: mean longitude, anomaly alpha (from the epicycle's apogee) and argument of latitude w grow
  uniformly; equation p = atan2(r*sin alpha, 60 + r*cos alpha); longitude = mean - p;
  latitude = asin(sin 5 deg * cos(w - p)) (w counted from the northern limit).
Planets (sheets 6 Mars, 7 Venus, 8 Mercury; see PLANETS below for every parameter and its
chapter): the mean longitude, the mean epicyclic anomaly and the apogee (moving 1 deg in 100
Egyptian years with the fixed stars, VII.2, IX.7) grow uniformly from the epoch. With the apsidal
line as x axis and kappa = mean longitude - apogee, the equant E lies at 2e from the Earth (Mars,
Venus; e for Mercury); the deferent's centre D at e (Mars, Venus) or, for Mercury, on a circle of
radius e about the point at 2e, turning backwards by kappa (IX.8-9). The epicycle's centre P is on
the deferent (radius 60) in the direction kappa seen from E; the planet on the epicycle (radius r)
at the mean anomaly counted from the line E-P. The longitude is the apogee plus the direction of
the planet from the Earth. The exact geometry is computed; the tables of XI.11 with their
interpolation are not used.

Latitude (XIII.1-6), computed by the construction with which XIII.4 computes the latitude tables of
XIII.5, at each date instead of by interpolation in the tables. phi is the direction of P from the
Earth counted from the apogee, alpha the planet's anomaly counted from the epicycle's true apogee
(the point farthest from the Earth):
  Mars: the deferent is inclined 1 deg, northern limit at the apogee; the epicycle tilted 2;15 to
  the deferent, its perigee toward the limit's side. At the northern limit (epicycle centre at
  66 = 60 + e) the point K of the epicycle's diameter towards the Earth below the planet has the
  latitude 1 + atan(h / m), h = -r cos(alpha) sin 2;15 its height over the deferent, m = 66 +
  r cos(alpha) cos 2;15; the planet, as far above the deferent as K but farther away, has that
  latitude times |EK| / |E planet| (XIII.4; this reproduces the tabulated 4;21 at the perigee and
  0;52 at alpha = 90). beta_S the same at the southern limit (centre at 54). beta = cos(phi) beta_N (north half) or
  cos(phi) beta_S (south half): the fifth column's coefficient taken as cos(phi).
  Venus, Mercury: deviation of the deferent 0;10 north (Venus), 0;45 south (Mercury), times
  |cos phi|; inclination (2;30, 6;15) about the epicycle's diameter across the line of sight, full
  at phi = +-90 deg: sin(phi) atan(r cos(alpha) sin i / d); slant (3;30, 7;0) about the diameter
  along the line of sight, full at the apsides: cos(phi) atan(r sin(alpha) sin s / d); d with the
  epicycle's centre at the mean distance 60. The senses: Venus's epicycle apogee north at
  phi = 90, Mercury's south (sense +1 and -1 in the sheets). Mercury's 9/10 correction of the
  slant (XIII.6) is not applied.

Run from the repository root: python3 tools/spreadsheet/make_almagest.py
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fods import Formula, workbook  # noqa: E402


def sexagesimal(*digits):
    """The formula text of a sexagesimal number d;m,s,... as a sum of fractions."""
    parts = [str(digits[0])] + ["%d/60^%d" % (d, k) for k, d in enumerate(digits[1:], 1)]
    return "(" + "+".join(parts) + ")"

TOOMER = "Toomer, Ptolemy's Almagest (1984), "
SUN_MOTION = sexagesimal(0, 59, 8, 17, 13, 12, 31)

# Each row: (label, value formula or number, source).
PLANETS = {
    "Mars": {
        "title": "Марс: эксцентр, эквант, эпицикл (Альмагест X.7-10), широта (XIII.1-6)",
        "kind": "outer",
        "params": [
            ("средняя долгота в эпоху, град (Овен 3;32)", "3+32/60", "X.10"),
            ("средняя аномалия в эпоху, град (327;13)", "327+13/60", "X.10"),
            ("апогей в эпоху, град (Рак 16;40)", "106+40/60", "X.7, X.10"),
            ("суточное движение по долготе (0;31,26,36,53,51,33)",
             sexagesimal(0, 31, 26, 36, 53, 51, 33), "IX.3"),
            ("суточное движение по аномалии (0;27,41,40,19,20,58)",
             sexagesimal(0, 27, 41, 40, 19, 20, 58), "IX.3"),
            ("эксцентриситет, части (6; эквант на 12)", "6", "X.7"),
            ("радиус эпицикла, части (39;30)", "39+30/60", "X.8"),
            ("радиус деферента, части", "60", "IX.5-6"),
            ("движение апогея, град/сут (1 град за 100 египетских лет)", "1/36500", "VII.2, IX.7"),
            ("наклон деферента, град (1), северный предел в апогее", "1", "XIII.1, XIII.3"),
            ("наклон эпицикла к деференту, град (2;15)", "2+15/60", "XIII.3"),
            ("северный предел от апогея, град", "0", "XIII.1"),
            ("знак (не используется для Марса)", "1", ""),
        ],
    },
    "Venus": {
        "title": "Венера: эксцентр, эквант, эпицикл (Альмагест X.1-5), широта (XIII.1-6)",
        "kind": "inner",
        "params": [
            ("средняя долгота в эпоху, град (Рыбы 0;45, как у Солнца)", "330+45/60", "X.5"),
            ("средняя аномалия в эпоху, град (71;7)", "71+7/60", "X.5"),
            ("апогей в эпоху, град (Телец 16;10)", "46+10/60", "X.1, X.5"),
            ("суточное движение по долготе (солнечное 0;59,8,17,13,12,31)", SUN_MOTION, "IX.3"),
            ("суточное движение по аномалии (0;36,59,25,53,11,28)",
             sexagesimal(0, 36, 59, 25, 53, 11, 28), "IX.3"),
            ("эксцентриситет, части (1;15; эквант на 2;30)", "1+15/60", "X.2-3"),
            ("радиус эпицикла, части (43;10)", "43+10/60", "X.2"),
            ("радиус деферента, части", "60", "IX.5-6"),
            ("движение апогея, град/сут (1 град за 100 египетских лет)", "1/36500", "VII.2, IX.7"),
            ("отклонение деферента, град (0;10 к северу)", "10/60", "XIII.3, XIII.6"),
            ("наклонение эпицикла, град (2;30)", "2+30/60", "XIII.3"),
            ("косина (slant) эпицикла, град (3;30)", "3+30/60", "XIII.3"),
            ("смысл наклонов: +1 апогей эпицикла к северу при phi=90", "1", "XIII.1-2"),
        ],
    },
    "Mercury": {
        "title": "Меркурий: подвижный центр деферента (Альмагест IX.7-11), широта (XIII.1-6)",
        "kind": "mercury",
        "params": [
            ("средняя долгота в эпоху, град (Рыбы 0;45, как у Солнца)", "330+45/60", "IX.11"),
            ("средняя аномалия в эпоху, град (21;55)", "21+55/60", "IX.11"),
            ("апогей в эпоху, град (Весы 1;10)", "181+10/60", "IX.7, IX.11"),
            ("суточное движение по долготе (солнечное 0;59,8,17,13,12,31)", SUN_MOTION, "IX.3"),
            ("суточное движение по аномалии (3;6,24,6,59,35,50)",
             sexagesimal(3, 6, 24, 6, 59, 35, 50), "IX.3"),
            ("эксцентриситет, части (3: эквант на 3, центр малого круга на 6, его радиус 3)",
             "3", "IX.8-9"),
            ("радиус эпицикла, части (22;30)", "22+30/60", "IX.9"),
            ("радиус деферента, части", "60", "IX.8"),
            ("движение апогея, град/сут (1 град за 100 египетских лет)", "1/36500", "VII.2, IX.7"),
            ("отклонение деферента, град (0;45 к югу)", "-45/60", "XIII.3, XIII.6"),
            ("наклонение эпицикла, град (6;15)", "6+15/60", "XIII.3"),
            ("косина (slant) эпицикла, град (7;0)", "7", "XIII.3"),
            ("смысл наклонов: -1 апогей эпицикла к югу при phi=90", "-1", "XIII.1-2"),
        ],
    },
}


def planet(p):
    """One planet's sheet: parameters in B3..B15 (sources in C), the computation in AI3..AI27,
    the cells the program reads: longitude AD61 (Venus, Mercury) or AD57 (Mars); latitude in
    arc-minutes AD36 (Venus, Mercury) or AF30 with "N"/"S" in AE30 (Mars)."""
    cells = {"A1": p["title"], "A2": "параметр", "B2": "значение", "C2": "источник (" + TOOMER + ")"}
    for k, (label, value, source) in enumerate(p["params"]):
        row = 3 + k
        cells["A%d" % row] = label
        cells["B%d" % row] = Formula("of:=" + value)
        cells["C%d" % row] = ("Almagest " + source) if source else ""
    e, r, R = "[.B8]", "[.B9]", "[.B10]"
    mercury = p["kind"] == "mercury"
    steps = [
        ("дней от эпохи", "[$Date.B8]"),                                          # AI3
        ("средняя долгота", "MOD([.B3]+[.B6]*[.AI3];360)"),                       # AI4
        ("средняя аномалия", "MOD([.B4]+[.B7]*[.AI3];360)"),                      # AI5
        ("апогей", "[.B5]+[.B11]*[.AI3]"),                                        # AI6
        ("kappa = ср. долгота - апогей, рад", "RADIANS([.AI4]-[.AI6])"),         # AI7
        ("расстояние экванта", e if mercury else "2*" + e),                       # AI8
        ("центр деферента x",                                                     # AI9
         "2*%s+%s*COS([.AI7])" % (e, e) if mercury else e),
        ("центр деферента y", "-%s*SIN([.AI7])" % e if mercury else "0"),        # AI10
        ("(E-D).u", "([.AI8]-[.AI9])*COS([.AI7])-[.AI10]*SIN([.AI7])"),          # AI11
        ("|E-D|^2", "([.AI8]-[.AI9])^2+[.AI10]^2"),                               # AI12
        ("расстояние центра эпицикла от экванта",                                # AI13
         "-[.AI11]+SQRT([.AI11]^2-[.AI12]+%s^2)" % R),
        ("центр эпицикла x", "[.AI8]+[.AI13]*COS([.AI7])"),                      # AI14
        ("центр эпицикла y", "[.AI13]*SIN([.AI7])"),                              # AI15
        ("направление на планету от центра, рад", "[.AI7]+RADIANS([.AI5])"),     # AI16
        ("планета x", "[.AI14]+%s*COS([.AI16])" % r),                             # AI17
        ("планета y", "[.AI15]+%s*SIN([.AI16])" % r),                             # AI18
        ("истинная долгота, град",                                                # AI19
         "MOD([.AI6]+DEGREES(ATAN2([.AI17];[.AI18]));360)"),
        ("phi: направление на центр эпицикла от апогея, рад",                     # AI20
         "ATAN2([.AI14];[.AI15])"),
        ("аномалия от истинного апогея эпицикла, рад", "[.AI16]-[.AI20]"),        # AI21
    ]
    if p["kind"] == "outer":
        h = "(-%s*COS([.AI21])*SIN(RADIANS([.B13])))" % r
        across = "(%s*SIN([.AI21]))" % r
        lim = ("([.B12]+DEGREES(ATAN(%s/[.AI{m}])))*SQRT([.AI{m}]^2+%s^2)"
               "/SQRT([.AI{m}]^2+%s^2+%s^2)") % (h, h, h, across)
        steps += [
            ("проекция на линию Земля-центр у северного предела",                # AI22
             "%s+%s+%s*COS([.AI21])*COS(RADIANS([.B13]))" % (R, e, r)),
            ("широта у северного предела, град", lim.format(m=22)),              # AI23
            ("проекция на линию Земля-центр у южного предела",                   # AI24
             "%s-%s+%s*COS([.AI21])*COS(RADIANS([.B13]))" % (R, e, r)),
            ("широта у южного предела, град", lim.format(m=24)),                 # AI25
            ("коэффициент cos(phi - предел)", "COS([.AI20]-RADIANS([.B14]))"),     # AI26
            ("широта, град",                                                      # AI27
             "IF([.AI26]>=0;[.AI26]*[.AI23];[.AI26]*[.AI25])"),
        ]
    else:
        steps += [
            ("расстояние планеты при центре на 60",                               # AI22
             "SQRT((%s+%s*COS([.AI21]))^2+(%s*SIN([.AI21]))^2)" % (R, r, r)),
            ("широта наклонения, град",                                           # AI23
             "DEGREES(ATAN(%s*COS([.AI21])*SIN(RADIANS([.B13]))/[.AI22]))" % r),
            ("широта косины, град",                                               # AI24
             "DEGREES(ATAN(%s*SIN([.AI21])*SIN(RADIANS([.B14]))/[.AI22]))" % r),
            ("отклонение деферента, град", "[.B12]*ABS(COS([.AI20]))"),           # AI25
            ("наклонение и косина, град",                                         # AI26
             "[.B15]*(SIN([.AI20])*[.AI23]+COS([.AI20])*[.AI24])"),
            ("широта, град", "[.AI25]+[.AI26]"),                                  # AI27
        ]
    for k, (label, formula) in enumerate(steps):
        cells["AH%d" % (3 + k)] = label
        cells["AI%d" % (3 + k)] = Formula("of:=" + formula)
    if p["kind"] == "outer":
        cells["AC57"] = "долгота, град"
        cells["AD57"] = Formula("of:=[.AI19]")
        cells["AC30"] = "широта, угл. мин, N/S"
        cells["AE30"] = Formula('of:=IF([.AI27]<0;"S";"N")', string_result=True)
        cells["AF30"] = Formula("of:=ABS([.AI27])*60")
    else:
        cells["AC61"] = "долгота, град"
        cells["AD61"] = Formula("of:=[.AI19]")
        cells["AC36"] = "широта, угл. мин (север +)"
        cells["AD36"] = Formula("of:=[.AI27]*60")
    return cells


def main():
    date = {
        "A1": "Альмагест Птолемея: Солнце (эксцентр), Луна (первая модель), Меркурий, Венера, Марс",
        "A2": "Дата египетского календаря эры Набонассара; день от полудня (Александрия)",
        "A3": "Источник: Ptolemy's Almagest, tr. G. J. Toomer (1984), III.1-7, IV.3-8, V.8-9,"
              " IX-XIII",
        "B5": "год", "C5": "месяц", "D5": "день", "E5": "часы от полудня",
        "B6": 607, "C6": 3, "D6": 23, "E6": 0,
        "A8": "дней от эпохи (1 Тота 1 г. Набонассара, полдень)",
        "B8": Formula("of:=365*([.B6]-1)+30*([.C6]-1)+([.D6]-1)+[.E6]/24"),
    }
    sun = {
        "A1": "Солнце: модель эксцентра (Альмагест III)",
        "A3": "средняя долгота в эпоху, град (Рыбы 0;45), III.7", "B3": Formula("of:=330+45/60"),
        "A4": "среднее суточное движение, град (0;59,8,17,13,12,31), III.1",
        "B4": Formula("of:=" + sexagesimal(0, 59, 8, 17, 13, 12, 31)),
        "A5": "долгота апогея, град (Близнецы 5;30), III.4", "B5": Formula("of:=65+30/60"),
        "A6": "эксцентриситет, части (2;30), III.4", "B6": Formula("of:=2+30/60"),
        "A7": "радиус эксцентра, части", "B7": 60,
        "M16": "дней от эпохи", "N16": Formula("of:=[$Date.B8]"),
        "M17": "средняя долгота", "N17": Formula("of:=MOD([.B3]+[.B4]*[.N16];360)"),
        "M18": "аномалия от апогея", "N18": Formula("of:=MOD([.N17]-[.B5];360)"),
        "M19": "уравнение",
        "N19": Formula("of:=DEGREES(ATAN2([.B7]+[.B6]*COS(RADIANS([.N18]));"
                       "[.B6]*SIN(RADIANS([.N18]))))"),
        "M20": "истинная долгота, град", "N20": Formula("of:=MOD([.N17]-[.N19];360)"),
    }
    moon = {
        "A1": "Луна: первая модель (Альмагест IV), широта (V.8-9)",
        "A3": "средняя долгота в эпоху, град (Телец 11;22), IV.8", "B3": Formula("of:=41+22/60"),
        "A4": "средняя аномалия в эпоху, град (268;49), IV.8", "B4": Formula("of:=268+49/60"),
        "A5": "аргумент широты в эпоху от северного предела, град (354;15), IV.8",
        "B5": Formula("of:=354+15/60"),
        "A6": "суточное движение по долготе (13;10,34,58,33,30,30), IV.3",
        "B6": Formula("of:=" + sexagesimal(13, 10, 34, 58, 33, 30, 30)),
        "A7": "суточное движение по аномалии (13;3,53,56,17,51,59), IV.3",
        "B7": Formula("of:=" + sexagesimal(13, 3, 53, 56, 17, 51, 59)),
        "A8": "суточное движение по широте (13;13,45,39,48,56,37), IV.3",
        "B8": Formula("of:=" + sexagesimal(13, 13, 45, 39, 48, 56, 37)),
        "A9": "радиус эпицикла, части (5;15), IV.6", "B9": Formula("of:=5+15/60"),
        "A10": "радиус деферента, части", "B10": 60,
        "A11": "наклон орбиты, град, V.12", "B11": 5,
        "W30": "дней от эпохи", "X30": Formula("of:=[$Date.B8]"),
        "W31": "средняя долгота", "X31": Formula("of:=MOD([.B3]+[.B6]*[.X30];360)"),
        "W32": "аномалия", "X32": Formula("of:=MOD([.B4]+[.B7]*[.X30];360)"),
        "W33": "средний аргумент широты", "X33": Formula("of:=MOD([.B5]+[.B8]*[.X30];360)"),
        "W34": "уравнение аномалии",
        "X34": Formula("of:=DEGREES(ATAN2([.B10]+[.B9]*COS(RADIANS([.X32]));"
                       "[.B9]*SIN(RADIANS([.X32]))))"),
        "W36": "истинная долгота, град", "X36": Formula("of:=MOD([.X31]-[.X34];360)"),
        "Z40": "истинный аргумент широты", "AA40": Formula("of:=MOD([.X33]-[.X34];360)"),
        "W43": "широта, град",
        "X43": Formula("of:=DEGREES(ASIN(SIN(RADIANS([.B11]))*COS(RADIANS([.AA40]))))"),
    }
    empty = {"A1": "Лист не используется"}
    sheets = [("Date", date), ("Sun", sun), ("Moon", moon), ("Sheet4", dict(empty)),
              ("Sheet5", dict(empty)), ("Mars", planet(PLANETS["Mars"])),
              ("Venus", planet(PLANETS["Venus"])), ("Mercury", planet(PLANETS["Mercury"]))]
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data",
                       "workbooks")
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "Almagest.fods"), "w", encoding="utf-8") as f:
        f.write(workbook(sheets))


if __name__ == "__main__":
    main()
