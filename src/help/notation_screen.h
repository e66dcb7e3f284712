// Screen 5, "Система координат и обозначения" ("Обозначения*" of screen 1): a drawn picture of the
// notation of the orbit parameters, with short captions.
//
// The picture shows the plane of the ecliptic and, inclined to it, the orbit of a planet with the
// Sun in its focus, seen obliquely from above: the direction X to the vernal equinox, the line of
// the nodes with the ascending node, the inclination Betta, the longitude of the node AlfaU, the
// longitude of the perihelion AlfaP (AlfaU plus the angle from the node to the perihelion in the
// orbit plane), the perihelion and the aphelion, the semi-major axis R0sr, the distance Eks*R0sr
// of the focus from the centre, and the planet at its mean longitude AlfaL.
#pragma once

#include "ui/screen.h"

namespace orvant::help {

inline constexpr int kNotationScreen = 5;

class NotationScreen : public ui::Screen {
 public:
  NotationScreen(State& s, ui::Workbench& wb);
  void opened() override;

 private:
  void draw();
};

}  // namespace orvant::help
