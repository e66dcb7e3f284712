#include "statistics/screens/statistics_screen.h"

#include <cmath>

#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"
#include "statistics/shifts.h"
#include "model/textfile.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant::statistics {

namespace {

constexpr const char* kBadInput = "Задайте правильно данные";
constexpr int kBig = 1000000000;  // bound of the integer boxes

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += '\n';
    out += lines[i];
  }
  return out;
}

std::string trimmed(std::string s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.back())) s.pop_back();
  std::size_t b = 0;
  while (b < s.size() && blank(s[b])) ++b;
  return s.substr(b);
}

// The day of a record's date as typed back into a date box. Record dates are counted in hundredths
// of a day; rounding to 1e-6 day only removes the binary noise of the Julian-date arithmetic, so
// that the date typed back names the same hundredth of a day.
double dayForBox(double day) { return std::round(day * 1e6) / 1e6; }

}  // namespace

StatisticsScreen::StatisticsScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Статистическая обработка параметров орбит") {
  // ---- the series to load ----
  group("gLoad", "Первичные данные").at(0, 0);
  options("obj", "Объект",
          {"Меркурий", "Венера", "Земля", "Марс", "Юпитер", "Сатурн", "Уран", "Нептун", "Плутон",
           "Ксена", "Луна"},
          2)
      .in("gLoad").at(0, 0).span(1, 4).inColumns(6);
  options("par", "Параметр", {"AlfaP", "AlfaU", "Betta", "Eks", "Rsr", "W*", "AlfaL0", "Ves"}, 0)
      .in("gLoad").at(1, 0).span(1, 4).inColumns(8);
  button("load", "Загрузить данные полученные", [this] { load(); }).in("gLoad").at(2, 0)
      .tip("Загрузить ряд параметров орбиты из файла имитатора или модели");
  options("src", "", {"имитаторе", "модели"}, 0).in("gLoad").at(2, 1).inColumns(2);
  options("sim", "", {"New", "JPL", "Kin"}, 0).in("gLoad").at(2, 2).span(1, 2).inColumns(3);
  field("plan", "план №", "1").in("gLoad").at(3, 0).chars(4);
  field("exp", "эксперимент №", "1").in("gLoad").at(3, 1).chars(4);
  check("fixAlfa", "Fix(Alfa)").in("gLoad").at(4, 0);
  check("asText", "как текст").in("gLoad").at(4, 1);
  check("starP", "*P").in("gLoad").at(4, 2);
  check("starU", "*U").in("gLoad").at(4, 3);
  field("ypc", "лет в 1 см", "1").in("gLoad").at(5, 0).chars(8).onChange([this] { scaleTyped_ = true; });
  field("upc", "единиц в 1 см", "1").in("gLoad").at(5, 1).chars(8).onChange([this] { scaleTyped_ = true; });
  check("overlay", "с наложением цветом №").in("gLoad").at(5, 2);
  field("color", "", "12").in("gLoad").at(5, 3).chars(3);

  // ---- what was loaded ----
  group("gRes", "Загружено").at(1, 0);
  field("NP", "точек в файле", "").in("gRes").at(0, 0).chars(6).locked();
  field("first", "первое значение", "").in("gRes").at(1, 0).chars(16).locked();
  field("firstDate", "дата", "").in("gRes").at(1, 1).chars(28).locked();
  field("last", "последнее значение", "").in("gRes").at(2, 0).chars(16).locked();
  field("lastDate", "дата", "").in("gRes").at(2, 1).chars(28).locked();

  // ---- changing the file ----
  group("gEdit", "Правка файла").at(2, 0);
  button("del", "Удалить точку №", [this] { removePoint(); }).in("gEdit").at(0, 0)
      .tip("Удалить из выборки точку с указанным номером");
  field("delNo", "", "1").in("gEdit").at(0, 1).chars(5);
  button("add", "Добавить в файл точку от", [this] { addPointToFile(); }).in("gEdit").at(1, 0)
      .tip("Добавить в файл точки от указанной даты до указанного года");
  field("addDay", "день", "1,5").in("gEdit").at(1, 1).chars(10);
  field("addMonth", "месяц", "1").in("gEdit").at(1, 2).chars(3);
  field("addYear", "год", "1600").in("gEdit").at(1, 3).chars(6);
  field("addTo", "до", "1630").in("gEdit").at(1, 4).chars(6);
  field("addValue", "значение", "0").in("gEdit").at(2, 1).chars(16);

  // ---- the approximation ----
  group("gFit", "Аппроксимация").at(3, 0);
  field("N1", "начальная точка №", "1").in("gFit").at(0, 0).chars(6);
  label("v1", "").in("gFit").at(0, 1);
  label("d1", "").in("gFit").at(0, 2);
  field("N2", "конечная точка №", "25").in("gFit").at(1, 0).chars(6);
  label("v2", "").in("gFit").at(1, 1);
  label("d2", "").in("gFit").at(1, 2);
  field("NPtest", "точек в выборке", "25").in("gFit").at(2, 0).chars(6);
  field("NCP0", "с разбивкой выборки на группы по", "1").in("gFit").at(2, 1).chars(4);
  label("pointsWord", "точек").in("gFit").at(2, 2);
  options("fitKind", "", {"const", "лин", "квад"}, 1).in("gFit").at(3, 0).inColumns(3);
  check("ves1", "+Ves=1").in("gFit").at(3, 1);
  check("textVes", "+текст Ves").in("gFit").at(3, 2);
  check("textK", "+текст k(i)").in("gFit").at(3, 3);
  field("IG", "рассчитать смещение и параметр для года IG =", "2000").in("gFit").at(4, 0).chars(6);
  field("Year0", "k0 для 1,5 .1.", "2000").in("gFit").at(4, 1).chars(6);
  check("allSizes", "+ с перебором всех вариантов разбивки выборки на группы")
      .in("gFit").at(5, 0).span(1, 2);
  options("crit", "", {"min", "maxmin", "sr"}, 0).in("gFit").at(5, 2).span(1, 2).inColumns(3);
  check("test", "Теста   Alfa = k0 + k1*dT + k2*dT^2 + k3*(Rnd (dT) - 0,5)")
      .in("gFit").at(6, 0).span(1, 4);
  group("gTest", "").in("gFit").at(7, 0).span(1, 4);
  field("tk0", "k0", "0").in("gTest").at(0, 0).chars(8);
  field("tk1", "k1", "1").in("gTest").at(0, 1).chars(8);
  field("tk2", "k2", "0").in("gTest").at(0, 2).chars(8);
  field("tk3", "k3", "1").in("gTest").at(0, 3).chars(8);
  button("fit", "Аппроксимировать данные выборки", [this] { fit(); }).in("gFit").at(8, 0)
      .tip("Аппроксимировать параметр по времени и найти вековое смещение с 95 % границами");
  group("gK", "").in("gFit").at(9, 0).span(1, 4);
  field("k0", "k0=", "").in("gK").at(0, 0).chars(18).locked();
  field("k1", "k1=", "").in("gK").at(0, 1).chars(18).locked();
  field("k2", "k2=", "").in("gK").at(0, 2).chars(18).locked();
  field("dY", "dY=", "").in("gK").at(1, 0).chars(18);
  field("S2", "2*Sigma=", "").in("gK").at(1, 1).chars(18);
  label("unit", "").in("gK").at(1, 2);
  field("parIG", "параметр для года IG", "").in("gK").at(2, 0).chars(18).locked();

  // ---- the secular-shift files ----
  // The file as text, the shift files and the navigation, beside the approximation.
  group("gSide", "").at(3, 1);
  textArea("fileText", "").in("gSide").at(0, 0).locked();
  group("gShift", "Вековые смещения").in("gSide").at(1, 0);
  button("shiftLoad", "Смещение в файле =", [this] { loadShifts(); }).in("gShift").at(0, 0)
      .tip("Прочитать смещение параметра из файла вековых смещений");
  field("shiftFile", "", "").in("gShift").at(0, 1).chars(18).locked();
  button("shiftSet", "Изменить смещение в файле на рассчитанное", [this] { replaceShift(); })
      .in("gShift").at(1, 0)
      .tip("Записать в файл вековых смещений рассчитанное смещение");

  // ---- the picture, navigation ----
  picture("pic", "", 22, 12).at(0, 1).span(3, 1).onMouse(
      [this](double x, double y, ui::MouseButton b) { pick(x, y, b); });
  group("gNav", "").in("gSide").at(2, 0);
  button("save", "Сохранить график как", [this] { savePicture(); }).in("gNav").at(0, 0)
      .tip("Сохранить график в файл с указанным именем");
  field("picName", "", "Orvant6").in("gNav").at(0, 1).chars(16);
  button("toPlan", "К плану", [this] { workbench().show(kPlanScreen); }).in("gNav").at(0, 2)
      .tip("Открыть оптимизацию скорости гравитации (экран 15)");
  button("files", "Файлы*", [this] { workbench().show(kFilesScreen); }).in("gNav").at(0, 3)
      .tip("Открыть описание файловой системы программы (экран 9)");
  button("closeForm", "Закрыть форму", [this] { close(); }).in("gNav").at(0, 4)
      .tip("Закрыть экран статистической обработки");
}

