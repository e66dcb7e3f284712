// Calendar dates and Julian dates.
//
// Three calendars, chosen by State::CalType before a call:
//   0  Gregorian from 15 October 1582, Julian before it (the date key Year + Month/100 + Day/10000
//      above 1582.101499 marks the Gregorian part);
//   1  Julian (Roman) throughout;
//   2  Egyptian: twelve months of 30 days and five epagomenal days (days 31..35 of month 12),
//      years of 365 days counted from the era of Nabonassar (day 1 of month 1 of year 1 begins at
//      JD 1448637.5, 26 February 747 BC Julian).
// State::Hour0 (hours, 0 or 12) is the hour at which the day of a date begins: 12 for the ancient
// tables, which count the day from noon.
//
// Years are astronomical (0 is 1 BC, -1 is 2 BC). Julian dates are days.
// Failures are reported through State::report with the title "Orvant7.0" and set DateError = 1;
// DateError is never cleared here: a caller that runs a series clears it before.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/state.h"

namespace orvant {

inline constexpr std::string_view kMsgBadDate = "Введите правильно дату";
inline constexpr std::string_view kMsgBadJulianDate = "Введите правильно юлианскую дату";

// Julian date at which the Egyptian year 0 begins, less one half day: JD = Day + 365*Year +
// kEgyptianEra + 30*(Month - 1) - 0.5 for a day counted from midnight.
inline constexpr double kEgyptianEra = 1448272;
// Date key of the Gregorian reform: keys above it (15 October 1582 and later) are Gregorian.
inline constexpr double kReformKey = 1582.101499;

// Julian date of day Day (with fraction) of month Month of year Year in the calendar CalType,
// the day beginning at Hour0. Gregorian and Julian calendars: J. Meeus, Astronomical Algorithms
// (1991), ch. 7, written with truncation (Fix) and the -0.75 correction for negative years. Month
// 13 and days outside the month are accepted and run on linearly. The year and month products are
// 32-bit integers: their overflow, a Gregorian correction outside 16 bits or a
// non-finite value fails with "Введите правильно дату" and returns 0.
double JDfromDate(State& s, double Day, int32 Month, int32 Year);

// Sets s.Year, s.Month, s.Day (day with fraction, counted from Hour0) from the Julian date JD in
// the calendar CalType (Meeus, ch. 7; the Gregorian calendar only with CalType 0, for JD from
// 2299160.5 on). A non-finite JD, or a year or month outside 32 bits, fails with
// "Введите правильно юлианскую дату"; the members already set stay set. Returns false on failure.
// In the Gregorian and Julian calendars Day is the civil day of JD less Hour0/24: counted from
// noon it runs from 0.5, so the second half of a month's last day comes back as day 0.5..1 of the
// next month (the same moment under another name).
bool DateFromJD(State& s, double JD);

// Writes the moment Day/Month/Year with a day that fits its month: whole days beyond the month
// carry into the following months and years (February of the year at hand from the leap rules of
// CalType, rewritten in s.DayMonth). Only carrying forward is done: a day of 0 or below passes
// through unchanged; month 0 or 13 has no days and moves on to the next month. Sets s.Year,
// s.Month, s.Day and returns true; returns false (nothing set, no message: the caller shows
// "Введите правильно дату") for a month outside 0..13, a calendar outside 0..2, a non-finite day
// or a year carried beyond 32 bits.
bool NormDate(State& s, double Day, int32 Month, int32 Year);

// Sets s.Hh, s.Mm, s.Ss from the fractional part of the day count x, in single precision,
// each truncated (0.999999 of a day is 23:59:59).
void DayToHMS(State& s, double x);

// Year as shown with its era: a year below 1 is shown as |Year| + 1 "до н.э.", else Year "н.э.".
struct EraYear {
  std::int64_t year;
  std::string_view suffix;
};
EraYear eraOfYear(int32 Year);

// "hh:mm:ss" of s.Hh, s.Mm, s.Ss (each Format "00").
std::string hmsText(const State& s);

// The moment as the screens show it:
// "ut=hh:mm:ss-dd.mm.<year> г. <era>", from s.Hh, s.Mm, s.Ss and s.Day, s.Month, s.Year.
std::string utText(const State& s);

}  // namespace orvant
