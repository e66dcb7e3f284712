// The checks of typed input, one for every box of its kind: a date of day, month and year boxes,
// and a number that must be finite, within its range, and whole where a count or a number of a
// file is asked for. Screens and orvant-cli refuse what fails, before anything is changed.
#pragma once

#include <cstdint>
#include <optional>

namespace orvant {

// The years a date box takes (the calendars and the Julian dates stay exact far beyond them).
inline constexpr double kMaxYear = 100000;
// A day box counts days from the month's first day, 1 and up, with a fraction; a count beyond
// the month's length carries into the following months (NormDate), up to this many days.
inline constexpr double kMaxDayCount = 100000;

struct DateInput {
  double day = 0;
  std::int32_t month = 0, year = 0;
};

// A date as typed: the month whole 1..12, the year whole within ±kMaxYear, the day finite from 1
// up to kMaxDayCount. nullopt when a box is empty, not a number, or outside its range.
std::optional<DateInput> checkDate(std::optional<double> day, std::optional<double> month,
                                   std::optional<double> year);

// A number within [lo, hi] (finite); nullopt otherwise.
std::optional<double> checkNumber(std::optional<double> value, double lo, double hi);

// A whole number within [lo, hi]; nullopt for a fraction, a non-finite value or one outside the
// range (checked before any conversion to an integer type).
std::optional<std::int64_t> checkWhole(std::optional<double> value, std::int64_t lo, std::int64_t hi);

}  // namespace orvant
