#include "coordinates/screens/converter_screen.h"

#include <cmath>
#include <string>

#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/canvas.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant {

namespace {

constexpr std::string_view kMsgHorizonSet =
    "ГОРизонтальные координаты\nзадаются только ТОПОцентрические";
constexpr std::string_view kMsgHorizonTarget =
    "Преобразование в ГОРизонтальные координаты\nпроизводится только в ТОПОцентрические";
constexpr std::string_view kMsgBadSource = "Введите правильно исходные координаты";
constexpr std::string_view kMsgBadDays = "Введите правильно к-во дней";
constexpr std::string_view kMsgBadData = "Введите правильно данные";

const char* const kPolarCaptions[3] = {"L(RA или A), град", "B(Dec или H), град", "R, тыс. км."};
const char* const kCartCaptions[3] = {"X, тыс.км.", "Y, тыс.км.", "Z, тыс.км."};
const char* const kSrc[3] = {"src1", "src2", "src3"};

// Decimals of the source fields: angles to 1e-9 degree, distances to the metre.
constexpr int kAngleDecimals = 9, kDistDecimals = 6;

// The picture: 9 x 4.2 cm, the Sun in the middle.
constexpr double kPicW = 9, kPicH = 4.2;

// Colours of the bodies 0..10 in the picture (10: the Moon).
const ui::Color kBodyColors[11] = {{230, 160, 0},   ui::qbColor(6), ui::qbColor(5),  ui::kBlue,
                                   ui::qbColor(4),  ui::qbColor(12), ui::qbColor(14), ui::qbColor(3),
                                   ui::qbColor(9),  ui::qbColor(8),  ui::kGray};

// Calendar settings of the screen: UT dates in the Gregorian/Julian calendar from midnight.
struct CivilCalendar {
  State& s;
  int16 cal;
  double hour0;
  explicit CivilCalendar(State& st) : s(st), cal(st.CalType), hour0(st.Hour0) {
    s.CalType = 0;
    s.Hour0 = 0;
  }
  ~CivilCalendar() {
    s.CalType = cal;
    s.Hour0 = hour0;
  }
};

}  // namespace

ConverterScreen::ConverterScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Преобразователь координат") {
  // Two columns: the body and its systems on the left; the date, the observer, the angle
  // converter and the configuration on the right.
  group("c0", "").at(0, 0);
  group("c1", "").at(0, 1);

  declareBodyAndSystems();
  declareDateAndObserver();
  declareAngleConverter();
  declarePicture();
}

