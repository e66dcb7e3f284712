#include "observations/residual_classes.h"

#include <cmath>

#include "model/format.h"
#include "model/paths.h"
#include "model/textfile.h"

namespace orvant {

void ResidualClasses::setUp(const State& s, double dRmax) {
  Gran.fill(0);
  for (int i = 0; i <= 59; ++i) Cnt[static_cast<std::size_t>(i)] = 0;
  for (int i = 0; i <= 18; ++i) Gran[static_cast<std::size_t>(i)] = i / 3600.0;
  Gran[19] = s.MK;
  for (int i = 20; i <= 38; ++i) Gran[static_cast<std::size_t>(i)] = (i - 20) / 14400.0;
  Gran[39] = s.MK;
  for (int i = 40; i <= 58; ++i) Gran[static_cast<std::size_t>(i)] = (i - 40) * dRmax / 18;
  Gran[59] = s.MK * s.MK;
}

void ResidualClasses::classify(double dL, double dB, double dR) {
  const double adL = std::fabs(dL), adB = std::fabs(dB);
  for (std::size_t i = 1; i <= 19; ++i)
    if (Gran[i - 1] < adL && adL < Gran[i]) Cnt[i] += 1;
  for (std::size_t i = 21; i <= 39; ++i)
    if (Gran[i - 1] < adB && adB < Gran[i]) Cnt[i] += 1;
  for (std::size_t i = 41; i <= 59; ++i)
    if (Gran[i - 1] < dR && dR < Gran[i]) Cnt[i] += 1;
}

std::string statReportPath(const State& s) {
  return paths::statReport(s.ObsName, std::to_string(s.Npl), s.FileNo);
}

std::optional<std::string> statReportText(const State& s, const ResidualClasses& c,
                                          const ReportSums& sums) {
  if (sums.Nok <= 0) return std::nullopt;
  const double MK = s.MK;
  const double n = static_cast<double>(sums.Nok);
  const double mL = fix(MK * 3600 * sums.sadL / n) / MK;
  const double mB = fix(MK * 3600 * sums.sadB / n) / MK;
  const double mR = fix(sums.sdR * MK / n) / MK;
  if (!std::isfinite(mL) || !std::isfinite(mB) || !std::isfinite(mR)) return std::nullopt;
  const auto& G = c.Gran;
  const auto& C = c.Cnt;
  std::string t;
  t += "статистика данных  " + s.ObsName + "  по планете " + std::to_string(s.Npl) + "\n";
  t += "интервалы dL и dB в угловых секундах dR в тыс.км.)\n\n";
  for (std::size_t i = 1; i <= 18; ++i) {
    t += formatMask(G[i - 1] * 3600, "00") + "..." + formatMask(G[i] * 3600, "00") + "   " +
         formatMask(C[i], "0000") + "        " + formatMask(G[i + 19] * 3600, "0.00") + "..." +
         formatMask(G[i + 20] * 3600, "0.00") + "   " + formatMask(C[i + 20], "0000") +
         "        " + formatMask(G[i + 39], "000.00") + "..." + formatMask(G[i + 40], "000.00") +
         "   " + formatMask(C[i + 40], "0000") + "\n";
  }
  t += formatMask(G[18] * 3600, "00") + "...     " + formatMask(C[19], "0000") + "        " +
       formatMask(G[38] * 3600, "0.00") + "...       " + formatMask(C[39], "0000") + "        " +
       formatMask(G[58], "000.00") + "...         " + formatMask(C[59], "0000") + "\n";
  t += "\n                 общее количество точек  " + std::to_string(sums.Nok) + "\n";
  t += "dLsr= " + screenNumber(mL) + " секунд   dBsr= " + screenNumber(mB) +
       " секунд   dRsr= " + screenNumber(mR) + " тыс. км.\n";
  return t;
}

bool writeStatReport(State& s, const ResidualClasses& c, const ReportSums& sums) {
  const auto text = statReportText(s, c, sums);
  if (!text) {
    s.report(kMsgBadScale, kTitle70);
    return false;
  }
  const std::string rel = statReportPath(s);
  if (!writeFileAtomically(fullPath(s, rel), *text, true)) {
    s.report("Ошибка записи данных в файл\n" + displayPath(rel), kTitle70);
    return false;
  }
  return true;
}

}  // namespace orvant
