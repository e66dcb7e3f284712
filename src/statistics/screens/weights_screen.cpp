#include "statistics/screens/weights_screen.h"

#include <cmath>
#include <string>

#include "model/format.h"
#include "model/messages.h"
#include "statistics/shifts.h"
#include "ui/form.h"

namespace orvant::statistics {

namespace {

constexpr const char* kBadInput = "Задайте правильно данные";
constexpr int kColumns = kShiftColumns;

constexpr const char* kColumnCaptions[kColumns] = {
    "перигелий, вес",   "угол восхождения, вес", "угол наклона, вес",
    "эксцентриситет, вес", "полуось, вес",       "угловая скорость, вес"};
constexpr const char* kShiftNames[kColumns + 1] = {"",        "dAlfaP100", "dAlfaU100", "dBetta100",
                                                   "dEks100", "dRsr100",   "dW100"};

std::string id(const char* prefix, int i) { return prefix + std::to_string(i); }
std::size_t at(int i) { return static_cast<std::size_t>(i); }

// One experiment of the listing: "   3    dAlfaP100= 0042.9800    dAlfaU100= ...".
std::string shiftLine(const State& s, int N, int e) {
  const auto v = [&](int c) { return s.RasShift[at(N)][at(c)][at(e)]; };
  std::string t = e <= 9 ? "   " : " ";
  t += std::to_string(e);
  t += "    dAlfaP100= " + formatMask(v(1), "0000.0000");
  t += "    dAlfaU100= " + formatMask(v(2), "0000.0000");
  t += "    dBetta100= " + formatMask(v(3), "000.00000");
  t += "    dEks100= " + formatMask(v(4), "000.00000");
  t += "    dRsr100= " + formatMask(v(5), "0000.0000");
  t += "    dW100= " + formatMask(v(6), "0000.0000");
  return t;
}

}  // namespace

WeightsScreen::WeightsScreen(State& s, ui::Workbench& wb) : Screen(s, wb, "Весовые коэффициенты") {
  group("gWeights", "Весовые коэффициенты смещений параметров орбит планет").at(0, 0);
  field("plan", "план №", "1").in("gWeights").at(0, 0).chars(5);
  button("loadWeights", "Загрузить  весовые коэффициенты", [this] { loadWeights(); }).in("gWeights").at(0, 1)
      .tip("Загрузить весовые коэффициенты плана из файла");
  button("saveWeights", "Сохранить", [this] { saveWeights(); }).in("gWeights").at(0, 2)
      .tip("Сохранить весовые коэффициенты в файл плана");
  ui::Control& grid =
      table("Wt", "", kPlanets, std::vector<std::string>(kColumnCaptions, kColumnCaptions + kColumns));
  grid.in("gWeights").at(1, 0).span(1, 3);
  grid.rowCaptions = {"Меркурий", "Венера", "Земля", "Марс",   "Юпитер",
                      "Сатурн",   "Уран",   "Нептун", "Плутон", "Ксена"};

  group("gShifts", "Данные моделирования").at(1, 0);
  options("planet", "",
          {"Меркурий", "Венера", "Земля", "Марс", "Юпитер", "Сатурн", "Уран", "Нептун", "Плутон", "Ксена"}, 0)
      .in("gShifts").at(0, 0).span(1, 3).inColumns(5);
  field("exp", "эксперимент№", "1").in("gShifts").at(1, 0).chars(4);
  button("view", "Просмотреть данные моделирования по одной планете", [this] { viewShifts(); })
      .in("gShifts").at(1, 1)
      .tip("Показать рассчитанные смещения одной планеты по опытам плана");
  field("count", "прочитано записей", "").in("gShifts").at(1, 2).chars(4).locked();
  for (int c = 1; c <= kColumns; ++c)
    field(id("shift", c), kShiftNames[c], "").in("gShifts").at(2 + (c - 1) / 3, (c - 1) % 3).chars(16);
  button("saveShifts", "Сохранить", [this] { saveShifts(); }).in("gShifts").at(4, 0)
      .tip("Сохранить исправленные смещения в файл");

  textArea("listing", "").at(2, 0).locked();
  button("close", "Закрыть форму", [this] { close(); }).at(3, 0)
      .tip("Закрыть экран весовых коэффициентов");

}

std::optional<int> WeightsScreen::integerBox(std::string_view box, int lo, int hi) const {
  const auto v = form().number(box);
  if (!v || !std::isfinite(*v) || *v != std::trunc(*v) || *v < lo || *v > hi) return std::nullopt;
  return static_cast<int>(*v);
}

void WeightsScreen::badInput() { form().message(kBadInput, kTitle7); }

// ---- weights ----

void WeightsScreen::loadWeights() {
  const auto k = integerBox("plan", 1, 999999);
  if (!k) return badInput();
  PlanFile f;
  if (!readPlanFile(state(), *k, f)) return;
  loaded_ = f;
  loadedPlan_ = *k;
  form().setText("listing", "");
  for (int N = 1; N <= kPlanets; ++N) {
    std::string line = "планета  " + std::to_string(N);
    for (int c = 1; c <= kColumns; ++c) {
      const double w = f.Wt[at(N)][at(c)];
      form().setCellNumber("Wt", N - 1, c - 1, w);
      line += "   " + screenNumber(w);
      state().Wt[at(N)][at(c)] = w;
    }
    form().appendLine("listing", line);
  }
}

void WeightsScreen::saveWeights() {
  const auto k = integerBox("plan", 1, 999999);
  if (!k) return badInput();
  // The file keeps its headers and factor levels: they come from the load of this plan's file.
  if (loadedPlan_ != *k) {
    form().message("Сначала загрузите весовые коэффициенты плана № " + std::to_string(*k), kTitle7);
    return;
  }
  PlanFile f = loaded_;
  for (int N = 1; N <= kPlanets; ++N)
    for (int c = 1; c <= kColumns; ++c) {
      const auto w = form().cellNumber("Wt", N - 1, c - 1);
      if (!w || !std::isfinite(*w)) return badInput();
      f.Wt[at(N)][at(c)] = *w;
    }
  if (!writePlanFile(state(), *k, f)) return;
  loaded_ = f;
  for (int N = 1; N <= kPlanets; ++N)
    for (int c = 1; c <= kColumns; ++c) state().Wt[at(N)][at(c)] = f.Wt[at(N)][at(c)];
}

// ---- calculated shifts ----

void WeightsScreen::viewShifts() {
  const auto k = integerBox("plan", 1, 999999);
  const auto e = integerBox("exp", 1, 91);
  const int N = form().option("planet") + 1;
  if (!k || !e || N < 1 || N > kPlanets) return badInput();
  form().setText("listing", "");
  if (!loadCalculatedShifts(state(), *k, N, ShiftMessages::Screen19)) {
    form().setText("count", "");
    return;
  }
  form().setText("count", std::to_string(state().NE));
  for (int i = 1; i <= state().NE; ++i) form().appendLine("listing", shiftLine(state(), N, i));
  if (*e > state().NE) {
    for (int c = 1; c <= kColumns; ++c) form().setText(id("shift", c), "");
    return badInput();
  }
  for (int c = 1; c <= kColumns; ++c)
    form().setNumber(id("shift", c), state().RasShift[at(N)][at(c)][at(*e)]);
}

void WeightsScreen::saveShifts() {
  const auto k = integerBox("plan", 1, 999999);
  const auto e = integerBox("exp", 1, 91);
  const int N = form().option("planet") + 1;
  if (!k || !e || N < 1 || N > kPlanets) return badInput();
  double v[kColumns + 1] = {};
  for (int c = 1; c <= kColumns; ++c) {
    const auto x = form().number(id("shift", c));
    // The file stores shift x MK as a 64-bit integer: a larger value cannot be written.
    if (!x || !checkedStoredInt(*x, state().MK)) return badInput();
    v[c] = *x;
  }
  State& s = state();
  if (s.ShiftKind != 2 || s.RasPlan != *k || s.RasObj != N) {
    form().message(kRasNotLoaded, kTitle7);
    return;
  }
  if (*e > s.NE) return badInput();
  double old[kColumns + 1] = {};
  for (int c = 1; c <= kColumns; ++c) {
    old[c] = s.RasShift[at(N)][at(c)][at(*e)];
    s.RasShift[at(N)][at(c)][at(*e)] = v[c];
  }
  if (!writeCalculatedShifts(s, *k, N, ShiftMessages::Screen19)) {
    for (int c = 1; c <= kColumns; ++c) s.RasShift[at(N)][at(c)][at(*e)] = old[c];
    return;
  }
  form().setText("listing", "");
  for (int i = 1; i <= s.NE; ++i) form().appendLine("listing", shiftLine(s, N, i));
}

}  // namespace orvant::statistics
