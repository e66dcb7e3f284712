#include "model/orbit_windows.h"

#include <cmath>

namespace orvant {

Window windowAround(double centre, double dAlfa) {
  Window w{centre - dAlfa, centre + dAlfa};
  if (w.hi > 360) w.hi -= 360;
  if (w.lo > 360) w.lo -= 360;
  if (w.lo < 0) w.lo += 360;
  return w;
}

Window aphelionWindow(double AlfaPt, double dAlfa) {
  Window w{AlfaPt + 180 - dAlfa, AlfaPt + 180 + dAlfa};
  if (w.hi > 360) w.hi -= 360;
  if (w.lo > 360) w.lo -= 360;
  return w;
}

bool insideWindow(double L, const Window& w, double dAlfa) {
  if (360 - 2 * dAlfa >= w.lo) return w.lo <= L && L <= w.hi;
  return !(L > w.hi && L < w.lo);
}

double meanLongitude(double prev, double cur) {
  double a = (prev + cur) / 2;
  if (std::fabs(cur - prev) > 355) a -= 180;
  return a;
}

double toOrbitPlane(const State& s, double AlfaPt, double AlfaUt, double Bmax) {
  double w = AlfaPt - AlfaUt;
  if (w > 180) w -= 360;  // both angles lie within 0..360 (up to half a step): one turn at most
  if (w < -180) w += 360;
  if (w == 90 || w == -90) return AlfaPt;
  double u = std::fabs(std::atan(std::tan(w / s.kUgol) / std::cos(Bmax))) * s.kUgol;
  if (std::fabs(w) > 90) u = 180 - u;
  if (w < 0) u = -u;
  double a = u + AlfaUt;
  if (a < 0) a += 360;
  if (a > 360) a -= 360;
  return a;
}

}  // namespace orvant
