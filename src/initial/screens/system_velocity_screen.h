// Screen 4, "Скорости Солнечной системы": the absolute velocity of the whole solar system.
//
// The system velocity VXsys, VYsys, VZsys (km/s) is added to the velocities of all bodies by every
// run of the model. To help choose it the screen decomposes up to five known motions, each given
// by a speed V (km/s) and two angles Alfa, Betta (degrees), into ecliptic components
//   VX = s V cos(Betta) cos(Alfa),  VY = s V cos(Betta) sin(Alfa),  VZ = s V sin(Betta)
// (s = -1 for a motion given in the opposite sense), sums the marked ones and draws them in two
// diagrams, XY above and XZ below, beside the Sun's motion relative to the background radiation.
// The motions and their defaults:
//   1 the Sun relative to the local group of stars        19.4 km/s, 270°,  53°
//   2 that group relative to the centre of the Galaxy     225,       347,   60
//   3 the centre of the Galaxy relative to the local group of galaxies  105, 28, 33
//   4 the local group of galaxies relative to the background radiation  635, 172, -31
//   5 the centre of the Galaxy relative to the background radiation     552, 169, -30
//   reference: the Sun relative to the background radiation            370, 171, -11.4
#pragma once

#include "ui/canvas.h"
#include "ui/screen.h"

namespace orvant {

inline constexpr int kSystemVelocityScreen = 4;

class SystemVelocityScreen : public ui::Screen {
 public:
  SystemVelocityScreen(State& s, ui::Workbench& wb);

  void activated() override;
  bool keepsModel() const override { return false; }  // this screen sets the model

  // Ecliptic components of a motion of speed v (km/s) toward the longitude alfa and latitude betta
  // (degrees, turned into radians with the program's kUgol), reversed when `reversed`.
  struct Components {
    double vx = 0, vy = 0, vz = 0;
  };
  static Components decompose(const State& s, double v, double alfa, double betta, bool reversed);

 private:
  void decomposeMarked();
  void setSystemVelocity();
  void drawGrid();
  void drawMotion(const Components& c, double mv, const ui::Color& color);
};

}  // namespace orvant