void StatisticsScreen::opened() {
  series_ = RecordSeries{};
  overlays_ = 0;
  drawn_ = shown_ = false;
  lastPick_ = 0;
  form().setEnabled("toPlan", workbench().has(kPlanScreen));
  form().setEnabled("files", workbench().has(kFilesScreen));
}

// ---- helpers ----

void StatisticsScreen::badInput() { form().message(kBadInput, kTitle7); }

std::optional<int> StatisticsScreen::integer(std::string_view id, int lo, int hi) const {
  const auto v = form().number(id);
  if (!v || !std::isfinite(*v) || *v != std::trunc(*v) || *v < lo || *v > hi) return std::nullopt;
  return static_cast<int>(*v);
}

std::optional<LoadChoice> StatisticsScreen::readChoice() {
  const auto k = integer("plan", 0, kBig), e = integer("exp", 0, kBig);
  if (!k || !e) {
    badInput();
    return std::nullopt;
  }
  LoadChoice c;
  c.N = form().option("obj") + 1;
  c.option = form().option("par") + 1;
  if (form().option("src") == 1) {
    c.source = Source::Model;
  } else {
    static constexpr Source sims[] = {Source::New, Source::JPL, Source::Kin};
    c.source = sims[std::max(0, form().option("sim"))];
  }
  c.k = *k;
  c.e = *e;
  c.fixAlfa = form().checked("fixAlfa");
  c.asText = form().checked("asText");
  c.starP = form().checked("starP");
  c.starU = form().checked("starU");
  return c;
}

