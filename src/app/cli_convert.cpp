// orvant-cli convert: "Преобразовать координаты" of screen 12 without the window.
// orvant-cli angle:   the angle converter of screen 12.
//
//   convert [--from ORIGIN,PLANE,FORM,EQUINOX] [--to ORIGIN,PLANE,EQUINOX]
//           [--date YEAR MONTH DAY | --jd JD] [--obs OBSL OBSB] (V1 V2 V3 | --body N)
//     ORIGIN helio|geo|topo, PLANE ecl|equ|hor, FORM polar|cart, EQUINOX j2000|date;
//     defaults --from helio,ecl,polar,j2000 --to geo,equ,date --date 2000 1 1.5 --obs 30.3262 59.7719.
//     V1 V2 V3: L B R (degrees, degrees, thousand km) or X Y Z (thousand km) in the source system;
//     --body N: the computed body instead (0 the Sun, 1..9 the planets with 3 the Earth, 10 the Moon).
//     Prints JD, ETUT (min), GMST, LMST (h), the result X, Y, Z (thousand km) and L, B (degrees),
//     R (thousand km), Tau when a horizon takes part; the source as typed, with the internal
//     (heliocentric ecliptic of the date) vector Xin, Yin, Zin (thousand km).
//   angle rad|deg|dms|hms [--neg] A [M S]
//     Prints the angle in every form: Radians, Degrees, Deg, DegMin, DegSec, Hours, HourMin,
//     HourSec, Negative (1 when "--" is set).
// Wrong input prints the screen's message ("Введите правильно исходные координаты", ...) and exits
// with 2.
#include <cmath>
#include <string>
#include <vector>

#include "app/cli.h"
#include "coordinates/converter.h"
#include "coordinates/converter_screen_chain.h"
#include "model/calendar.h"

namespace orvant::cli {

namespace {

constexpr const char* kHorizonSet = "ГОРизонтальные координаты | задаются только ТОПОцентрические";
constexpr const char* kHorizonTarget =
    "Преобразование в ГОРизонтальные координаты | производится только в ТОПОцентрические";
constexpr const char* kBadSource = "Введите правильно исходные координаты";

std::vector<std::string> split(const std::string& s) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == ',') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

template <class E>
bool pick(const std::string& word, std::initializer_list<const char*> names, E& out) {
  int k = 0;
  for (const char* n : names) {
    if (word == n) {
      out = static_cast<E>(k);
      return true;
    }
    ++k;
  }
  return false;
}

bool parseSystem(const std::string& text, bool withForm, CoordSystem& c, bool& cart) {
  const auto parts = split(text);
  if (parts.size() != (withForm ? 4u : 3u)) return false;
  std::size_t k = 0;
  if (!pick(parts[k++], {"helio", "geo", "topo"}, c.origin)) return false;
  if (!pick(parts[k++], {"ecl", "equ", "hor"}, c.plane)) return false;
  if (withForm) {
    if (parts[k] == "polar") cart = false;
    else if (parts[k] == "cart") cart = true;
    else return false;
    ++k;
  }
  return pick(parts[k], {"j2000", "date"}, c.equinox);
}

int convert(Context& ctx) {
  CoordSystem src{Origin::Helio, Plane::Ecliptic, Equinox::J2000};
  CoordSystem dst{Origin::Geo, Plane::Equator, Equinox::OfDate};
  bool cart = false, dummy = false;
  double year = 2000, month = 1, day = 1.5, jd = 0, obsL = 30.3262, obsB = 59.7719;
  bool haveJd = false;
  long body = -1;
  std::vector<double> values;
  const auto& a = ctx.args;
  const auto need = [&](std::size_t i, std::size_t n) { return i + n < a.size(); };
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::string& w = a[i];
    if (w == "--from") {
      if (!need(i, 1) || !parseSystem(a[++i], true, src, cart))
        return fail("convert: --from ORIGIN,PLANE,FORM,EQUINOX (helio|geo|topo, ecl|equ|hor, "
                    "polar|cart, j2000|date)");
    } else if (w == "--to") {
      if (!need(i, 1) || !parseSystem(a[++i], false, dst, dummy))
        return fail("convert: --to ORIGIN,PLANE,EQUINOX (helio|geo|topo, ecl|equ|hor, j2000|date)");
    } else if (w == "--date") {
      if (!need(i, 3) || !argNumber(a[i + 1], year) || !argNumber(a[i + 2], month) ||
          !argNumber(a[i + 3], day))
        return fail(std::string(kMsgBadDate));
      i += 3;
    } else if (w == "--jd") {
      if (!need(i, 1) || !argNumber(a[++i], jd)) return fail(std::string(kMsgBadJulianDate));
      haveJd = true;
    } else if (w == "--obs") {
      if (!need(i, 2) || !argNumber(a[i + 1], obsL) || !argNumber(a[i + 2], obsB) ||
          std::fabs(obsB) > 90)
        return fail("Введите правильно данные");
      i += 2;
    } else if (w == "--body") {
      if (!need(i, 1) || !argInteger(a[++i], body) || body < 0 || body > 10)
        return fail("convert: --body N, N от 0 до 10 (10 - Луна)");
    } else {
      double v = 0;
      if (!argNumber(w, v)) return fail(kBadSource);
      values.push_back(v);
    }
  }
  if (!allowed(src)) return fail(kHorizonSet);
  if (!allowed(dst)) return fail(kHorizonTarget);
  if ((body < 0 && values.size() != 3) || (body >= 0 && !values.empty())) return fail(kBadSource);