void ConverterScreen::declareBodyAndSystems() {
  // ---- the body and the source system ----
  group("gObj", "объект").in("c0").at(0, 0);
  std::vector<std::string> bodies;
  for (int i = 0; i <= 9; ++i) bodies.emplace_back(i == 3 ? "Земля" : std::string(objectName(state(), i)));
  bodies.emplace_back("Луна");
  bodies.emplace_back("с экрана");
  options("object", "", bodies, kTyped).in("gObj").at(0, 0).inColumns(6);

  const std::vector<std::string> origins = {"гелиоцентрическая", "геоцентрическая",
                                            "топоцентрическая"};
  const std::vector<std::string> planes = {"эклиптики", "экватора", "горизонта"};
  const std::vector<std::string> equinoxes = {"J2000", "эпоха даты JD"};
  // the source system (left) and the target system (right)
  group("gSys", "").in("c0").at(1, 0);
  label("srcSysL", "исходная система").in("gSys").at(0, 0).span(1, 2);
  label("dstSysL", "преобразовать в систему").in("gSys").at(0, 2).span(1, 2);
  options("srcOrigin", "система координат", origins, 0).in("gSys").at(1, 0);
  options("srcPlane", "плоскость", planes, 0).in("gSys").at(1, 1);
  options("dstOrigin", "система координат", origins, 1).in("gSys").at(1, 2);
  options("dstPlane", "плоскость", planes, 1).in("gSys").at(1, 3);
  options("srcEq", "к равноденствию эпохи", equinoxes, 0).in("gSys").at(2, 0);
  options("srcForm", "форма", {"полярные", "декартовы"}, 0)
      .in("gSys").at(2, 1).onChange([this] { formChanged(); });
  options("dstEq", "к равноденствию эпохи", equinoxes, 1).in("gSys").at(2, 2);

  group("gSrc", "исходные координаты объекта (с экрана или для планеты расчетные)").in("c0").at(2, 0);
  field("src1", kPolarCaptions[0], "").in("gSrc").at(0, 0).chars(16);
  field("src2", kPolarCaptions[1], "").in("gSrc").at(0, 1).chars(16);
  field("src3", kPolarCaptions[2], "").in("gSrc").at(1, 0).chars(16);

  group("gRes", "преобразованные координаты объекта").in("c0").at(3, 0);
  field("resX", "X, тыс.км.", "").in("gRes").at(0, 0).chars(14).locked();
  field("resY", "Y, тыс.км.", "").in("gRes").at(1, 0).chars(14).locked();
  field("resZ", "Z, тыс.км.", "").in("gRes").at(2, 0).chars(14).locked();
  field("resL", "L(RA или A), град", "").in("gRes").at(0, 1).chars(14).locked();
  field("resB", "B(Dec или H), град", "").in("gRes").at(1, 1).chars(14).locked();
  field("resR", "R, тыс. км.", "").in("gRes").at(2, 1).chars(14).locked();

  group("gCmd", "").in("c0").at(4, 0);
  button("set", "Задать координаты", [this] { setCoordinates(); })
      .in("gCmd").at(0, 0)
      .tip("Рассчитать положение выбранного тела на дату и показать его в исходной системе");
  button("convert", "Преобразовать координаты", [this] { convert(); })
      .in("gCmd").at(0, 1)
      .tip("Перевести исходные координаты в выбранную систему");
  button("close", "Закрыть форму", [this] { close(); })
      .in("gCmd").at(0, 2)
      .tip("Закрыть преобразователь координат");
  button("copy", "Показать преобразованные координаты в окошках исходных данных",
         [this] { copyBack(); })
      .in("gCmd").at(1, 0).span(1, 3)
      .tip("Перенести результат в поля исходных координат вместе с его системой");
}

void ConverterScreen::declareDateAndObserver() {
  // ---- the date ----
  group("gDate", "всемирное время (зимнее, от 0 часов по Гринвичу) и юлианская дата ").in("c1").at(0, 0);
  field("Year", "год", "2000").in("gDate").at(0, 0).chars(7);
  field("Month", "месяц", "1").in("gDate").at(0, 1).chars(4);
  field("Day", "день", "1,5").in("gDate").at(0, 2).chars(10);
  field("JD", "JD =", "").in("gDate").at(1, 0).chars(14);
  button("GJ", "G->J", [this] { dateToJulian(); })
      .in("gDate").at(1, 1)
      .tip("Перевести дату в юлианскую дату и местное время");
  button("JG", "J->G", [this] { julianToDate(); })
      .in("gDate").at(1, 2)
      .tip("Перевести юлианскую дату в дату и местное время");
  field("ETUT", "ET- UT, мин", "").in("gDate").at(2, 0).chars(12).locked();
  button("shift", "Задать координаты для JD = JD + ", [this] { shiftDate(); })
      .in("gDate").at(2, 1)
      .tip("Записать в поле JD дату последнего расчета, сдвинутую на заданное число дней");
  field("Ndays", " дней", "0,25").in("gDate").at(2, 2).chars(6);

  group("gObs", "координаты обсерватории (топоцентра), часовой угол и звездное время").in("c1").at(1, 0);
  field("ObsL", "ObsL, град", "30,3262").in("gObs").at(0, 0).chars(10);
  field("ObsB", "ObsB, град", "59,7719").in("gObs").at(0, 1).chars(10);
  field("zone", " час. пояса", "3").in("gObs").at(0, 2).chars(4);
  field("TAU", "TAU, град", "").in("gObs").at(1, 0).chars(10).locked();
  field("LMST", "LMST, час", "").in("gObs").at(1, 1).chars(10).locked();
  field("GMST", "GMST, час", "").in("gObs").at(1, 2).chars(10).locked();
  field("LTut", "местное время LTut  =", "").in("gObs").at(2, 0).span(1, 2).chars(9).locked();
  field("LT", "LT =", "").in("gObs").at(2, 2).chars(9).locked();
}