bool StatisticsScreen::overlay() const { return form().checked("overlay"); }

ui::Color StatisticsScreen::seriesColor() const {
  if (!overlay()) return ui::kBlack;
  const auto n = integer("color", 0, 15);
  return n ? ui::qbColor(*n) : ui::kBlack;
}

std::string StatisticsScreen::dateText(double JD) {
  State& s = state();
  if (!DateFromJD(s, JD)) return {};
  return "год " + std::to_string(s.Year) + "  мес. " + std::to_string(s.Month) + "  день " +
         screenNumber(dayForBox(s.Day));
}

void StatisticsScreen::showSeriesBoxes() {
  ui::Form& f = form();
  const int NP = series_.NP;
  f.setText("NP", NP >= 1 ? std::to_string(NP) : "");
  if (NP < 1) {
    for (const char* id : {"first", "last", "firstDate", "lastDate"}) f.setText(id, "");
    return;
  }
  const int col = series_.ParCol;
  f.setNumber("first", series_.Par[1][col]);
  f.setNumber("last", series_.Par[NP][col]);
  f.setText("firstDate", dateText(series_.JD0 + series_.dT[1]));
  f.setText("lastDate", dateText(series_.JD0 + series_.dT[NP]));
}

bool StatisticsScreen::drawLoadedSeries(double unitsPerCm, double yearsPerCm) {
  ui::Canvas& pic = form().canvas("pic");
  if (overlay() && shown_) {
    // Over the drawing already there, on its axes.
    ++overlays_;
    setFrameView(pic, frame_);
    drawSeries(pic, frame_, series_, seriesColor(), 2 * overlays_);
    return true;
  }
  if (drawingTooLarge(series_, unitsPerCm, yearsPerCm) && !form().ask(kBigDrawingQuestion, kTitle7)) {
    drawn_ = false;
    return false;
  }
  frame_ = seriesFrame(series_, unitsPerCm, yearsPerCm);
  overlays_ = 0;
  drawn_ = true;
  shown_ = false;
  redrawSeries();
  return true;
}

