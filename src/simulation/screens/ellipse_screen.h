// Screen 14, "Эллипс и эксцентр (сравнение)": a Keplerian ellipse against the eccentric circle of
// the ancient astronomers, simple or with an equant.
//
// Both motions are taken from the same uniformly growing mean anomaly M = W t, counted from the
// apsis of the greatest distance (apogee/aphelion, the +X direction of the picture), by series to
// the second order in the eccentricity (a = the mean radius):
//   ellipse (e1):          L1 = M - 2 e1 sin M + 1.25 e1^2 sin 2M,
//                          R1 = a (1 + e1^2/2 + e1 cos M - (e1^2/2) cos 2M);
//   simple eccentric (e2): L2 = M - e2 sin M + (e2^2/2) sin 2M,
//                          R2 = a (1 + e2^2/4 + e2 cos M - (e2^2/4) cos 2M);
//   eccentric with equant (centre e2 a/2, equant e2 a):
//                          L2 = M - e2 sin M + (e2^2/4) sin 2M,
//                          R2 = a (1 + 3e2^2/16 + (e2/2) cos M - (3e2^2/16) cos 2M).
// With e2 = 2 e1 the first-order terms of the longitudes agree; with the equant those of the
// distances too. The screen steps t, shows the longitudes, distances and their differences, draws
// the orbits and plots dL and dR against t. It writes no files. Messages: "Orvant6.0".
// The angular velocity is typed in rad/year and shown in rad/day beside it (not over it, so that
// a second start does not divide it again).
#pragma once

#include "ui/screen.h"

namespace orvant::simulation {

inline constexpr int kEllipseScreen = 14;

struct EllipsePoint {
  double L1 = 0, R1 = 0;  // ellipse: longitude (rad), distance (unit of a)
  double L2 = 0, R2 = 0;  // eccentric
};

// The two motions at mean anomaly M (rad) for the mean radius a.
EllipsePoint ellipseAndEccentric(double M, double e1, double e2, double a, bool equant);

class EllipseScreen : public ui::Screen {
 public:
  EllipseScreen(State& s, ui::Workbench& wb);
  void activated() override;

  void start();      // "Начать расчет"
  void stop();       // "Остановить"
  void resume();     // "Продолжить"
  void oneStep();    // "Сделать 1 шаг"
  void clearPictures();  // "Очистить рисунки"

  double t() const { return t_; }
  const EllipsePoint& last() const { return last_; }

 private:
  struct Inputs {
    double a = 0, e1 = 0, e2 = 0, W = 0, Mx = 0, MT = 0, MdAlfa = 0, MdR = 0, step = 0;
  };
  bool readInputs(Inputs& in);
  void rereadScales();
  void loop();
  bool step();  // one step: false on a failure (shown)
  bool drawOrbits(const EllipsePoint& p, double M);

  Inputs in_;
  bool equant_ = false;
  bool started_ = false;
  bool running_ = false;  // the loop is running (a command pressed meanwhile does not nest one)
  double t_ = 0;
  EllipsePoint last_;
};

}  // namespace orvant::simulation
