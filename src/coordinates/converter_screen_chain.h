// The sky of the converter at a moment: the bodies from the J2000 theory and the Moon's series,
// the Earth, the observer and the sidereal time (screen 12's "Задать координаты", also used by
// `orvant-cli convert`).
//
// Steps, for a UT Julian date JDut and an observer at ObsL (east positive), ObsB (degrees):
//   1. ET - UT = ETUT1939(JDut) (s); JDE = JDut + ET-UT/86400; T = (JDE - JD2000)/36525.
//   2. The Sun at the origin; the planets 1..9 (3: the Earth-Moon barycentre) from ThJ2000 at JDE
//      with the two-body position (astro/twobody.h), precessed from J2000 to the date with
//      PrecEcl(0, T) and ApplyPrec.
//   3. The geocentric Moon from MoonPos(T) (ecliptic of the date); the Earth = barycentre -
//      m(Moon)/(m(Earth) + m(Moon)) * Moon, with the masses of the JPL set (the barycentre's mass
//      written as the Earth alone plus the Moon, so that the Moon mode's redefinition of m(3)
//      does not change the offset); the Moon = Earth + geocentric Moon.
//   4. GMST(JDut - 2400000.5) reduced to 0..24 h; LMST = GMST + ObsL/15 within 0..24 h; the
//      observer's geocentric vector XYZfromSph(12, LMST*15, ObsB, 6378140 m) turned to the
//      ecliptic of the date.
// The theories run on a copy of the State: the orbit parameters, coordinates and masses of the
// other screens are not touched.
#pragma once

#include <array>

#include "coordinates/converter.h"
#include "model/state.h"

namespace orvant {

// Index of the converter's bodies: 0 the Sun, 1..9 Mercury..Pluto with 3 the Earth itself,
// 10 the Moon, 11 the Earth-Moon barycentre.
inline constexpr int kConvMoon = 10;
inline constexpr int kConvBary = 11;

struct ConverterSky {
  double JDut = 0, JDE = 0;
  double ETUT = 0;            // s
  double GMST = 0, LMST = 0;  // hours 0..24
  ConverterScene scene;
  std::array<Vec3, 12> body{};  // heliocentric, ecliptic and equinox of the date, m
};

// False when a theory or the two-body conversion fails (a non-finite date).
bool computeSky(const State& s, double JDut, double ObsL, double ObsB, ConverterSky& sky);

}  // namespace orvant