void StatisticsScreen::redrawSeries() {
  if (!drawn_ || (shown_ && overlay())) return;
  ui::Canvas& pic = form().canvas("pic");
  const ui::Control& c = control("pic");
  applyFrame(pic, frame_, c.widthCm, c.heightCm);
  drawTimeAxis(pic, frame_);
  drawSeries(pic, frame_, series_, seriesColor(), 0);
  overlays_ = 0;
  shown_ = true;
}

// ---- load, delete, add ----

void StatisticsScreen::load() {
  const auto choice = readChoice();
  if (!choice) return;
  const auto ypc = form().number("ypc"), upc = form().number("upc");
  if (!ypc || !upc || !(*ypc > 0) || !(*upc > 0) || !std::isfinite(*ypc) || !std::isfinite(*upc) ||
      (form().checked("overlay") && !integer("color", 0, 15)))
    return badInput();
  form().setText("fileText", "");
  lastPick_ = 0;
  if (!loadSeries(state(), series_, *choice)) {
    // Nothing is loaded now: the picture no longer belongs to a series.
    drawn_ = shown_ = false;
    showSeriesBoxes();
    return;
  }
  if (choice->asText) form().setText("fileText", joined(series_.text));
  showSeriesBoxes();
  double u = *upc, y = *ypc;
  if (!scaleTyped_ && !(overlay() && shown_)) fitScales(u, y);
  drawLoadedSeries(u, y);
}

// Scales that show the loaded series whole on the picture as declared (its values over about 9 of
// its 12 cm, its time over about 20 of its 22 cm), as easy numbers, shown in the boxes.
void StatisticsScreen::fitScales(double& unitsPerCm, double& yearsPerCm) {
  const int NP = series_.NP;
  if (NP < 1) return;
  const ui::Control& pic = control("pic");
  const double range = series_.Ymax - series_.Ymin;
  const double u = ui::niceScale(range / (pic.heightCm - 3));
  if (range > 0 && std::isfinite(u) && u > 0) {
    unitsPerCm = u;
    form().setNumber("upc", u);
  }
  const double years = (series_.dT[NP] + series_.ddT[NP]) / 365.25;
  const double y = ui::niceScale(years / (pic.widthCm - 2));
  if (years > 0 && std::isfinite(y) && y > 0) {
    yearsPerCm = y;
    form().setNumber("ypc", y);
  }
}

void StatisticsScreen::removePoint() {
  const auto p = integer("delNo", -kBig, kBig);
  if (!p) return badInput();
  if (deletePoint(state(), series_, *p) == Change::Deleted) showSeriesBoxes();
}

void StatisticsScreen::addPointToFile() {
  const auto v = form().number("addValue"), day = form().number("addDay");
  const auto month = integer("addMonth", -kBig, kBig), year = integer("addYear", -kBig, kBig);
  const auto to = integer("addTo", -kBig, kBig);
  if (!v || !day || !month || !year || !to || !std::isfinite(*v) || !std::isfinite(*day))
    return badInput();
  const Ask ask = [this](std::string_view q) { return form().ask(q, kTitle7); };
  const Change c = addPoint(state(), series_, *v, *day, *month, *year, *to, ask);
  if (c == Change::Inserted || c == Change::Replaced) showSeriesBoxes();
}

Change StatisticsScreen::addOptimalRecord(int k, int planet, std::string_view line3,
                                          const OptimalRecord& opt) {
  Change result = Change::Failed;
  workbench().show(number());
  workbench().run(*this, [&] {
    ui::Form& f = form();
    const int N = planet == 0 ? 3 : planet;
    f.setOption("src", 0);
    f.setOption("sim", 2);
    f.setText("plan", std::to_string(k));
    if (N >= 1 && N <= 11) f.setOption("obj", N - 1);
    const auto choice = readChoice();
    if (!choice) return;
    const Ask ask = [this](std::string_view q) { return form().ask(q, kTitle7); };
    result = addOptimalParameters(state(), series_, k, planet, line3, opt, *choice, ask);
    if (result == Change::Inserted || result == Change::Replaced)
      f.setText("fileText", joined(series_.text));
    showSeriesBoxes();
  });
  return result;
}

