#include "model/input_check.h"

#include <cmath>

namespace orvant {

std::optional<double> checkNumber(std::optional<double> value, double lo, double hi) {
  if (!value || !std::isfinite(*value) || *value < lo || *value > hi) return std::nullopt;
  return *value;
}

std::optional<std::int64_t> checkWhole(std::optional<double> value, std::int64_t lo, std::int64_t hi) {
  const auto v = checkNumber(value, static_cast<double>(lo), static_cast<double>(hi));
  if (!v || *v != std::trunc(*v)) return std::nullopt;
  return static_cast<std::int64_t>(*v);
}

std::optional<DateInput> checkDate(std::optional<double> day, std::optional<double> month,
                                   std::optional<double> year) {
  const auto d = checkNumber(day, 1, kMaxDayCount);
  const auto m = checkWhole(month, 1, 12);
  const auto y = checkWhole(year, static_cast<std::int64_t>(-kMaxYear), static_cast<std::int64_t>(kMaxYear));
  if (!d || !m || !y) return std::nullopt;
  return DateInput{*d, static_cast<std::int32_t>(*m), static_cast<std::int32_t>(*y)};
}

}  // namespace orvant
