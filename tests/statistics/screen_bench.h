// Screen 6 driven headless (support/screen_harness.h), and record files written the way a run
// writes them (createRecordFile, then one appendRecord per record).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/format.h"
#include "statistics/records.h"
#include "statistics/screens/statistics_screen.h"
#include "statistics/test_files.h"
#include "support/screen_harness.h"
#include "ui/memory_form.h"

namespace orvant::statistics::testing {

struct ScreenBench : test::ScreenHarness {
  ScreenBench() : ScreenHarness("orvant_sta_") { wb.add<StatisticsScreen>(StatisticsScreen::kNumber); }
  StatisticsScreen& screen() { return wb.screen<StatisticsScreen>(StatisticsScreen::kNumber); }
  ui::Form& form() { return wb.show(StatisticsScreen::kNumber).form(); }
  ui::MemoryCanvas& pic() {
    return static_cast<ui::MemoryForm&>(form()).memoryCanvas("pic");
  }
  std::string lastDialog() const { return lastMessage(); }
  std::vector<ui::Shape> shapes(ui::Shape::Type type) {
    std::vector<ui::Shape> out;
    for (const auto& s : pic().shapes())
      if (s.type == type) out.push_back(s);
    return out;
  }
};

// One short record as a run writes it: number, dT x 100, six parameters x 100 x MK, each truncated
// toward zero. Parameters: AlfaP, AlfaU (degrees), Betta (degrees), Eks, Rsr (million km), Wsr.
struct ShortRecord {
  double dT;
  std::array<double, 6> par;
};

inline bool writeShortFile(State& s, const std::string& rel, double JD0,
                           const std::vector<ShortRecord>& records, std::int64_t NP1max = -1) {
  const std::array<std::string, 4> header = {"эксперимент № 2 плана № 3", "основной шаг решения 3600 сек",
                                             "модель", " № замера     прошло дней   перигелий"};
  if (NP1max < 0) NP1max = static_cast<std::int64_t>(records.size()) + 5;
  if (!createRecordFile(s, rel, header, NP1max, JD0)) return false;
  std::int64_t n = 0;
  for (const auto& r : records) {
    std::vector<std::int64_t> v = {++n, scaledInt(r.dT, 100)};
    for (double p : r.par) v.push_back(scaledInt(p, 100 * s.MK));
    if (!appendRecord(s, rel, v)) return false;
  }
  return true;
}

// The value a file keeps of x at scale 100 x MK, as the loaded series holds it.
inline double stored(const State& s, double x) {
  return static_cast<double>(scaledInt(x, 100 * s.MK)) / 100 / s.MK;
}

}  // namespace orvant::statistics::testing
