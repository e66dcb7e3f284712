// The step chain of the eclipse screen: what an observer on the Earth sees of the Sun, the Moon
// or a planet, and of the Earth's shadow, at one instant of universal time.
//
// One step (eclipseStep) takes a UT Julian date and
//   1. turns it into ephemeris time by the two corrections of screen 17 (ET1 - UT for the
//      positions, ET2 - UT for the Earth's rotation), or by the minutes typed "с экрана";
//   2. places the Sun, the Earth, the Moon and object k on the ecliptic of J2000 from a theory
//      (New0, JPL0, JPL2, Kin0+) or from an ancient table through the spreadsheet driver;
//   3. carries them through the stages shown in the screen's rows, in this order:
//      "ГЕО ЭКЛ J2000" (geometric, with the light time of each body), "+Аберр. источн." (light-
//      time correction of object k, three iterations), "+Аберр. приемн." (displacement by the
//      light time times the Earth's velocity), "J2000 -> JD" (IAU 1976 precession to the date),
//      "ГЕО ЭКВ" (equator of the date), "+Нутация" (theories only), the observer (mean sidereal
//      time of ET2), the Earth's shadow and its cone, "ТОПО ЭКВ", the angular radii, "ТОПО ГОР"
//      (hour angle, azimuth from the south, altitude with refraction), and the eight points of
//      the outline of the Sun's or the Moon's disk.
// The same chain serves screen 16 step by step and the eclipse finder (`orvant-cli eclipse`).
//
// Slots of the shared arrays (X, Y, Z, Lk, Bk): 0 the Sun, 3 the Earth, 11 the Moon, k the object,
// 12 the observer relative to the Earth's centre, 13 the centre of the Earth's shadow, 14 the
// Earth relative to the Earth-Moon barycentre, 15 the origin, 16..21 the Sun's stages kept for
// the equinox log, 22..24 horizontal work slots, 30..37 the outline points.
//
// Numbers: metres, seconds, degrees (angles in the results), Julian dates.
#pragma once

#include <array>
#include <string_view>

#include "model/state.h"

