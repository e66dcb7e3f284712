#include "earthrotation/eclipse_logs.h"

#include <cmath>
#include <string>

#include "model/format.h"
#include "model/messages.h"
#include "model/textfile.h"

namespace orvant {

namespace {

// A number as the files print it: a leading blank when not negative, one trailing blank.
std::string item(std::int64_t n) { return (n >= 0 ? " " : "") + std::to_string(n) + " "; }

bool allFinite(std::initializer_list<double> v) {
  for (double x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

}  // namespace

std::string paramLogHeader(int k, std::string_view source) {
  std::string h = "\n";
  h += "планета  № " + item(k) + "   обсерватория " + std::string(source) +
       "   данные умножены на 1000 \n";
  h += "\n\n";
  h += "дата наблюдения (день с часами, месяц, год), долгота и широта (Солнца потом планеты)\n";
  h += "\n";
  return h;
}

std::optional<std::string> paramLogLine(double day, int month, int year, double Lsun,
                                        double Bsun, double Lk, double Bk) {
  std::string line;
  for (double v : {day, static_cast<double>(month), static_cast<double>(year), Lsun, Bsun, Lk,
                   Bk}) {
    const auto n = checkedScaledInt(v, 1000);
    if (!n) return std::nullopt;
    line += item(*n);
  }
  return line;
}

std::string timeYerLogHeader(std::string_view source) {
  std::string h = "\n";
  h += "равноденствия и солнцестояния по " + std::string(source) +
       "   ГЕО (ТОПО) координаты Солнца где JDut солнечное время для Гринвича\n";
  h += "рассчитанные в первых колонках прямым расчетом от ГЕО ЭКЛ до ТОПО ГОР "
       "и во вторых колонках обратным рассчетом от ТОПО ГОР до ГЕО ЭКЛ \n";
  h += "(если отмечен чекбокс ++Test, то в ТОПО ГОР координатах рефракция не учитывается)\n";
  h += "\n";
  h += "дата наблюдения LTet2 (местное по ET2)      JD по UT  "
       "    ГЕО ЭКЛ (GeoB=0)                  ГЕО ЭКВ +Nut                               "
       "           ТОПО ЭКВ                                                      ТОПО ГОР\n";
  h += "\n";
  return h;
}

std::optional<std::string> timeYerLogLine(std::string_view ltet2, std::string_view dmy,
                                          const EclipseStep& st, const EclipseInverse& inv) {
  if (!allFinite({st.JDut, st.sunEclDate, inv.eclL, st.L[kStNut][0], st.B[kStNut][0], inv.geoRa,
                  inv.geoDec, st.ra[0], st.dec[0], inv.topoRa, inv.topoDec, st.az[0], st.alt[0],
                  inv.az, inv.alt}))
    return std::nullopt;
  auto pair = [](std::string_view name, double a, double b, std::string_view mask) {
    return std::string("   ") + std::string(name) + "= " + formatMask(a, mask) + "  " +
           formatMask(b, mask);
  };
  std::string line = std::string(ltet2) + "  " + std::string(dmy) + "  JDut= " +
                     formatMask(st.JDut, "0000000.0000");
  line += pair("L", st.sunEclDate, inv.eclL, "000.000");
  line += pair("L", st.L[kStNut][0], inv.geoRa, "000.0000");
  line += pair("B", st.B[kStNut][0], inv.geoDec, "00.00000000");
  line += pair("L", st.ra[0], inv.topoRa, "000.0000");
  line += pair("B", st.dec[0], inv.topoDec, "00.00000000");
  line += pair("A", st.az[0], inv.az, "000.0");
  line += pair("H", st.alt[0], inv.alt, "00.0");
  return line;
}

bool nearEquinoxOrSolstice(double L) {
  return L > 359 || L < 1 || (L > 89 && L < 91) || (L > 179 && L < 181) || (L > 269 && L < 271);
}

bool createEclipseLog(State& s, std::string_view relPath, std::string_view header) {
  const auto path = fullPath(s, relPath);
  if (!writable(path) || !writeFileAtomically(path, header, true)) {
    s.report(std::string(kMsgEclWrite) + "\n" + displayPath(relPath), kTitle70);
    return false;
  }
  return true;
}

bool appendEclipseLog(State& s, std::string_view relPath, std::string_view line) {
  if (!appendLineWhole(fullPath(s, relPath), line)) {
    s.report(std::string(kMsgEclWrite) + "\n" + displayPath(relPath), kTitle70);
    return false;
  }
  return true;
}

}  // namespace orvant
