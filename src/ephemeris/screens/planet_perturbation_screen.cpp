#include "ephemeris/screens/planet_perturbation_screen.h"

#include <cmath>

#include "ephemeris/perturbations.h"
#include "model/messages.h"
#include "model/state.h"
#include "model/textfile.h"
#include "ui/form.h"

namespace orvant::ephemeris {

namespace {

constexpr std::string_view kMsgBadInput = "Введите правильно данные";
constexpr std::string_view kMsgNotFound = "Не могу найти файл";
constexpr std::string_view kMsgReadError = "Ошибка чтения данных из файла";
constexpr std::string_view kMsgWriteError = "Ошибка записи данных в файл";

struct Planet {
  const char* caption;  // before the first perturber box
  const char* p1;       // default perturbers
  const char* p2;
};
constexpr Planet kPlanets[5] = {{"", "", ""},
                                {"для Меркурия от планет 21 =", "2", "5"},
                                {"для Венеры от планет 21 =", "3", "5"},
                                {"для Земли от планет 21 =", "2", "5"},
                                {"для Марса от планет 21 =", "3", "5"}};

// Term j (1..8): the lunar term of the same form that names the row, and the term with the
// perturber's angles Lk, Dk (k = 1 for the box of perturber 1, 2 for perturber 2).
struct TermText {
  const char* lunar;
  const char* term;
};
constexpr TermText kTerms[9] = {{"", ""},
                                {"dL3 =", "* sin ( L - 2 * Dk )"},
                                {"dL4 =", "* sin ( 2 * Dk )"},
                                {"dL7 =", "* sin ( Dk )"},
                                {"dL5 =", "* sin ( Lk )"},
                                {"dL8 =", "* sin ( 2 * Dk - 2 * L )"},
                                {"dL9 =", "* sin ( 2 * Dk - L - Lk )"},
                                {"dL10 =", "* sin ( 2 * Dk + L )"},
                                {"dL21 =", "* sin ( Lk - 2 * Dk )"}};

std::string withPath(std::string_view text, const std::string& rel) {
  return std::string(text) + "\n" + displayPath(rel);
}

}  // namespace

PlanetPerturbationScreen::PlanetPerturbationScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Возмущения планет dL") {
  group("angles", "").at(0, 0).span(1, 2);
  label("angleL", "L = AlfaL(Ipl) - AlfaP(Ipl)").in("angles").at(0, 0);
  label("angleD", "D = AlfaL(Ipl) - AlfaL(Ipl2)").in("angles").at(0, 1);
  label("angleNote",
        "Lk, Dk - от планеты 21 (k = 1, левый столбец) или 22 (k = 2, правый столбец); "
        "коэффициенты в градусах")
      .in("angles")
      .at(1, 0)
      .span(1, 2);

  // One frame per planet: the perturbers on top, below them the boxes of their terms.
  for (int I = 1; I <= 4; ++I) {
    const std::string g = "planet" + std::to_string(I);
    group(g, "").at(1 + (I - 1) / 2, (I - 1) % 2);
    field(perturber1Id(I), kPlanets[I].caption, kPlanets[I].p1).in(g).at(0, 0).chars(3);
    field(perturber2Id(I), "и 22=", kPlanets[I].p2).in(g).at(0, 1).chars(3);
    for (int j = 1; j <= 8; ++j) {
      const int n = 10 * I + j;
      field(boxId(n), kTerms[j].lunar, "0").in(g).at(j, 0).chars(9);
      field(boxId(n + 40), "", "0").in(g).at(j, 1).chars(9);
      label("term" + std::to_string(n), kTerms[j].term).in(g).at(j, 2);
    }
  }

  group("commands", "").at(3, 0).span(1, 2);
  button("set", "Задать значения коэффициентов (возмущений)", [this] { setCoefficients(); })
      .in("commands")
      .at(0, 0)
      .tip("Взять коэффициенты и номера возмущающих планет из полей в таблицу возмущений");
  button("load", "Загрузить из файла №", [this] { loadFile(); })
      .in("commands")
      .at(0, 1)
      .tip("Прочитать коэффициенты из файла Dat\\dL<N>.dat в таблицу и показать их в полях");
  field("fileNo", "", "1").in("commands").at(0, 2).chars(4);
  button("save", "Записать в файл №", [this] { saveFile(); })
      .in("commands")
      .at(1, 1)
      .tip("Взять коэффициенты из полей в таблицу и записать их в файл Dat\\dL<N>.dat");
  button("close", "Закрыть форму", [this] { close(); })
      .in("commands")
      .at(1, 0)
      .tip("Закрыть форму; коэффициенты таблицы сохраняются");
}

