#include "help/notation_screen.h"

#include <array>
#include <cmath>
#include <string>

#include "ui/canvas.h"
#include "ui/form.h"

namespace orvant::help {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kWidthCm = 19, kHeightCm = 14;

// The drawn orbit (exaggerated so that every angle can be seen): semi-major axis 5 units,
// eccentricity 0.45, inclination 28 degrees, node 35 degrees, perihelion 35 + 70 degrees.
constexpr double kA = 5.0, kE = 0.45, kIncl = 28 * kPi / 180, kNode = 35 * kPi / 180,
                 kOmega = 70 * kPi / 180;

using P3 = std::array<double, 3>;

// Oblique view: the ecliptic turned by -15 degrees and seen from 28 degrees above it; units are
// centimetres about the centre of the picture.
struct View {
  double x, y;
};
View project(const P3& p) {
  const double phi = -15 * kPi / 180, el = 28 * kPi / 180;
  const double x = p[0] * std::cos(phi) - p[1] * std::sin(phi);
  const double depth = p[0] * std::sin(phi) + p[1] * std::cos(phi);
  return {x, depth * std::sin(el) + p[2] * std::cos(el)};
}

// A point of the orbit at true anomaly v, ecliptic coordinates (the Sun in the origin).
P3 orbitPoint(double v) {
  const double r = kA * (1 - kE * kE) / (1 + kE * std::cos(v));
  const double u = v + kOmega;  // argument of latitude
  return {r * (std::cos(kNode) * std::cos(u) - std::sin(kNode) * std::sin(u) * std::cos(kIncl)),
          r * (std::sin(kNode) * std::cos(u) + std::cos(kNode) * std::sin(u) * std::cos(kIncl)),
          r * std::sin(u) * std::sin(kIncl)};
}

// A point of the orbit plane at angle u from the ascending node and distance r.
P3 planePoint(double u, double r) {
  return {r * (std::cos(kNode) * std::cos(u) - std::sin(kNode) * std::sin(u) * std::cos(kIncl)),
          r * (std::sin(kNode) * std::cos(u) + std::cos(kNode) * std::sin(u) * std::cos(kIncl)),
          r * std::sin(u) * std::sin(kIncl)};
}

P3 eclipticPoint(double lon, double r) { return {r * std::cos(lon), r * std::sin(lon), 0}; }

}  // namespace

NotationScreen::NotationScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Система координат и обозначения") {
  picture("pic", "", kWidthCm, kHeightCm).at(0, 0).span(2, 1);
  textArea("captions", "Обозначения",
           "Плоскость эклиптики эпохи J2000 (серая), ось X — на точку весеннего равноденствия.\n"
           "Орбита (синяя над эклиптикой, голубая под ней), Солнце — в фокусе эллипса.\n"
           "AlfaU — долгота восходящего узла: угол в эклиптике от оси X до узла.\n"
           "Betta — наклон: угол между плоскостями орбиты и эклиптики у линии узлов.\n"
           "AlfaP — долгота перигелия: AlfaU плюс угол от узла до перигелия в плоскости орбиты.\n"
           "Перигелий и афелий — ближайшая и самая далекая от Солнца точки; линия апсид.\n"
           "R0sr — большая полуось (от центра эллипса до перигелия).\n"
           "Eks — эксцентриситет: расстояние от центра эллипса до фокуса равно Eks*R0sr.\n"
           "AlfaL — средняя долгота: AlfaP плюс средняя аномалия (планета на рисунке).\n"
           "W0sr — средняя угловая скорость, 2*pi / период обращения.\n"
           "X, Y, Z — гелиоцентрические координаты; Z > 0 к северу от эклиптики.")
      .at(0, 1)
      .chars(60)
      .locked();
  button("close", "Закрыть форму", [this] { close(); })
      .at(1, 1)
      .tip("Закрыть рисунок обозначений параметров орбит");
}

void NotationScreen::opened() { draw(); }

