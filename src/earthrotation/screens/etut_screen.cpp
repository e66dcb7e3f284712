#include "earthrotation/screens/etut_screen.h"

#include <cmath>
#include <optional>
#include <string>

#include "astro/etut.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant {

namespace {

constexpr std::string_view kMsgBad = "Введите правильно данные";

// Captions of the presets, with the formula and the year of each.
const std::vector<std::string> kPresetCaptions = {
    "задать вручную",
    "ET-UT=24.35+72.32*(T-T0)+29.95*(T-T0)^2, T0=1900 (1939 г.)",
    "ET-UT=31.5*(T-T0)^2, T0=1800 (1997 г.)",
    "ET-UT=31.5*(T-T0)^2, T0= JD0 (2010 г.) (для поворота планет)",
    "ET-UT=31.5*(T-T0)^2, T0= JD0 (2010 г.) (для вращения Земли)",
    "кусочная аппроксимация от 1700 до 2000 и далее прогноз",
};

std::string id(const char* what, int n) { return what + std::to_string(n); }

}  // namespace

EtutScreen::EtutScreen(State& s, ui::Workbench& wb) : Screen(s, wb, "Рассчет ET-UT") {
  for (int n = 1; n <= 2; ++n) {
    const std::string N = std::to_string(n);
    const std::string g = id("g", n);
    group(g, n == 1 ? "ET1 - UT (для поворота планет)" : "ET2 - UT (для вращения Земли)")
        .at(n - 1, 0);
    options(id("opt", n), "", kPresetCaptions, n == 1 ? 1 : 2)
        .in(g)
        .at(0, 0)
        .span(1, 6)
        .tip("модель поправки ET" + N + "-UT: выбор пишет ее коэффициенты в поля формулы")
        .onChange([this, n] { presetChosen(n); });
    const ETUTOption& o = kETUTOptions[n == 1 ? 1 : 2];
    field(id("a0_", n), "ET" + N + "-UT, сек =", screenNumber(o.a0)).in(g).at(1, 0).chars(8);
    field(id("a1_", n), "+", screenNumber(o.a1)).in(g).at(1, 1).chars(8);
    field(id("a2_", n), " * (T-T0" + N + ") +", screenNumber(o.a2)).in(g).at(1, 2).chars(8);
    label(id("sq", n), " * (T-T0" + N + ")^2").in(g).at(1, 3);
    field(id("T0_", n), "T0" + N + "=", std::to_string(o.T0year)).in(g).at(1, 4).chars(6);
    options(id("sign", n), "знак", {"ET" + N + "-UT", "-(ET" + N + "-UT)"}, 0)
        .in(g)
        .at(2, 0)
        .inColumns(2)
        .tip("второй выбор меняет знак поправки ET" + N + "-UT");
  }
  group("diam", "Диаметры, тыс. км").at(2, 0);
  field("Dsun", "Dsun", "1392,0").in("diam").at(0, 0).chars(9);
  field("Death", "Death", "12,75628").in("diam").at(0, 1).chars(9);
  field("Dmoon", "Dmoon", "3,475").in("diam").at(0, 2).chars(9);
  button("apply", "Задать значения", [this] { apply(); })
      .at(3, 0)
      .tip("принять модели ET1-UT, ET2-UT и диаметры Солнца, Земли и Луны");
  button("close", "Закрыть форму", [this] { close(); })
      .at(3, 1)
      .tip("закрыть окно; выбранные модели остаются в силе");
  hidden("Time", [this] { apply(); });
}

void EtutScreen::opened() { apply(); }

void EtutScreen::presetChosen(int n) {
  const int opt = form().option(id("opt", n));
  if (opt <= 0 || opt >= static_cast<int>(kETUTOptions.size())) return;  // typed values stay
  const ETUTOption& o = kETUTOptions[static_cast<std::size_t>(opt)];
  form().setText(id("a0_", n), screenNumber(o.a0));
  form().setText(id("a1_", n), screenNumber(o.a1));
  form().setText(id("a2_", n), screenNumber(o.a2));
  form().setText(id("T0_", n), std::to_string(o.T0year));
}

bool EtutScreen::apply() {
  ui::Form& f = form();
  State& s = state();
  struct Read {
    double a0, a1, a2;
    int32 year;
    int option;
    bool reversed;
  } r[3]{};
  for (int n = 1; n <= 2; ++n) {
    const auto a0 = f.number(id("a0_", n)), a1 = f.number(id("a1_", n)),
               a2 = f.number(id("a2_", n)), y = f.number(id("T0_", n));
    if (!a0 || !a1 || !a2 || !y || !std::isfinite(*a0) || !std::isfinite(*a1) ||
        !std::isfinite(*a2) || !std::isfinite(*y) || std::fabs(*y) > 1e6 ||
        *y != std::trunc(*y)) {
      f.message(kMsgBad, kTitle70);
      return false;
    }
    r[n] = {*a0, *a1, *a2, static_cast<int32>(*y), std::max(0, f.option(id("opt", n))),
            f.option(id("sign", n)) == 1};
  }
  const auto Ds = f.number("Dsun"), De = f.number("Death"), Dm = f.number("Dmoon");
  if (!Ds || !De || !Dm || !(*Ds > 0) || !(*De > 0) || !(*Dm > 0) || !std::isfinite(*Ds) ||
      !std::isfinite(*De) || !std::isfinite(*Dm) || !(*Ds > *De)) {
    f.message(kMsgBad, kTitle70);
    return false;
  }
  const State::ETcoefSet kept = s.ETcoef;
  for (int n = 1; n <= 2; ++n) {
    if (!setETcoef(s, n, r[n].option, r[n].a0, r[n].a1, r[n].a2, r[n].year, r[n].reversed)) {
      s.ETcoef = kept;  // the date's message has been shown
      return false;
    }
  }
  setEclipseDiameters(s, *Ds, *De, *Dm);
  return true;
}

}  // namespace orvant
