// The model's own data, kept aside while a screen computes with other values.
//
// Screens 1, 2, 4, 7, 15, 18 and 20 exist to set the model of the solar system: the orbit
// parameters, the initial and current state of the bodies, the masses and the constants that a
// run integrates. The other screens compute with values of their own in the same State (a
// theory's mass set and gravitational constant, the Earth and an object placed by a two-body
// formula, positions of a reduction written into the coordinate slots). The workbench takes a
// ModelData before a command of such a screen and puts it back when the command returns, so that
// the next run of the model finds the model as its own screens left it.
#pragma once

#include "model/state.h"

namespace orvant {

struct ModelData {
  // orbit parameters
  Darr<kObjects> AlfaL{}, R0sr{}, R0ae{}, W0sr{}, Eks0{}, Betta0{}, AlfaP0{}, AlfaU0{};
  // initial state, and the current state of the model's bodies 0..13
  Darr<kObjects> X0{}, Y0{}, Z0{}, VX0{}, VY0{}, VZ0{};
  Darr<kObjects> X{}, Y{}, Z{}, VX{}, VY{}, VZ{};
  Darr<kObjects> V0sr{};
  // masses
  Darr<kObjects> m{}, km{};
  double mSol = 0;
  int massSet = 0;
  // constants and switches of the model (the bodies' diameters are screen 17's)
  double gamma = 0, Lae = 0, Vsv = 0, Vgr = 0, Rpow = 0;
  double VXsys = 0, VYsys = 0, VZsys = 0;
  int16 kodMoon = 0, kodBary = 0, kodVgr = 0;
  int32 Icen = 0;
};

ModelData keepModel(const State& s);
void restoreModel(State& s, const ModelData& d);

}  // namespace orvant
