#include "model/model_data.h"

#include <algorithm>

namespace orvant {

namespace {

// Slots 0..13 of a coordinate array (the arrays reach further as scratch of other screens).
template <std::size_t N>
void copyBodies(const Darr<N>& from, Darr<kObjects>& to) {
  std::copy_n(from.begin(), kObjects, to.begin());
}
template <std::size_t N>
void copyBodies(const Darr<kObjects>& from, Darr<N>& to) {
  std::copy_n(from.begin(), kObjects, to.begin());
}

// One list of the members for both directions: `Copy` is called with (State member, ModelData
// member) when keeping and with the arguments swapped when restoring.
template <class StateRef, class DataRef, class Copy>
void each(StateRef& s, DataRef& d, Copy copy) {
  copy(s.AlfaL, d.AlfaL);
  copy(s.R0sr, d.R0sr);
  copy(s.R0ae, d.R0ae);
  copy(s.W0sr, d.W0sr);
  copy(s.Eks0, d.Eks0);
  copy(s.Betta0, d.Betta0);
  copy(s.AlfaP0, d.AlfaP0);
  copy(s.AlfaU0, d.AlfaU0);
  copy(s.X0, d.X0);
  copy(s.Y0, d.Y0);
  copy(s.Z0, d.Z0);
  copy(s.VX0, d.VX0);
  copy(s.VY0, d.VY0);
  copy(s.VZ0, d.VZ0);
  copy(s.V0sr, d.V0sr);
  copy(s.m, d.m);
  copy(s.km, d.km);
  copy(s.mSol, d.mSol);
  copy(s.massSet, d.massSet);
  copy(s.gamma, d.gamma);
  copy(s.Lae, d.Lae);
  copy(s.Vsv, d.Vsv);
  copy(s.Vgr, d.Vgr);
  copy(s.Rpow, d.Rpow);
  copy(s.VXsys, d.VXsys);
  copy(s.VYsys, d.VYsys);
  copy(s.VZsys, d.VZsys);
  copy(s.kodMoon, d.kodMoon);
  copy(s.kodBary, d.kodBary);
  copy(s.kodVgr, d.kodVgr);
  copy(s.Icen, d.Icen);
}

}  // namespace

ModelData keepModel(const State& s) {
  ModelData d;
  each(s, d, [](const auto& from, auto& to) { to = from; });
  copyBodies(s.X, d.X);
  copyBodies(s.Y, d.Y);
  copyBodies(s.Z, d.Z);
  d.VX = s.VX;
  d.VY = s.VY;
  d.VZ = s.VZ;
  return d;
}

void restoreModel(State& s, const ModelData& d) {
  each(s, d, [](auto& to, const auto& from) { to = from; });
  copyBodies(d.X, s.X);
  copyBodies(d.Y, s.Y);
  copyBodies(d.Z, s.Z);
  s.VX = d.VX;
  s.VY = d.VY;
  s.VZ = d.VZ;
}

}  // namespace orvant