// ---- picking a point ----

void StatisticsScreen::pick(double x, double, ui::MouseButton button) {
  // The time of the click, days after the series' JD0.
  double t;
  if (drawn_) {
    t = frame_.daysOfX(x) + frame_.JD0 - series_.JD0;
  } else {
    const auto ypc = form().number("ypc");
    t = (x - 1) * (ypc && *ypc > 0 ? *ypc : 1) * 365.25;
  }
  const int i = pickRecord(state(), series_, t, lastPick_);
  if (i < 1) return;
  lastPick_ = i;
  if (shown_) drawPick(form().canvas("pic"), frame_, series_, i);
  ui::Form& f = form();
  const double value = series_.Par[i][series_.ParCol];
  const double start = series_.JD0 + series_.dT[i];
  const std::string date = dateText(start);
  if (button == ui::MouseButton::Left) {
    f.setText("N1", std::to_string(i));
    f.setNumber("v1", value);
    f.setText("d1", date);
    // The same date into "Добавить в файл точку от", and the year of the interval's end into "до".
    State& s = state();
    if (DateFromJD(s, start)) {
      f.setNumber("addDay", dayForBox(s.Day));
      f.setText("addMonth", std::to_string(s.Month));
      f.setText("addYear", std::to_string(s.Year));
    }
    if (DateFromJD(s, start + series_.ddT[i])) f.setText("addTo", std::to_string(s.Year));
  } else {
    f.setText("N2", std::to_string(i));
    f.setNumber("v2", value);
    f.setText("d2", date);
  }
}

// ---- the approximation ----

void StatisticsScreen::fit() {
  ui::Form& f = form();
  ApproxInput in;
  const auto N1 = integer("N1", -kBig, kBig), N2 = integer("N2", -kBig, kBig);
  const auto NCP0 = integer("NCP0", -kBig, kBig), Year0 = integer("Year0", -1000000, 1000000);
  const auto IG = f.number("IG");
  if (!N1 || !N2 || !NCP0 || !Year0 || !IG || !std::isfinite(*IG)) return badInput();
  in.N1 = *N1;
  in.N2 = *N2;
  in.NCP0 = *NCP0;
  in.IG = *IG;
  in.Year0 = *Year0;
  static constexpr FitKind fits[] = {FitKind::Const, FitKind::Line, FitKind::Parabola};
  static constexpr Criterion criteria[] = {Criterion::Min, Criterion::MaxMin, Criterion::Mean};
  in.fit = fits[std::max(0, f.option("fitKind"))];
  in.criterion = criteria[std::max(0, f.option("crit"))];
  in.ves1 = f.checked("ves1");
  in.allSizes = f.checked("allSizes");

  if (f.checked("test")) {
    const auto NP = integer("NPtest", 1, 10000000);
    const auto k0 = f.number("tk0"), k1 = f.number("tk1"), k2 = f.number("tk2"),
               k3 = f.number("tk3");
    if (!NP || !k0 || !k1 || !k2 || !k3) return badInput();
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    if (!makeTestSeries(state(), series_, *NP, *k0, *k1, *k2, *k3, [this, &uniform] {
          return uniform(rnd_);
        }))
      return;
    // The test series is dated from 1.5 January of year 0 and drawn with 100 years per cm.
    in.Year0 = 0;
    f.setText("Year0", "0");
    const double range = series_.Ymax - series_.Ymin;
    const double upc = range > 0 ? range / 10 : 1;
    f.setText("ypc", "100");
    f.setNumber("upc", upc);
    lastPick_ = 0;
    showSeriesBoxes();
    drawLoadedSeries(upc, 100);
  }

  if (!approximate(state(), series_, in, result_)) return;
  const GroupFit& g = result_.fit;
  f.setNumber("k0", g.k0);
  f.setNumber("k1", g.k1);
  f.setNumber("k2", g.k2);
  f.setNumber("dY", result_.shift);
  f.setNumber("S2", result_.limit);
  f.setNumber("parIG", g.parIG);
  const std::string unit(shiftUnit(series_.ParCol));
  f.setText("unit", unit);

  ui::Canvas& pic = f.canvas("pic");
  if (in.allSizes) {
    // On the picture's own size: the sizes are not a time axis.
    const ui::Control& c = control("pic");
    if (pic.widthCm() != c.widthCm || pic.heightCm() != c.heightCm) pic.resize(c.widthCm, c.heightCm);
    drawSizes(pic, result_, unit);
    shown_ = false;  // the picture shows the sizes now, not the series
    return;
  }
  if (!drawn_) return;
  redrawSeries();
  setFrameView(pic, frame_);
  drawFit(pic, frame_, series_, g, result_.JDk0, f.checked("textVes"), f.checked("textK"),
          overlay() ? seriesColor() : ui::kBlue, 2 * (overlays_ + 1));
}