void ConverterScreen::declareAngleConverter() {
  // ---- the angle converter ----
  group("gAng", "преобразование углов").in("c1").at(2, 0);
  options("angForm", "", {"радианы", "градусы", "градусы-минуты-секунды", "часы-минуты-секунды"}, 1)
      .in("gAng").at(0, 0).span(1, 3).inColumns(4)
      .onChange([this] { angleFormChosen(); });
  check("angSign", "--").in("gAng").at(0, 3)
      .tip("Знак угла в формах градусы-минуты-секунды и часы-минуты-секунды; градусы и радианы "
           "пишутся со своим знаком");
  field("angRad", "радианы", "").in("gAng").at(1, 0).chars(10);
  field("angDeg", "градусы", "").in("gAng").at(1, 1).chars(10);
  field("angD", "град", "").in("gAng").at(2, 0).chars(6);
  field("angDm", "мин", "").in("gAng").at(2, 1).chars(4);
  field("angDs", "сек", "").in("gAng").at(2, 2).chars(10);
  field("angH", "час", "").in("gAng").at(3, 0).chars(6);
  field("angHm", "мин", "").in("gAng").at(3, 1).chars(4);
  field("angHs", "сек", "").in("gAng").at(3, 2).chars(10);
  group("gAngCmd", "").in("gAng").at(4, 0).span(1, 4);
  button("readAngle", "Считать угол", [this] { readAngle(); })
      .in("gAngCmd").at(0, 0)
      .tip("Прочитать угол в отмеченной форме (со знаком «--», если он отмечен)");
  button("showAngle", "Преобразовать угол", [this] { showAngle(); })
      .in("gAngCmd").at(0, 1)
      .tip("Показать считанный угол во всех четырех формах");
  button("toL", "Задать долготу в град.", [this] { angleToField(0); })
      .in("gAngCmd").at(0, 2)
      .tip("Записать считанный угол в поле долготы исходных координат");
  button("toB", "Задать широту в град.", [this] { angleToField(1); })
      .in("gAngCmd").at(0, 3)
      .tip("Записать считанный угол в поле широты исходных координат");
}

void ConverterScreen::declarePicture() {
  // ---- the configuration ----
  group("gPic", "").in("c1").at(3, 0);
  picture("pic", "", kPicW, kPicH).in("gPic").at(0, 0).span(2, 1);
  label("scaleText", "Масштаб изображения= 60 млн.км/см").in("gPic").at(0, 1);
  scroll("scale", "", 1, 1000, 60).in("gPic").at(1, 1).onChange([this] {
    scaleCaption();
    draw();
  });
}

void ConverterScreen::opened() { angleFormChosen(); }

void ConverterScreen::activated() {
  scaleCaption();
  draw();
}

CoordSystem ConverterScreen::sourceSystem() const {
  const ui::Form& f = form();
  return {static_cast<Origin>(f.option("srcOrigin")), static_cast<Plane>(f.option("srcPlane")),
          static_cast<Equinox>(f.option("srcEq"))};
}

CoordSystem ConverterScreen::targetSystem() const {
  const ui::Form& f = form();
  return {static_cast<Origin>(f.option("dstOrigin")), static_cast<Plane>(f.option("dstPlane")),
          static_cast<Equinox>(f.option("dstEq"))};
}

bool ConverterScreen::readObserver(double& ObsL, double& ObsB, double& zone) {
  ui::Form& f = form();
  const auto l = f.numberIn("ObsL", -360, 360), b = f.numberIn("ObsB", -90, 90),
             z = f.numberIn("zone", -24, 24);
  if (!l || !b || !z) {
    f.message(kMsgBadData, kTitle70);
    return false;
  }
  ObsL = *l;
  ObsB = *b;
  zone = *z;
  return true;
}

void ConverterScreen::showLocalTimes(double Day, int32 Month, int32 Year, double ObsL, double zone) {
  State& s = state();
  ui::Form& f = form();
  if (NormDate(s, Day + ObsL / 15 / 24, Month, Year)) {
    DayToHMS(s, s.Day);
    f.setText("LTut", hmsText(s));
  }
  if (NormDate(s, Day + zone / 24, Month, Year)) {
    DayToHMS(s, s.Day);
    f.setText("LT", hmsText(s));
  }
}

