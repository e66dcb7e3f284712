// Screen 20, "Рассчет начальных данных для Луны" (opened by "Bary - Geo*" of screen 1): the
// variants of turning the Moon's orbit parameters into the initial state of the Moon and the
// Earth, each checked by integrating the Earth-Moon pair alone.
//
// "Задать координаты и скорости Луны и Земли" takes the Moon's parameters from one of three
// theories at the shared date (New0 and the J2000 theory at the ephemeris time JDE, the
// kinematic theory at universal time), optionally replaces the inclination, eccentricity and
// semi-major axis, converts them to the Moon's geocentric state (two-body formulas with the Earth,
// or the Earth and the Moon, as the central mass), then places the Earth and the Moon by the
// correction formulas that are ticked. The focus option says where the focus of the Moon's
// ellipse lies: in the Earth's centre, or in the Earth-Moon barycentre. The Earth's state goes to
// slot 0 of the initial state, the Moon's to slot 11.
//
// "Проверить параметры орбиты Луны" runs the two-body check (orbit_check.h) on the pair and shows
// per revolution the Moon's period, semi-major axis, eccentricity, perigee, node and inclination
// with their changes, and at every display the conservation of energy, angular momentum and
// momentum of the pair.
#pragma once

#include <string>

#include "initial/orbit_check.h"
#include "ui/screen.h"

namespace orvant {

inline constexpr int kMoonDataScreen = 20;

class MoonDataScreen : public ui::Screen {
 public:
  MoonDataScreen(State& s, ui::Workbench& wb);

  void opened() override;
  bool keepsModel() const override { return false; }  // this screen sets the model
  void activated() override;

  // The theories of the option "theory", in order.
  enum Theory { New0 = 0, JPL0 = 1, Kin0p = 2 };

 private:
  void setMoonAndEarth();
  void placeEarthAndMoon(bool bary, double& GeoL, double& GeoB, double& GeoR);
  void showMoon(double GeoL, double GeoB, double GeoR);
  void checkStart();
  void checkContinue();
  void runCheck();
  void gregorianToJulian();
  void julianToGregorian();
  void focusChanged();
  void clearPicture();
  void drawSketch(bool bary);
  void drawBodies();
  void showCheckPerihelion();
  void showCheckDisplay();
  double scale() const;  // metres per centimetre of the picture

  OrbitCheck check_;
  bool checkReady_ = false;
  bool checkRunning_ = false;
  double M0sys_ = 0, mVX0sys_ = 0;  // angular momentum and momentum of the pair at the start
  double VXsys_ = 0;                // "VXsys, м/с" of the last setting, m/s
};

}  // namespace orvant
