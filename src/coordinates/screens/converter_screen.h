// Screen 12, "Преобразователь координат": a standalone calculator of coordinates.
//
// It takes the coordinates of a body, typed ("с экрана") or computed for the Sun, a planet, the
// Earth or the Moon at a UT date by the J2000 theory (converter_screen_chain.h), and converts them
// between the heliocentric, geocentric and topocentric origins, the ecliptic, equator and horizon
// planes, polar and Cartesian form and the equinoxes of J2000 and of the date (converter.h). It also
// converts dates to Julian dates with the observer's local mean time and the civil time of a time
// zone, and single angles between radians, degrees, degrees-minutes-seconds and
// hours-minutes-seconds. Messages have the title "Orvant7.0".
//
// The screen keeps its own dates: it does not change JD, JDE or the orbit parameters of the other
// screens (the theories run on a copy of the State).
#pragma once

#include <optional>

#include "coordinates/converter.h"
#include "coordinates/converter_screen_chain.h"
#include "ui/screen.h"

namespace orvant {

inline constexpr int kConverterScreen = 12;

class ConverterScreen : public ui::Screen {
 public:
  ConverterScreen(State& s, ui::Workbench& wb);
  void opened() override;
  void activated() override;

  // Entries of the object options: 0..9 the Sun and the planets (3 the Earth), 10 the Moon,
  // 11 "с экрана".
  static constexpr int kTyped = 11;

  // Commands (public for the tests and the command line).
  bool dateToJulian();   // "G->J"
  bool julianToDate();   // "J->G"
  void setCoordinates();   // "Задать координаты"
  void shiftDate();        // "Задать координаты для JD = JD + "
  void convert();          // "Преобразовать координаты"
  void copyBack();         // "Показать преобразованные координаты в окошках исходных данных"
  void readAngle();        // "Считать угол"
  void showAngle();              // "Преобразовать угол"
  void angleFormChosen();        // the sign box serves the sexagesimal forms only
  void angleToField(int which);  // 0: longitude, 1: latitude

  const ConverterSky& sky() const { return sky_; }
  const Vec3& result() const { return result_; }  // the last converted vector, m
  double angle() const { return angle_; }         // the kept angle, degrees

 private:
  // The controls, declared by the constructor group by group.
  void declareBodyAndSystems();
  void declareDateAndObserver();
  void declareAngleConverter();
  void declarePicture();
  CoordSystem sourceSystem() const;
  CoordSystem targetSystem() const;
  bool readObserver(double& ObsL, double& ObsB, double& zone);
  bool makeSky();  // G->J, then the sky at JDut
  void showSource(const Vec3& v);
  std::optional<Vec3> readSource();
  void formChanged();
  void showLocalTimes(double Day, int32 Month, int32 Year, double ObsL, double zone);
  void draw();
  void scaleCaption();

  ConverterSky sky_;
  bool haveSky_ = false;
  Vec3 result_{};
  bool haveResult_ = false;
  std::optional<Vec3> typed_;   // the typed body, internal frame (for the picture)
  int shownForm_ = 0;           // the form the source fields hold (0 polar, 1 Cartesian)
  double angle_ = 0;
};

}  // namespace orvant