bool ConverterScreen::dateToJulian() {
  State& s = state();
  ui::Form& f = form();
  double ObsL = 0, ObsB = 0, zone = 0;
  if (!readObserver(ObsL, ObsB, zone)) return false;
  const auto date = f.date("Day", "Month", "Year");
  if (!date) {
    f.message(kMsgBadDate, kTitle70);
    return false;
  }
  CivilCalendar civil(s);
  if (!NormDate(s, date->day, date->month, date->year)) {
    f.message(kMsgBadDate, kTitle70);
    return false;
  }
  const int32 Year = s.Year, Month = s.Month;
  const double Day = s.Day;
  s.DateError = 0;
  const double jd = JDfromDate(s, Day, Month, Year);
  if (s.DateError != 0) return false;  // JDfromDate has shown its message
  f.setText("Year", std::to_string(Year));
  f.setText("Month", std::to_string(Month));
  f.setNumber("Day", Day);
  f.setNumber("JD", jd, 8);
  showLocalTimes(Day, Month, Year, ObsL, zone);
  return true;
}

bool ConverterScreen::julianToDate() {
  State& s = state();
  ui::Form& f = form();
  double ObsL = 0, ObsB = 0, zone = 0;
  if (!readObserver(ObsL, ObsB, zone)) return false;
  const auto jd = f.number("JD");
  if (!jd || !std::isfinite(*jd)) {
    f.message(kMsgBadJulianDate, kTitle70);
    return false;
  }
  CivilCalendar civil(s);
  if (!DateFromJD(s, *jd)) return false;  // DateFromJD has shown its message
  const int32 Year = s.Year, Month = s.Month;
  const double Day = s.Day;
  f.setText("Year", std::to_string(Year));
  f.setText("Month", std::to_string(Month));
  f.setNumber("Day", Day);
  showLocalTimes(Day, Month, Year, ObsL, zone);
  return true;
}

bool ConverterScreen::makeSky() {
  ui::Form& f = form();
  if (!dateToJulian()) return false;
  double ObsL = 0, ObsB = 0, zone = 0;
  readObserver(ObsL, ObsB, zone);  // checked by dateToJulian
  const double jd = *f.number("JD");
  ConverterSky sky;
  if (!computeSky(state(), jd, ObsL, ObsB, sky)) {
    f.message(kMsgBadDate, kTitle70);
    return false;
  }
  sky_ = sky;
  haveSky_ = true;
  f.setNumber("ETUT", sky_.ETUT / 60, 6);
  f.setNumber("GMST", sky_.GMST, 6);
  f.setNumber("LMST", sky_.LMST, 6);
  return true;
}

void ConverterScreen::showSource(const Vec3& v) {
  ui::Form& f = form();
  if (f.option("srcForm") == 0) {
    const Polar p = polarOf(state(), v);
    f.setNumber("src1", p.L, kAngleDecimals);
    f.setNumber("src2", p.B, kAngleDecimals);
    f.setNumber("src3", p.R / state().MK, kDistDecimals);
  } else {
    for (int k = 0; k < 3; ++k) f.setNumber(kSrc[k], v[k] / state().MK, kDistDecimals);
  }
  shownForm_ = f.option("srcForm");
}

std::optional<Vec3> ConverterScreen::readSource() {
  ui::Form& f = form();
  // Coordinates within 10^15 thousand km (10^7 AU) and angles within a turn either way: every
  // result of the chain stays finite.
  constexpr double kMaxCoordinate = 1e15;
  const bool polar = shownForm_ == 0;
  const double M = kMaxCoordinate;
  const double lo[3] = {polar ? -360 : -M, polar ? -90 : -M, polar ? 0 : -M};
  const double hi[3] = {polar ? 360 : M, polar ? 90 : M, M};
  double a[3];
  for (int k = 0; k < 3; ++k) {
    const auto x = f.numberIn(kSrc[k], lo[k], hi[k]);
    if (!x) return std::nullopt;
    a[k] = *x;
  }
  const double MK = state().MK;
  if (polar) {
    return vectorOf(state(), {a[0], a[1], a[2] * MK});
  }
  return Vec3{a[0] * MK, a[1] * MK, a[2] * MK};
}