// ---- the secular-shift files ----

void StatisticsScreen::showShiftRows() {
  const State& s = state();
  std::vector<std::string> lines;
  if (s.ShiftKind == 1) {
    lines.push_back(displayPath(observedShiftPath(static_cast<ShiftSource>(s.NabSource))));
    for (auto& l : observedShiftText(s)) lines.push_back(std::move(l));
  } else if (s.ShiftKind == 2) {
    lines.push_back(displayPath(calculatedShiftPath(s.RasPlan, s.RasObj)));
    for (auto& l : calculatedShiftText(s, s.RasObj)) lines.push_back(std::move(l));
  }
  printLines(form().canvas("pic"), lines);
  shown_ = false;  // the picture shows the rows now
  // The rows are wider than the picture: the text box shows them whole.
  form().setText("fileText", joined(lines));
}

void StatisticsScreen::showShiftBox() {
  const State& s = state();
  const int N = form().option("obj") + 1, c = form().option("par") + 1;
  std::string text;
  if (c >= 1 && c <= 6 && N >= 1 && N <= 11) {
    if (s.ShiftKind == 1) {
      text = screenNumber(s.NabShift[N][c]);
    } else if (s.ShiftKind == 2 && s.RasObj == N) {
      if (const auto e = integer("exp", 0, 91)) text = screenNumber(s.RasShift[N][c][*e]);
    }
  }
  form().setText("shiftFile", text);
}

void StatisticsScreen::loadShifts() {
  const int N = form().option("obj") + 1;
  if (form().option("src") == 1) {
    const auto k = integer("plan", 0, kBig);
    const auto e = integer("exp", 0, 91);
    if (!k || !e) return badInput();
    if (!loadCalculatedShifts(state(), *k, N)) return;
  } else {
    const auto source = static_cast<ShiftSource>(std::max(0, form().option("sim")) + 1);
    if (!loadObservedShifts(state(), source)) return;
  }
  showShiftRows();
  showShiftBox();
}

void StatisticsScreen::replaceShift() {
  const int N = form().option("obj") + 1, c = form().option("par") + 1;
  const std::string shift = form().text("dY");
  // After the rewrite the table is read back, so that the rows and the box show what the file
  // now holds (the shift truncated to six decimals).
  if (form().option("src") == 1) {
    const auto k = integer("plan", 0, kBig), e = integer("exp", -kBig, kBig);
    if (!k || !e) return badInput();
    if (!replaceCalculatedShift(state(), *k, N, *e, c, shift)) return;
    if (!loadCalculatedShifts(state(), *k, N)) return;
  } else {
    const auto source = static_cast<ShiftSource>(std::max(0, form().option("sim")) + 1);
    if (!replaceObservedShift(state(), source, N, c, shift)) return;
    if (!loadObservedShifts(state(), source)) return;
  }
  showShiftRows();
  showShiftBox();
}

// ---- the picture as a file ----

void StatisticsScreen::savePicture() {
  const std::string name = trimmed(form().text("picName"));
  if (name.empty()) return badInput();
  const std::string rel = name + ".bmp";
  if (!form().canvas("pic").save(fullPath(state(), rel).string()))
    form().message("Ошибка записи данных в файл\n" + displayPath(rel), kTitle7);
}

}  // namespace orvant::statistics