void NotationScreen::draw() {
  ui::Canvas& pic = form().canvas("pic");
  pic.clear();
  pic.setOrigin(kWidthCm / 2 + 0.5, kHeightCm / 2 + 0.3, 1.0);
  const auto line3 = [&pic](const P3& a, const P3& b, ui::Color c) {
    const View p = project(a), q = project(b);
    pic.line(p.x, p.y, q.x, q.y, c);
  };
  const auto text3 = [&pic](const P3& a, const std::string& s, ui::Color c, double dx = 0.15,
                            double dy = 0.45) {
    const View p = project(a);
    pic.text(p.x + dx, p.y + dy, s, c);
  };
  const ui::Color eclipticColour{150, 150, 150}, orbitAbove{0, 0, 220}, orbitBelow{120, 170, 255},
      angleColour{200, 0, 0}, apsisColour{0, 140, 0};

  // The plane of the ecliptic: a circle of radius 8 and its axes.
  constexpr int kSteps = 180;
  for (int k = 0; k < kSteps; ++k) {
    const double a = 2 * kPi * k / kSteps, b = 2 * kPi * (k + 1) / kSteps;
    line3(eclipticPoint(a, 8), eclipticPoint(b, 8), eclipticColour);
  }
  line3({-8, 0, 0}, {8.6, 0, 0}, eclipticColour);
  line3({0, -8, 0}, {0, 8.6, 0}, eclipticColour);
  line3({0, 0, 0}, {0, 0, 4.5}, eclipticColour);
  text3({8.6, 0, 0}, "X (точка весны)", ui::kBlack, -2.7, 0.55);
  text3({0, 8.6, 0}, "Y", ui::kBlack, 0.1, 0.3);
  text3({0, 0, 4.5}, "Z", ui::kBlack, 0.1, 0.3);
  text3(eclipticPoint(-2.4, 8), "плоскость эклиптики", eclipticColour, 0.1, -0.1);

  // The orbit: above the ecliptic in blue, below in light blue.
  for (int k = 0; k < 360; ++k) {
    const double a = 2 * kPi * k / 360, b = 2 * kPi * (k + 1) / 360;
    const P3 p = orbitPoint(a), q = orbitPoint(b);
    line3(p, q, p[2] >= 0 ? orbitAbove : orbitBelow);
  }

  // The line of the nodes, the ascending and the descending node.
  const P3 ascending = orbitPoint(-kOmega), descending = orbitPoint(kPi - kOmega);
  line3(ascending, descending, ui::kGray);
  pic.setPen(3);
  line3(ascending, ascending, ui::kBlack);
  pic.setPen(1);
  text3(ascending, "восходящий узел", ui::kBlack);
  text3(descending, "нисходящий узел", ui::kGray, -2.8, 0.45);

  // AlfaU: the arc in the ecliptic from X to the node.
  for (int k = 0; k < 30; ++k)
    line3(eclipticPoint(kNode * k / 30, 1.6), eclipticPoint(kNode * (k + 1) / 30, 1.6), angleColour);
  text3(eclipticPoint(kNode / 2, 1.7), "AlfaU", angleColour, 0.05, 0.35);

  // Betta: the angle between the planes at the node (an arc across both planes).
  const double rn = std::hypot(ascending[0], ascending[1]);
  const double nodeLon = std::atan2(ascending[1], ascending[0]);
  for (int k = 0; k < 20; ++k) {
    const double t0 = kIncl * k / 20, t1 = kIncl * (k + 1) / 20;
    // A small arc about the node, in the plane perpendicular to the line of the nodes.
    const auto arc = [&](double t) {
      const double d = 1.1;
      const P3 along = {-std::sin(nodeLon) * d * std::cos(t), std::cos(nodeLon) * d * std::cos(t), d * std::sin(t)};
      return P3{ascending[0] + along[0], ascending[1] + along[1], ascending[2] + along[2]};
    };
    line3(arc(t0), arc(t1), angleColour);
  }
  line3(ascending, {ascending[0] - std::sin(nodeLon) * 1.6, ascending[1] + std::cos(nodeLon) * 1.6, 0},
        eclipticColour);
  text3({ascending[0] - std::sin(nodeLon) * 1.2, ascending[1] + std::cos(nodeLon) * 1.2, 0.45}, "Betta",
        angleColour, 0.35, -0.05);
  (void)rn;

  // The perihelion, the aphelion and the line of the apsides; the centre of the ellipse.
  const P3 peri = orbitPoint(0), aph = orbitPoint(kPi);
  const P3 centre = {(peri[0] + aph[0]) / 2, (peri[1] + aph[1]) / 2, (peri[2] + aph[2]) / 2};
  line3(peri, aph, apsisColour);
  pic.setPen(4);
  line3(peri, peri, apsisColour);
  line3(aph, aph, apsisColour);
  pic.setPen(1);
  text3(peri, "перигелий", apsisColour);
  text3(aph, "афелий", apsisColour, -1.3, 0.45);
  const View c = project(centre);
  pic.circle(c.x, c.y, 0.06, ui::kBlack, true);
  text3(centre, "центр эллипса", ui::kBlack, -1.2, -0.15);

  // R0sr from the centre to the perihelion, Eks*R0sr from the centre to the focus (below the line).
  const View p = project(peri), s0 = project({0, 0, 0});
  pic.text(c.x + 0.75 * (p.x - c.x) - 1.0, c.y + 0.75 * (p.y - c.y) + 0.2, "R0sr", apsisColour);
  pic.text((c.x + s0.x) / 2 - 0.5, (c.y + s0.y) / 2 - 0.15, "Eks*R0sr", apsisColour);

  // AlfaP: the arc from the node to the perihelion in the orbit plane, after AlfaU.
  for (int k = 0; k < 30; ++k)
    line3(planePoint(kOmega * k / 30, 2.2), planePoint(kOmega * (k + 1) / 30, 2.2), angleColour);
  text3(planePoint(kOmega / 2, 2.3), "AlfaP = AlfaU + угол до перигелия", angleColour, -0.6, 1.0);

  // The planet at a mean longitude AlfaL (mean anomaly 125 degrees: true anomaly by Kepler).
  double E = 125 * kPi / 180;
  for (int it = 0; it < 50; ++it) E = 125 * kPi / 180 + kE * std::sin(E);
  const double v = 2 * std::atan(std::sqrt((1 + kE) / (1 - kE)) * std::tan(E / 2));
  const P3 planet = orbitPoint(v);
  const View pl = project(planet);
  line3({0, 0, 0}, planet, ui::kGray);
  pic.circle(pl.x, pl.y, 0.15, ui::qbColor(4), true);
  text3(planet, "планета: AlfaL = AlfaP + средняя аномалия", ui::qbColor(4), 0.2, 0.2);

  // The Sun in the focus.
  pic.circle(s0.x, s0.y, 0.3, ui::Color{255, 200, 0}, true);
  pic.circle(s0.x, s0.y, 0.3, ui::Color{200, 120, 0});
  pic.text(s0.x + 0.35, s0.y - 0.05, "Солнце (фокус)", ui::kBlack);

  pic.text(-kWidthCm / 2, kHeightCm / 2 - 0.4, "Параметры орбиты объекта: AlfaL, R0sr, W0sr, Eks, Betta, AlfaP, AlfaU");
}

}  // namespace orvant::help