namespace orvant {

// ---- messages (title "Orvant7.0") ----
inline constexpr std::string_view kMsgEclNoTable = "Выберете имитатор";
inline constexpr std::string_view kMsgEclNoTheory = "Выберете теорию";
inline constexpr std::string_view kMsgEclEarth = "Землю не наблюдали";
inline constexpr std::string_view kMsgEclBadInput =
    "Введите правильно данные\n(целая часть числа отделяется запятой)";
inline constexpr std::string_view kMsgEclSolve = "Ошибка решения уравнений";

// The theories of "современные теории", in the order of the group (entry 0: none).
enum class EclTheory { None = 0, New0 = 1, JPL0 = 2, JPL2 = 3, Kin0p = 4 };
inline constexpr std::array<std::string_view, 5> kEclTheoryNames = {"", "New0", "JPL0", "JPL2",
                                                                     "Kin0+"};

// The tables of "древние таблицы", entries 1..8 in the order of the group, and the entry of each
// in the observation sources' table catalogue (observations/sources.h, kTabCatalogue).
inline constexpr std::array<std::string_view, 9> kEclTableCaptions = {
    "",          "Wing",         "Tycho",        "Streete*", "Rudolphine*",
    "Almagest*", "AlKhwarizmi*", "Alfonso*", "AlBattani"};
inline constexpr std::array<int, 9> kEclTableCatalogue = {0, 10, 9, 8, 7, 4, 3, 2, 1};

// The rows of the stages, in the order they are computed and shown.
inline constexpr std::array<std::string_view, 8> kEclStageNames = {
    "ГЕО ЭКЛ J2000", "+Аберр. источн.", "+Аберр. приемн.", "J2000 -> JD",
    "ГЕО ЭКВ",       "+Нутация",        "ТОПО ЭКВ",        "ТОПО ГОР"};
enum EclStage { kStGeoJ2000, kStAberSrc, kStAberRcv, kStPrec, kStEqu, kStNut, kStTopoEqu, kStHor };

// Radius of the spherical Earth on which the screen places its observer, m.
inline constexpr double kEclEarthRadius = 6378140.0;
// WGS84 ellipsoid (NIMA TR8350.2, 2000): equatorial radius, m, and flattening.
inline constexpr double kWgs84A = 6378137.0;
inline constexpr double kWgs84F = 1 / 298.257223563;

// The settings of a step: the screen's options and fields, or the finder's arguments.
struct EclipseSettings {
  int k = 11;                       // object observed with the Sun: 1..9 but 3, or 11 the Moon
  bool tables = false;              // "использовать данные": false "теорий", true "таблиц"
  EclTheory theory = EclTheory::None;
  int table = 0;                    // 1..8 of kEclTableCaptions, 0 none
  bool precTab = false;             // "исправить Prec* от года создания табл."
  bool refraction = false;          // "+Рефракция"
  bool test = false;                // "++Test": no refraction whatever "+Рефракция" says
  bool dLl = false, dLp = false;    // periodic corrections of the Moon, of the planets
  bool et1Screen = false, et2Screen = false;  // "с экрана": take the minutes below
  double et1Min = 0, et2Min = 0;    // ET1 - UT, ET2 - UT typed on the screen, minutes
  double ObsL = 48.153, ObsB = 45.874;  // observer's east longitude and latitude, degrees
  bool outlineMoon = false;         // "рассчитать затмения": false "Солнца", true "Луны"
  // Observer model: false the screen's sphere of radius kEclEarthRadius with ObsB as its
  // (geocentric) latitude; true the WGS84 ellipsoid with ObsB geodetic and the height below.
  bool ellipsoid = false;
  double heightM = 0;
  // Tables: the calendar (0 Gregorian, 1 Julian, 2 Egyptian) and day start (0 or 12 h) of the
  // table's local date, and the east longitude of the table's meridian, degrees.
  int tabCalType = 1;
  double tabHour0 = 12;
  double tabMeridian = 0;
};

// Outcome of a step.
enum class EclStatus {
  Ok,
  NoDate,     // JPL2: the date lies outside DE405 (the reader has shown its message, kStop = 1)
  NoFile,     // JPL2: the block file is missing or unreadable (message shown here)
  Numeric,    // a non-finite value in the chain
  Table,      // the spreadsheet driver failed (its message shown, kStop = 1)
};

// Everything a step computed. Angles in degrees, distances in metres, dates in Julian days.
struct EclipseStep {
  double JDut = 0, JDE = 0, JDet2 = 0;
  double ET1 = 0, ET2 = 0;           // ET1 - UT and ET2 - UT used, seconds
  // Rows of the stages: [stage][0 the Sun, 1 object k]. Ecliptic rows give longitude and
  // latitude, equatorial rows right ascension and declination, the last row azimuth (from the
  // south, -180..180) and altitude.
  std::array<std::array<double, 2>, 8> L{}, B{};
  double precJ2000 = 0;   // general precession in longitude from J2000 to the date
  double precEpoch = 0;   // the same from the epoch JD 1579341
  double GMST = 0, LMST = 0;  // hours, 0..24
  double sunHourAngle = 0;    // degrees, 0..360
  double sunEclDate = 0;      // the Sun's geocentric ecliptic longitude of the date ("J2000 -> JD")
  // Topocentric equatorial (row "ТОПО ЭКВ") and horizontal values: [0 the Sun, 1 object k,
  // 2 the shadow's centre].
  std::array<double, 3> ra{}, dec{}, dist{}, rho{}, az{}, alt{};
  std::array<double, 8> outRa{}, outDec{}, outAz{}, outAlt{};  // outline points
  double shadowDiam = 0;      // Dpl(13), the shadow's diameter at the Moon's distance, m
  double sigma = 0;           // half-angle of the shadow cone, degrees
  double moonDist = 0;        // Earth-Moon distance, m
  double sunDist = 0;         // Earth-Sun distance, m
  // Heliocentric ecliptic J2000 positions before the stages, for the drawings: the Earth, the
  // Moon, object k (m).
  std::array<double, 3> earth{}, moon{}, object{};
};

// The message the settings earn at "Начать", or empty when they may start:
// "Выберете имитатор", "Выберете теорию", "Землю не наблюдали", or the bad-input message for an
// object other than 1..9, 11 or a non-finite field.
std::string_view eclipseSettingsError(const EclipseSettings& set);

// Name of the source as the log headers give it (the theory or the table caption).
std::string_view eclipseSourceName(const EclipseSettings& set);

// Prepares the source for a run starting at UT date JDut: the mass set and constants of the
// theory family; for JPL2 closes an open block and opens the one for JDut. For the tables the
// workbook is opened by the caller (TabOpen). NoDate / NoFile as for eclipseStep.
EclStatus eclipseBegin(State& s, const EclipseSettings& set, double JDut);
// The mass set, gravitational constant and astronomical unit of the source's theory, which
// eclipseBegin applies; a screen applies them again before steps that continue a run.
void eclipseUseMasses(State& s, const EclipseSettings& set);

// Reads / Writes (State) of eclipseBegin, eclipseStep and eclipseInverseSun (the theories and the
// DE405 reader they call document their own):
//   Reads:  JD2000, Vsv, m, Rast, the DE405 reader's JPLisOpen, JPLnr, JPLyear, JDrec0, JDrec1;
//           the ET-UT settings (eclipseTimes); report.
//   Writes: JDUT, ETUT, JDE, JDet2, JD, JDjpl; kodMoon, kodBary (restored), gamma and the mass set;
//           X, Y, Z, VX, VY, VZ of the bodies and of the work slots (12 the observer, 13 the
//           shadow, 15 the geocentric origin, 16..18 kept for the logs, 19..24, 30..37 the
//           outline); Lk, Bk; Dolg, Shir, Rast and the pair tables (astro::sph); Pmat, I; Tau, Agor,
//           Hgor; ObsL, ObsB; Rij[3][11] and Rij[12][*]; Dpl[13]; Lae; kStop.
// One step at UT date JDut; fills `out` and the shared state (JDUT, ETUT, JDE, JDet2, JD = JDjpl
// = JDE, the slots above, Lk/Bk of the stages, Rij[3][11], Dpl[13]). Messages of a failure go to
// State::report, except Numeric, which the caller reports ("Ошибка решения уравнений").
EclStatus eclipseStep(State& s, const EclipseSettings& set, double JDut, EclipseStep& out);

// For a loop that knows its UT dates ahead: the table evaluations of the steps at `JDuts` are
// made in one request (eclipseTablePrefetch). Nothing unless the source is a table.
void eclipsePrefetch(State& s, const EclipseSettings& set, const std::vector<double>& JDuts);

// The time chain alone (the first stage of a step): ET1 - UT and ET2 - UT in seconds for JDut.
void eclipseTimes(const State& s, const EclipseSettings& set, double JDut, double& et1,
                  double& et2);

// Angular distance between two directions given by right ascension and declination, degrees
// (the haversine form, exact near 0).
double angularSeparation(double ra1, double dec1, double ra2, double dec2);

// The inverse chain of the equinox log: the Sun's topocentric horizontal coordinates of the last
// step turned back into topocentric and geocentric equatorial and geocentric ecliptic ones.
struct EclipseInverse {
  double eclL = 0;              // geocentric ecliptic longitude (latitude taken as 0)
  double geoRa = 0, geoDec = 0; // geocentric equatorial with nutation
  double topoRa = 0, topoDec = 0;
  double az = 0, alt = 0;       // horizontal again, from the inverted topocentric direction
};
EclipseInverse eclipseInverseSun(State& s, const EclipseSettings& set, const EclipseStep& st);

// The Earth's shadow at the Moon's distance, seen from the Earth's centre: its centre opposite
// the Sun (longitude Lsun - 180, plus 360 when negative; latitude -Bsun), the half-angle of the
// cone sigma = atan((Dsun - Dearth)/2/sunDist) (degrees) and the diameter at the Moon's distance
// Dearth - 2 moonDist tan(sigma) (m).
struct EarthShadow {
  double L = 0, B = 0, sigma = 0, diameter = 0;
};
EarthShadow earthShadow(double Lsun, double Bsun, double sunDist, double moonDist, double Dsun,
                        double Dearth);

// The umbra's angular radius seen from the Earth's centre (degrees), enlarged for the Earth's
// atmosphere as the eclipse canons enlarge it: Danjon's rule as the Five Millennium Canon of Lunar
// Eclipses (Espenak and Meeus, NASA) applies it, the Earth's radius raised by 1/85 together with
// the factor 0.998340 for its figure, i.e. 1.01 times the Moon's equatorial horizontal parallax:
// 1.01 pi_Moon - s_Sun + pi_Sun. The cone of earthShadow is the same without the 1.01.
inline constexpr double kDanjonEnlargement = 1.01;
double umbraRadiusDeg(double moonDist, double sunDist, double Dsun, double Dearth);

// Observer's geocentric distance and geocentric latitude on the WGS84 ellipsoid for geodetic
// latitude phi (degrees) and height h (m): the standard relations x = (N + h) cos phi,
// z = (N (1 - e^2) + h) sin phi, N = a / sqrt(1 - e^2 sin^2 phi).
void wgs84Geocentric(double phiDeg, double h, double& rho, double& phiGeocentricDeg);

}  // namespace orvant
