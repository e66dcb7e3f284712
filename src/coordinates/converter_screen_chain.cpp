// The converter's sky at a moment. Declarations in converter_screen_chain.h.
#include "coordinates/converter_screen_chain.h"

#include <cmath>
#include <memory>

#include "astro/transform.h"
#include "astro/etut.h"
#include "ephemeris/theory_moon.h"
#include "ephemeris/theory_planets.h"
#include "astro/twobody.h"

namespace orvant {

bool computeSky(const State& s, double JDut, double ObsL, double ObsB, ConverterSky& sky) {
  if (!std::isfinite(JDut) || !std::isfinite(ObsL) || !std::isfinite(ObsB)) return false;
  auto work = std::make_unique<State>(s);  // the theories write parameters and coordinates
  State& w = *work;
  w.sink = nullptr;
  setMassSet(w, 2);

  sky.JDut = JDut;
  sky.ETUT = ETUT1939(w, JDut);
  sky.JDE = JDut + sky.ETUT / 86400;
  const double T = (sky.JDE - w.JD2000) / 36525;
  sky.scene.T = T;
  sky.body.fill(Vec3{});

  w.JD = sky.JDE;
  PrecEcl(w, 0, T);
  const auto pmat = w.Pmat;
  for (int i = 1; i <= 9; ++i) {
    ThJ2000(w, i);
    if (!positionFromParameters(w, i)) return false;
    w.Pmat = pmat;
    w.I = i;
    ApplyPrec(w);
    sky.body[i] = {w.X[i], w.Y[i], w.Z[i]};
  }
  sky.body[kConvBary] = sky.body[3];

  MoonPos(w, T);
  XYZfromSph(w, kConvSlot, w.Lk[11], w.Bk[11], w.Rij[3][11]);
  const Vec3 moon{w.X[kConvSlot], w.Y[kConvSlot], w.Z[kConvSlot]};
  const double share = w.m[11] / (w.m[13] + w.m[11]);
  for (int k = 0; k < 3; ++k) {
    sky.body[3][k] = sky.body[kConvBary][k] - share * moon[k];
    sky.body[kConvMoon][k] = sky.body[3][k] + moon[k];
  }

  sky.GMST = gmstHours(JDut);
  sky.LMST = lmstHours(JDut, ObsL);
  sky.scene.LMST = sky.LMST;
  sky.scene.ObsB = ObsB;
  sky.scene.earth = sky.body[3];
  sky.scene.observer = observerVector(w, sky.LMST, ObsB, T);
  for (const Vec3& v : sky.body)
    for (double x : v)
      if (!std::isfinite(x)) return false;
  return true;
}

}  // namespace orvant