// The form of the source fields changed: the values they hold are shown in the new form.
void ConverterScreen::formChanged() {
  ui::Form& f = form();
  const int now = f.option("srcForm");
  const auto v = readSource();
  const char* const* captions = now == 0 ? kPolarCaptions : kCartCaptions;
  for (int k = 0; k < 3; ++k) f.setCaption(kSrc[k], captions[k]);
  if (v) {
    showSource(*v);
  } else {
    for (const char* id : kSrc) f.setText(id, "");
    shownForm_ = now;
  }
}

void ConverterScreen::setCoordinates() {
  ui::Form& f = form();
  const CoordSystem src = sourceSystem();
  if (!allowed(src)) return f.message(kMsgHorizonSet, kTitle70);
  if (!makeSky()) return;
  const int obj = f.option("object");
  if (obj == kTyped) {  // typed coordinates: the date, the Earth and the observer only
    draw();
    return;
  }
  Vec3 v = sky_.body[obj];
  if (!toSystem(state(), sky_.scene, src, v)) return f.message(kMsgBadSource, kTitle70);
  if (src.plane == Plane::Horizon) f.setNumber("TAU", state().Tau, 6);
  showSource(v);
  typed_.reset();
  draw();
}

void ConverterScreen::shiftDate() {
  ui::Form& f = form();
  const auto n = f.numberIn("Ndays", -1e7, 1e7);
  if (!n) return f.message(kMsgBadDays, kTitle70);
  double jd = 0;
  if (haveSky_) {
    jd = sky_.JDut;
  } else {
    const auto typed = f.number("JD");
    if (!typed) {
      if (!dateToJulian()) return;
      jd = *f.number("JD");
    } else {
      jd = *typed;
    }
  }
  f.setNumber("JD", jd + *n, 8);
}

void ConverterScreen::convert() {
  ui::Form& f = form();
  const CoordSystem src = sourceSystem(), dst = targetSystem();
  if (!allowed(src)) return f.message(kMsgHorizonSet, kTitle70);
  if (!allowed(dst)) return f.message(kMsgHorizonTarget, kTitle70);
  auto v = readSource();
  if (!v) return f.message(kMsgBadSource, kTitle70);
  if (!makeSky()) return;
  Vec3 w = *v;
  if (!fromSystem(state(), sky_.scene, src, w)) return f.message(kMsgBadSource, kTitle70);
  typed_ = w;
  if (!toSystem(state(), sky_.scene, dst, w)) return f.message(kMsgBadSource, kTitle70);
  if (dst.plane == Plane::Horizon || src.plane == Plane::Horizon)
    f.setNumber("TAU", state().Tau, 6);
  result_ = w;
  haveResult_ = true;
  const double MK = state().MK;
  f.setNumber("resX", fix(w[0] / MK));
  f.setNumber("resY", fix(w[1] / MK));
  f.setNumber("resZ", fix(w[2] / MK));
  const Polar p = polarOf(state(), w);
  f.setNumber("resL", p.L, 6);
  f.setNumber("resB", p.B, 6);
  f.setNumber("resR", p.R / MK, 6);
  draw();
}

void ConverterScreen::copyBack() {
  ui::Form& f = form();
  if (!haveResult_) return f.message(kMsgBadSource, kTitle70);
  const CoordSystem dst = targetSystem();
  f.setOption("srcOrigin", static_cast<int>(dst.origin));
  f.setOption("srcPlane", static_cast<int>(dst.plane));
  f.setOption("srcEq", static_cast<int>(dst.equinox));
  f.setOption("object", kTyped);
  showSource(result_);
}