  State s;
  if (!haveJd) {
    if (month != std::trunc(month) || year != std::trunc(year) || std::fabs(year) > 2e9 ||
        !NormDate(s, day, static_cast<int32>(month), static_cast<int32>(year)))
      return fail(std::string(kMsgBadDate));
    s.DateError = 0;
    jd = JDfromDate(s, s.Day, s.Month, s.Year);
    if (s.DateError != 0) return fail(std::string(kMsgBadDate));
  }
  ConverterSky sky;
  if (!computeSky(s, jd, obsL, obsB, sky)) return fail(std::string(kMsgBadJulianDate));

  Vec3 v{};
  if (body >= 0) {
    v = sky.body[body];
  } else if (cart) {
    v = {values[0] * s.MK, values[1] * s.MK, values[2] * s.MK};
  } else {
    if (std::fabs(values[1]) > 90 || values[2] < 0) return fail(kBadSource);
    v = vectorOf(s, {values[0], values[1], values[2] * s.MK});
  }
  if (body < 0 && !fromSystem(s, sky.scene, src, v)) return fail(kBadSource);
  printValue("JD", jd);
  printValue("ETUT", sky.ETUT / 60);
  printValue("GMST", sky.GMST);
  printValue("LMST", sky.LMST);
  printValue("Xin", v[0] / s.MK);
  printValue("Yin", v[1] / s.MK);
  printValue("Zin", v[2] / s.MK);
  if (!toSystem(s, sky.scene, dst, v)) return fail(kBadSource);
  if (dst.plane == Plane::Horizon || src.plane == Plane::Horizon) printValue("Tau", s.Tau);
  printValue("X", v[0] / s.MK);
  printValue("Y", v[1] / s.MK);
  printValue("Z", v[2] / s.MK);
  const Polar p = polarOf(s, v);
  printValue("L", p.L);
  printValue("B", p.B);
  printValue("R", p.R / s.MK);
  return 0;
}

int angle(Context& ctx) {
  AngleForm form = AngleForm::Degrees;
  bool negative = false;
  std::vector<double> v;
  bool haveForm = false;
  for (const std::string& w : ctx.args) {
    if (w == "--neg") {
      negative = true;
    } else if (!haveForm) {
      if (!pick(w, {"rad", "deg", "dms", "hms"}, form))
        return fail("angle: форма угла rad|deg|dms|hms, а не \"" + w + "\"");
      haveForm = true;
    } else {
      double x = 0;
      if (!argNumber(w, x)) return fail("Введите правильно данные");
      v.push_back(x);
    }
  }
  const std::size_t most = form == AngleForm::DegMinSec || form == AngleForm::HourMinSec ? 3 : 1;
  if (!haveForm || v.empty() || v.size() > most) return fail("Введите правильно данные");
  if (negative && most == 1)
    return fail("angle: --neg только для форм dms и hms; градусы и радианы пишутся со своим знаком "
                "(angle deg -30)");
  v.resize(3, 0.0);
  State s;
  const double x = angleFrom(s, form, v[0], v[1], v[2], negative);
  const AngleForms f = angleForms(s, x);
  printValue("Radians", f.radians);
  printValue("Degrees", f.degrees);
  printValue("Deg", f.deg);
  printValue("DegMin", f.degMin);
  printValue("DegSec", f.degSec);
  printValue("Hours", f.hours);
  printValue("HourMin", f.hourMin);
  printValue("HourSec", f.hourSec);
  printValue("Negative", f.negative ? 1 : 0);
  return 0;
}

const CliRegistrar regConvert(
    "convert",
    "convert [--from helio|geo|topo,ecl|equ|hor,polar|cart,j2000|date] "
    "[--to helio|geo|topo,ecl|equ|hor,j2000|date] [--date Y M D | --jd JD] [--obs L B] "
    "(V1 V2 V3 | --body N)",
    convert);
const CliRegistrar regAngle("angle", "angle rad|deg|dms|hms [--neg] A [M S]", angle);

}  // namespace
}  // namespace orvant::cli
