#include "ephemeris/screens/moon_perturbation_screen.h"

#include "ephemeris/perturbations.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/form.h"

namespace orvant::ephemeris {

namespace {

constexpr std::string_view kMsgBadInput = "Введите правильно данные";
constexpr std::string_view kMsgBadOpening = "Введите правильно номер объекта на форме 10";

}  // namespace

const std::array<MoonPerturbationScreen::Term, 20>& MoonPerturbationScreen::terms() {
  // Defaults: the principal lunar inequalities (Meeus, Astronomical Algorithms, tables 47.A, 47.B).
  static const std::array<Term, 20> kTerms = {{
      {1, "1-е главное неравенство (от эллиптичности)", "* sin ( L )", "6,2889", false},
      {2, "2-е главное неравенство (от эллиптичности)", "* sin ( 2 * L )", "0,2136", false},
      {3, "dL3 эвекция (от изменения эксцентриситета)", "* sin ( L - 2 * D )", "-1,2739", true},
      {4, "dL4 вариация (от изменения скорости) ", "* sin ( 2 * D )", "0,6583", true},
      {5, "dL5 годичное неравенство (от орбиты Земли)", "* sin ( Ls )", "-0,1856", true},
      {6, "dL6 =   (не надо)", "* sin ( 2 * F )", "-0,1144", false},
      {7, "dL7 =", "* sin ( D )", "-0,0347", true},
      {8, "dL8 =", "* sin ( 2 * D - 2 * L )", "0,0588", true},
      {9, "dL9 =", "* sin ( 2 * D - L - Ls )", "0,0571", true},
      {10, "dL10 =", "* sin ( 2 * D + L )", "0,0533", true},
      {11, "dB11 =  (не надо)", "* sin ( L + F )", "0,2806", false},
      {12, "dB12 =  (не надо)", "* sin ( L - F )", "0,2777", false},
      {13, "dB13 вариация по широте =", "* sin ( 2 * D - F )", "0,1732", true},
      {14, "dB14 =", "* sin ( 2 * D - L + F )", "0,0554", true},
      {15, "dB15 =", "* sin ( 2 * D - L - F )", "0,0462", true},
      {16, "dB16 =", "* sin ( 2 * D + F )", "0,0326", true},
      {25, "dL21 =", "* sin ( Ls - 2 * D )", "-0,0458", true},
      {26, "dL22 =", "* sin ( L - Ls )", "0,0411", true},
      {27, "dL23 =", "* sin ( L + Ls )", "-0,0306", true},
      {28, "dL24 =", "* sin ( 2 * F - 2 * D )", "-0,0153", true},
  }};
  return kTerms;
}

MoonPerturbationScreen::MoonPerturbationScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Возмущения  Луны dLdB") {
  group("angles", "").at(0, 0).span(1, 2);
  label("angleL", "L = AlfaL(Ipl) - AlfaP(Ipl)").in("angles").at(0, 0);
  label("angleF", "F = AlfaL(Ipl) - AlfaU(Ipl)").in("angles").at(0, 1);
  label("angleD", "D = AlfaL(Ipl) - AlfaL(Ipl2)").in("angles").at(1, 0);
  label("angleLs", "Ls = AlfaL(Ipl2) - AlfaP(Ipl2)").in("angles").at(1, 1);
  label("moonIpl2", " для Луны Ipl2=0").in("angles").at(2, 0);

  // Longitude terms on the left, latitude terms (entries 11..16) on the right.
  group("lon", "Долгота, град").at(1, 0).span(2, 1);
  group("lat", "Широта, град").at(1, 1);
  int rows[2] = {0, 0};
  for (const Term& t : terms()) {
    const bool latitude = t.entry >= 11 && t.entry <= 16;
    const std::string g = latitude ? "lat" : "lon";
    int& row = rows[latitude ? 1 : 0];
    check(tickId(t.entry), t.caption, t.ticked)
        .in(g)
        .at(row, 0)
        .tip("Учитывать этот член возмущений Луны");
    field(valueId(t.entry), "", t.value).in(g).at(row, 1).chars(9);
    label("term" + std::to_string(t.entry), t.term).in(g).at(row, 2);
    ++row;
  }

  group("commands", "").at(2, 1);
  button("set", "Задать значения коэффициентов", [this] { setCoefficients(); })
      .in("commands")
      .at(0, 0)
      .tip("Взять отмеченные коэффициенты в таблицу возмущений Луны, неотмеченные обнулить");
  button("close", "Закрыть форму", [this] { close(); })
      .in("commands")
      .at(0, 1)
      .tip("Закрыть форму; коэффициенты таблицы сохраняются");
}

// The boxes hold their defaults from the declaration; the table takes them.
void MoonPerturbationScreen::opened() { takeBoxes(kMsgBadOpening); }

bool MoonPerturbationScreen::setCoefficients() { return takeBoxes(kMsgBadInput); }

bool MoonPerturbationScreen::takeBoxes(std::string_view failure) {
  State& s = state();
  ui::Form& f = form();
  // Every box is checked before the table changes: a refused box changes nothing.
  auto next = s.dLdB;
  for (const Term& t : terms()) {
    next[t.entry] = 0;
    if (!f.checked(tickId(t.entry))) continue;
    const auto v = f.numberIn(valueId(t.entry), -kMaxCoefficient, kMaxCoefficient);
    if (!v) {
      f.message(failure, kTitle70);
      return false;
    }
    next[t.entry] = *v;
  }
  s.dLdB = next;
  return true;
}

}  // namespace orvant::ephemeris
