// Members of the shared State by name, for scripts (`state X0[3]`) and checks.
//
// The table in state_names.cpp lists the numeric members of State: scalars ("JD"), arrays
// ("X0[3]") and tables ("kVz[1][2]", also written "kVz[1,2]"). A member added to State that scripts
// should see is added there with one line.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvant {
struct State;
}

namespace orvant::ui {

// Unknown name, missing or surplus index, index out of bounds, malformed text.
struct StateNameError : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

// The value of "NAME", "NAME[i]", "NAME[i][j]" or "NAME[i,j]"; throws StateNameError.
double stateValue(const State& state, std::string_view expression);

// The names in the table with their bounds: "JD", "X0[0..13]", "kVz[0..12][0..12]".
std::vector<std::string> stateNames();

}  // namespace orvant::ui
