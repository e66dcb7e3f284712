// The eclipse finder: solar and lunar eclipses and transits of Mercury and Venus over a span of
// dates, as one observer sees them, computed with the step chain of screen 16 (eclipse_chain.h).
//
// Method: the chain is evaluated at coarse steps of UT; a local minimum of the separation of the
// two disks' centres below the sum of their angular radii plus a margin is bracketed by its two
// neighbours and refined by Brent's minimisation (golden section with parabolic steps); the
// contacts are the roots of separation - (rho1 + rho2) (outer) and separation - |rho1 - rho2|
// (inner) on either side of the minimum, bracketed by steps outward and refined by Brent's root
// finder. No fixed-step scan goes down to the second.
//   Solar eclipse:  the Sun and the Moon, topocentric;
//   Lunar eclipse:  the Moon and the centre of the Earth's umbra at the Moon's distance (the umbra
//                   only: penumbral eclipses are not listed);
//   Transits:       the Sun and Mercury (k = 1) or Venus (k = 2).
// Reference for the methods: R. P. Brent, Algorithms for Minimization without Derivatives
// (Prentice-Hall 1973), ch. 4 (zero) and 5 (localmin).
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "earthrotation/eclipse_chain.h"
#include "model/state.h"

namespace orvant {

enum class EclEventKind { Solar = 0, Lunar = 1, Mercury = 2, Venus = 3 };

struct EclEvent {
  EclEventKind kind = EclEventKind::Solar;
  double jdMax = 0;          // UT of the least separation of the centres
  double sep = 0;            // that separation, degrees
  double rhoCover = 0;       // angular radius of the covering disk (Moon, umbra, planet), degrees
  double rhoCovered = 0;     // of the covered disk (Sun, Moon, Sun), degrees
  double magnitude = 0;      // fraction of the covered diameter covered (transits: of the
                             // planet's diameter on the Sun)
  double obscured = 0;       // fraction of the covered disk's area covered
  double c1 = NAN, c2 = NAN, c3 = NAN, c4 = NAN;  // UT of the contacts (NaN: none)
  double sunAlt = 0, moonAlt = 0, bodyAlt = 0;    // altitudes at maximum, degrees (body: k)
  char type = 'P';           // 'P' partial, 'T' total, 'A' annular, 'I' planet wholly inside
};

struct EclFinderOptions {
  double jdFrom = 0, jdTo = 0;  // UT span
  bool solar = true, lunar = true, mercury = true, venus = true;
  double coarseMoonDays = 0.25;    // coarse step for the Sun-Moon and Moon-shadow pairs
  double coarsePlanetDays = 1.0;   // for the transits
  bool visibleOnly = false;        // keep only events whose covered body is above the horizon
                                   // at some contact or at maximum
};

// Searches the span. `base` gives the source, the ET choice and the observer; its k and outline
// are set per pair. Events are appended in time order per kind and then sorted by jdMax.
// Returns Ok, or the status of the failing step (the source's message reported).
EclStatus findEclipses(State& s, const EclipseSettings& base, const EclFinderOptions& opt,
                       std::vector<EclEvent>& events);

// Area of the overlap of two disks of radii r1, r2 whose centres are d apart (any unit), the
// classical lens formula; 0 when apart, the smaller disk's area when one holds the other.
double diskOverlapArea(double r1, double r2, double d);

// Brent's minimisation of f on [a, b] to the absolute tolerance tol; returns the abscissa and
// leaves f's value in fmin.
template <class F>
double brentMin(F&& f, double a, double b, double tol, double& fmin);
// Brent's root of f on [a, b] with f(a), f(b) of opposite signs, to the tolerance tol.
template <class F>
double brentRoot(F&& f, double a, double b, double fa, double fb, double tol);

// ---- template definitions ----

template <class F>
double brentMin(F&& f, double a, double b, double tol, double& fmin) {
  const double c = 0.3819660112501051;  // (3 - sqrt 5)/2
  double x = a + c * (b - a), w = x, v = x;
  double fx = f(x), fw = fx, fv = fx;
  double d = 0, e = 0;
  for (int it = 0; it < 200; ++it) {
    const double m = 0.5 * (a + b);
    const double tol1 = 3e-16 * std::fabs(x) + tol / 3, tol2 = 2 * tol1;
    if (std::fabs(x - m) <= tol2 - 0.5 * (b - a)) break;
    bool golden = true;
    if (std::fabs(e) > tol1) {  // parabola through x, w, v
      double r = (x - w) * (fx - fv), q = (x - v) * (fx - fw), p = (x - v) * q - (x - w) * r;
      q = 2 * (q - r);
      if (q > 0) p = -p;
      q = std::fabs(q);
      const double etemp = e;
      e = d;
      if (std::fabs(p) < std::fabs(0.5 * q * etemp) && p > q * (a - x) && p < q * (b - x)) {
        d = p / q;
        const double u = x + d;
        if (u - a < tol2 || b - u < tol2) d = x < m ? tol1 : -tol1;
        golden = false;
      }
    }
    if (golden) {
      e = (x < m ? b : a) - x;
      d = c * e;
    }
    const double u = x + (std::fabs(d) >= tol1 ? d : (d > 0 ? tol1 : -tol1));
    const double fu = f(u);
    if (fu <= fx) {
      (u < x ? b : a) = x;
      v = w, fv = fw, w = x, fw = fx, x = u, fx = fu;
    } else {
      (u < x ? a : b) = u;
      if (fu <= fw || w == x) {
        v = w, fv = fw, w = u, fw = fu;
      } else if (fu <= fv || v == x || v == w) {
        v = u, fv = fu;
      }
    }
  }
  fmin = fx;
  return x;
}

template <class F>
double brentRoot(F&& f, double a, double b, double fa, double fb, double tol) {
  double c = a, fc = fa, d = b - a, e = d;
  for (int it = 0; it < 200; ++it) {
    if ((fb > 0) == (fc > 0)) {
      c = a, fc = fa, d = e = b - a;
    }
    if (std::fabs(fc) < std::fabs(fb)) {
      a = b, b = c, c = a;
      fa = fb, fb = fc, fc = fa;
    }
    const double tol1 = 2e-16 * std::fabs(b) + 0.5 * tol;
    const double m = 0.5 * (c - b);
    if (std::fabs(m) <= tol1 || fb == 0) return b;
    if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
      double p, q, r;
      const double sv = fb / fa;
      if (a == c) {
        p = 2 * m * sv;
        q = 1 - sv;
      } else {
        q = fa / fc;
        r = fb / fc;
        p = sv * (2 * m * q * (q - r) - (b - a) * (r - 1));
        q = (q - 1) * (r - 1) * (sv - 1);
      }
      if (p > 0) q = -q;
      p = std::fabs(p);
      if (2 * p < std::min(3 * m * q - std::fabs(tol1 * q), std::fabs(e * q))) {
        e = d;
        d = p / q;
      } else {
        d = m, e = m;
      }
    } else {
      d = m, e = m;
    }
    a = b, fa = fb;
    b += std::fabs(d) > tol1 ? d : (m > 0 ? tol1 : -tol1);
    fb = f(b);
  }
  return b;
}

}  // namespace orvant
