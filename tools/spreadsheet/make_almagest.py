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
The planets are not computed: their sheets are present but empty.

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


def main():
    date = {
        "A1": "Альмагест Птолемея: Солнце (эксцентр) и Луна (первая модель)",
        "A2": "Дата египетского календаря эры Набонассара; день от полудня (Александрия)",
        "A3": "Источник: Ptolemy's Almagest, tr. G. J. Toomer (1984), III.1-7, IV.3-8, V.8-9",
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
    empty = {"A1": "Планеты в этой книге не рассчитываются"}
    sheets = [("Date", date), ("Sun", sun), ("Moon", moon), ("Sheet4", dict(empty)),
              ("Sheet5", dict(empty)), ("Mars", dict(empty)), ("Venus", dict(empty)),
              ("Mercury", dict(empty))]
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data",
                       "workbooks")
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "Almagest.fods"), "w", encoding="utf-8") as f:
        f.write(workbook(sheets))


if __name__ == "__main__":
    main()