// The boxes hold 0 from the declaration; file 1 fills them and the table takes them, with the
// default perturbers. Without a readable file 1 nothing is taken: the table keeps what it holds.
void PlanetPerturbationScreen::opened() {
  if (load(Opening::Yes)) setCoefficients();
}

bool PlanetPerturbationScreen::takeBoxes() {
  State& s = state();
  ui::Form& f = form();
  // Every box is checked before the table changes: a refused box changes nothing.
  auto next = s.PertDL;
  for (int I = 1; I <= 4; ++I) {
    for (int j = 1; j <= 8; ++j) {
      const int n = 10 * I + j;
      const auto v1 = f.numberIn(boxId(n), -kMaxCoefficient, kMaxCoefficient);
      const auto v2 = f.numberIn(boxId(n + 40), -kMaxCoefficient, kMaxCoefficient);
      if (!v1 || !v2) {
        f.message(kMsgBadInput, kTitle70);
        return false;
      }
      next[1][n] = *v1;
      next[2][n] = *v2;
    }
  }
  s.PertDL = next;
  return true;
}

bool PlanetPerturbationScreen::setCoefficients() {
  State& s = state();
  ui::Form& f = form();
  if (!takeBoxes()) return false;
  // The perturbers: whole object numbers; all eight are read before any is stored.
  std::array<int32, 5> p1{}, p2{};
  for (int I = 1; I <= 4; ++I) {
    const auto a = f.number(perturber1Id(I));
    const auto b = f.number(perturber2Id(I));
    const auto whole = [](const std::optional<double>& v) {
      return v && *v == std::trunc(*v) && *v >= 0 && *v < kObjects;
    };
    if (!whole(a) || !whole(b)) {
      f.message(kMsgBadInput, kTitle70);
      return false;
    }
    p1[I] = static_cast<int32>(*a);
    p2[I] = static_cast<int32>(*b);
  }
  for (int I = 1; I <= 4; ++I) {
    s.Ipl21[I] = p1[I];
    s.Ipl22[I] = p2[I];
  }
  return true;
}

std::optional<long long> PlanetPerturbationScreen::fileNumber() {
  const auto v = form().number("fileNo");
  if (!v || *v != std::trunc(*v) || *v < 0 || *v > 2147483647.0) return std::nullopt;
  return static_cast<long long>(*v);
}

bool PlanetPerturbationScreen::loadFile() { return load(Opening::No); }

bool PlanetPerturbationScreen::load(Opening opening) {
  State& s = state();
  ui::Form& f = form();
  const auto N = fileNumber();
  if (!N) {
    f.message(kMsgBadInput, kTitle70);
    return false;
  }
  const std::string rel = PertFileName(*N);
  PertTable table = s.PertDL;
  switch (ReadPertFile(fullPath(s, rel), s.MK, table)) {
    case ReadStatus::Ok:
      break;
    case ReadStatus::NotFound:
      // At the opening the program's own message; the load command names the file.
      f.message(opening == Opening::Yes ? std::string(kMsgBadInput) : withPath(kMsgNotFound, rel),
                kTitle70);
      return false;
    case ReadStatus::ReadError:
      f.message(withPath(kMsgReadError, rel), kTitle70);
      return false;
  }
  s.PertDL = table;
  for (int I = 1; I <= 4; ++I) showPlanet(I);
  return true;
}

bool PlanetPerturbationScreen::saveFile() {
  State& s = state();
  ui::Form& f = form();
  const auto N = fileNumber();
  if (!N) {
    f.message(kMsgBadInput, kTitle70);
    return false;
  }
  // The boxes into the table, as "Задать значения коэффициентов" does, without the perturbers.
  if (!takeBoxes()) return false;
  // The file gets the scaled copies; the table keeps the unscaled values of the boxes.
  const std::string rel = PertFileName(*N);
  if (WritePertFile(fullPath(s, rel), s.MK, s.PertDL) != PertWrite::Ok) {
    f.message(withPath(kMsgWriteError, rel), kTitle70);
    return false;
  }
  return true;
}

bool PlanetPerturbationScreen::copyOptimum(int N, int k, const std::array<double, 8>& c) {
  if (N == 0) N = 3;
  if (N < 1 || N > 4 || (k != 1 && k != 2)) return false;
  State& s = state();
  for (int j = 1; j <= 8; ++j) s.PertDL[k][10 * N + j] = c[j - 1];
  showPlanet(N);
  return true;
}

void PlanetPerturbationScreen::showPlanet(int I) {
  if (I < 1 || I > 4) return;
  const State& s = state();
  ui::Form& f = form();
  for (int j = 1; j <= 8; ++j) {
    const int n = 10 * I + j;
    f.setNumber(boxId(n), s.PertDL[1][n]);
    f.setNumber(boxId(n + 40), s.PertDL[2][n]);
  }
}

}  // namespace orvant::ephemeris