void ConverterScreen::readAngle() {
  ui::Form& f = form();
  const AngleForm af = static_cast<AngleForm>(f.option("angForm"));
  const char* ids[3] = {"angRad", "", ""};
  int n = 1;
  switch (af) {
    case AngleForm::Radians: ids[0] = "angRad"; break;
    case AngleForm::Degrees: ids[0] = "angDeg"; break;
    case AngleForm::DegMinSec: ids[0] = "angD"; ids[1] = "angDm"; ids[2] = "angDs"; n = 3; break;
    case AngleForm::HourMinSec: ids[0] = "angH"; ids[1] = "angHm"; ids[2] = "angHs"; n = 3; break;
  }
  double v[3] = {0, 0, 0};
  for (int k = 0; k < n; ++k) {
    const std::string text = f.text(ids[k]);
    if (n == 3 && k > 0 && text.find_first_not_of(' ') == std::string::npos) continue;  // empty: 0
    const auto x = parseNumber(text);
    if (!x || !std::isfinite(*x)) return f.message(kMsgBadData, kTitle70);
    v[k] = *x;
  }
  angle_ = angleFrom(state(), af, v[0], v[1], v[2], f.checked("angSign"));
}

// The sign box serves the sexagesimal forms, whose parts are written without a sign.
void ConverterScreen::angleFormChosen() {
  const auto af = static_cast<AngleForm>(form().option("angForm"));
  form().setEnabled("angSign", af == AngleForm::DegMinSec || af == AngleForm::HourMinSec);
}

void ConverterScreen::showAngle() {
  ui::Form& f = form();
  const AngleForms a = angleForms(state(), angle_);
  f.setNumber("angRad", a.radians, 6);
  f.setNumber("angDeg", a.degrees, 6);
  f.setNumber("angD", a.deg);
  f.setNumber("angDm", a.degMin);
  f.setNumber("angDs", a.degSec, 6);
  f.setNumber("angH", a.hours);
  f.setNumber("angHm", a.hourMin);
  f.setNumber("angHs", a.hourSec, 6);
  f.setChecked("angSign", a.negative);
}

void ConverterScreen::angleToField(int which) {
  ui::Form& f = form();
  if (f.option("srcForm") != 0) {  // the angle goes into the polar fields
    f.setOption("srcForm", 0);
    formChanged();
  }
  f.setNumber(which == 0 ? "src1" : "src2", angle_, kAngleDecimals);
}

void ConverterScreen::scaleCaption() {
  form().setText("scaleText",
                 "Масштаб изображения= " + std::to_string(form().position("scale")) + " млн.км/см");
}

// The configuration on the ecliptic of the date, seen from its north pole: the Sun, the planets,
// the Earth and the Moon, the observed body and the line from the Earth to it.
void ConverterScreen::draw() {
  ui::Canvas& pic = form().canvas("pic");
  pic.clear();
  const double mx = form().position("scale") * 1e9;  // m per cm
  pic.setOrigin(kPicW / 2, kPicH / 2, mx);
  const double halfW = kPicW / 2 * mx, halfH = kPicH / 2 * mx;
  pic.line(-halfW, 0, halfW, 0, ui::kLightGray);
  pic.line(0, -halfH, 0, halfH, ui::kLightGray);
  pic.circle(0, 0, 0.15 * mx, ui::kYellow, true);
  pic.text(0.2 * mx, -0.1 * mx, "Солнце");
  if (!haveSky_) return;
  const auto inside = [halfW, halfH](const Vec3& v) {
    return std::fabs(v[0]) < halfW && std::fabs(v[1]) < halfH;
  };
  for (int i = 1; i <= 10; ++i) {
    const Vec3& v = sky_.body[i];
    if (!inside(v)) continue;
    const ui::Color c = kBodyColors[i];
    pic.circle(v[0], v[1], 0.08 * mx, c, true);
    if (i != kConvMoon) pic.text(v[0] + 0.15 * mx, v[1] - 0.05 * mx, i == 3 ? "Земля" : std::string(objectName(state(), i)), c);
  }
  const int obj = form().option("object");
  const Vec3* target = nullptr;
  if (obj == kTyped) {
    if (typed_) target = &*typed_;
  } else if (obj != 3) {
    target = &sky_.body[obj];
  }
  if (target) {
    const Vec3& e = sky_.body[3];
    pic.line(e[0], e[1], (*target)[0], (*target)[1], ui::kRed);
    if (inside(*target)) pic.circle((*target)[0], (*target)[1], 0.12 * mx, ui::kRed);
  }
}

}  // namespace orvant
