#include "ui/state_names.h"

#include <array>
#include <cstdlib>
#include <functional>
#include <span>
#include <type_traits>

#include "model/state.h"

namespace orvant::ui {

namespace {

template <class T>
struct IsArray : std::false_type {};
template <class T, std::size_t N>
struct IsArray<std::array<T, N>> : std::true_type {};

// Value of a (possibly nested) std::array of numbers at the given indices.
template <class T>
double valueAt(const T& v, std::span<const long> index, const std::string& name) {
  if constexpr (std::is_arithmetic_v<T>) {
    if (!index.empty()) throw StateNameError(name + ": лишний индекс");
    return static_cast<double>(v);
  } else {
    static_assert(IsArray<T>::value, "only numbers and std::array of numbers");
    if (index.empty()) throw StateNameError(name + ": нужен индекс");
    if (index[0] < 0 || index[0] >= static_cast<long>(v.size()))
      throw StateNameError(name + ": индекс " + std::to_string(index[0]) + " вне границ 0.." +
                           std::to_string(v.size() - 1));
    return valueAt(v[static_cast<std::size_t>(index[0])], index.subspan(1), name);
  }
}

template <class T>
std::string bounds() {
  if constexpr (std::is_arithmetic_v<T>) {
    return {};
  } else {
    return "[0.." + std::to_string(std::tuple_size_v<T> - 1) + "]" +
           bounds<typename T::value_type>();
  }
}

struct Entry {
  std::string name;
  std::string bounds;
  std::function<double(const State&, std::span<const long>)> get;
};

template <class T>
Entry entry(const char* name, T State::*member) {
  return Entry{name, bounds<T>(), [member, n = std::string(name)](const State& s, std::span<const long> i) {
                 return valueAt(s.*member, i, n);
               }};
}

// A member of a context held by State (the DE405 reader's), under its historical name.
template <class T, class C>
Entry entry(const char* name, C State::*context, T C::*member) {
  return Entry{name, bounds<T>(),
               [context, member, n = std::string(name)](const State& s, std::span<const long> i) {
                 return valueAt(s.*context.*member, i, n);
               }};
}

#define ORVANT_STATE(member) entry(#member, &State::member)

// The numeric members of State that scripts can read. Add one line per new member.
const std::vector<Entry>& table() {
  static const std::vector<Entry> entries = {
      // catalogue: orbit parameters
      ORVANT_STATE(AlfaL), ORVANT_STATE(R0sr), ORVANT_STATE(R0ae), ORVANT_STATE(W0sr),
      ORVANT_STATE(Eks0), ORVANT_STATE(Betta0), ORVANT_STATE(AlfaP0), ORVANT_STATE(AlfaU0),
      // state and initial state
      ORVANT_STATE(X), ORVANT_STATE(Y), ORVANT_STATE(Z), ORVANT_STATE(VX), ORVANT_STATE(VY),
      ORVANT_STATE(VZ), ORVANT_STATE(X0), ORVANT_STATE(Y0), ORVANT_STATE(Z0), ORVANT_STATE(VX0),
      ORVANT_STATE(VY0), ORVANT_STATE(VZ0),
      // two-body work values
      ORVANT_STATE(Manom), ORVANT_STATE(Vanom), ORVANT_STATE(Ushir), ORVANT_STATE(Rpl),
      ORVANT_STATE(Ean), ORVANT_STATE(Pfoc), ORVANT_STATE(Vrad), ORVANT_STATE(Vtr),
      // masses and catalogue data
      ORVANT_STATE(m), ORVANT_STATE(km), ORVANT_STATE(mSol), ORVANT_STATE(massSet),
      ORVANT_STATE(Dpl), ORVANT_STATE(Rsol), ORVANT_STATE(Tsid),
      // participation
      ORVANT_STATE(kUch), ORVANT_STATE(kVz), ORVANT_STATE(Nsl),
      // constants
      ORVANT_STATE(gamma), ORVANT_STATE(Lae), ORVANT_STATE(MK), ORVANT_STATE(Pi),
      ORVANT_STATE(kUgol), ORVANT_STATE(sekG), ORVANT_STATE(sekD), ORVANT_STATE(Vsv),
      ORVANT_STATE(Vgr), ORVANT_STATE(VXsys), ORVANT_STATE(VYsys), ORVANT_STATE(VZsys),
      ORVANT_STATE(Eps0), ORVANT_STATE(JD1900), ORVANT_STATE(JD2000), ORVANT_STATE(Nob),
      ORVANT_STATE(Neq), ORVANT_STATE(Mx1),
      // dates
      ORVANT_STATE(Year1), ORVANT_STATE(Month1), ORVANT_STATE(Day1), ORVANT_STATE(YearD),
      ORVANT_STATE(MonthD), ORVANT_STATE(DayD), ORVANT_STATE(Year), ORVANT_STATE(Month),
      ORVANT_STATE(Day), ORVANT_STATE(Hh), ORVANT_STATE(Mm), ORVANT_STATE(Ss),
      ORVANT_STATE(DayMonth), ORVANT_STATE(CalType), ORVANT_STATE(Hour0), ORVANT_STATE(DateError),
      ORVANT_STATE(JD), ORVANT_STATE(JD0), ORVANT_STATE(JDep), ORVANT_STATE(ETUT),
      ORVANT_STATE(JDE), ORVANT_STATE(JDUT),
      ORVANT_STATE(JDet2),
      // mode flags
      ORVANT_STATE(kodMoon), ORVANT_STATE(kodBary), ORVANT_STATE(Icen), ORVANT_STATE(kStop),
      // coordinates: the shared index, results and pair tables
      ORVANT_STATE(I), ORVANT_STATE(Dolg), ORVANT_STATE(Shir), ORVANT_STATE(Rast),
      ORVANT_STATE(dXij), ORVANT_STATE(dYij), ORVANT_STATE(dZij), ORVANT_STATE(RHOij),
      ORVANT_STATE(Lk), ORVANT_STATE(Bk), ORVANT_STATE(ObsL), ORVANT_STATE(ObsB), ORVANT_STATE(Tau),
      ORVANT_STATE(Hgor), ORVANT_STATE(Agor), ORVANT_STATE(Pmat), ORVANT_STATE(Rij),
      // ephemeris: the DE405 reader
      ORVANT_STATE(JDjpl), ORVANT_STATE(JPLyear), ORVANT_STATE(JPLlast), ORVANT_STATE(JPLnr),
      ORVANT_STATE(JPLisOpen), ORVANT_STATE(JDrec0), ORVANT_STATE(JDrec1),
      entry("JPLcoef", &State::jpl, &State::JplReaderContext::coef),
      entry("JPLcheb", &State::jpl, &State::JplReaderContext::cheb),
      entry("JPLt0", &State::jpl, &State::JplReaderContext::t0),
      // ephemeris: the periodic perturbations of screens 21 and 22
      ORVANT_STATE(dLdB), ORVANT_STATE(PertDL), ORVANT_STATE(Ipl21), ORVANT_STATE(Ipl22),
      // statistics: secular shifts
      ORVANT_STATE(NabShift), ORVANT_STATE(RasShift), ORVANT_STATE(ShiftKind),
      ORVANT_STATE(NabSource), ORVANT_STATE(RasPlan), ORVANT_STATE(RasObj), ORVANT_STATE(NE),
      // simulation: the switches of the model integrator (screens 2 and 7)
      ORVANT_STATE(kodVgr), ORVANT_STATE(kodOTO), ORVANT_STATE(NItGr), ORVANT_STATE(Rpow),
      ORVANT_STATE(Vpl),
      // simulation: the plan of the running experiment
      ORVANT_STATE(NPlan),
      // initial data: mean speeds and the reference parameters of the run
      ORVANT_STATE(V0sr), ORVANT_STATE(Ppar),
      // design: weights of the gravity-speed criterion
      ORVANT_STATE(Wt),
  };
  return entries;
}

#undef ORVANT_STATE

// "NAME", "NAME[i]", "NAME[i][j]", "NAME[i,j]" -> name and indices.
void parse(std::string_view text, std::string& name, std::vector<long>& index) {
  const std::size_t open = text.find('[');
  name = std::string(text.substr(0, open));
  if (name.empty()) throw StateNameError(std::string(text) + ": нет имени");
  if (open == std::string_view::npos) return;
  std::string_view rest = text.substr(open);
  while (!rest.empty()) {
    if (rest.front() != '[') throw StateNameError(std::string(text) + ": ожидается [");
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos) throw StateNameError(std::string(text) + ": нет ]");
    std::string_view inside = rest.substr(1, close - 1);
    for (;;) {
      const std::size_t comma = inside.find(',');
      const std::string item(inside.substr(0, comma));
      char* end = nullptr;
      const long v = std::strtol(item.c_str(), &end, 10);
      if (item.empty() || *end != '\0' || item.find_first_of(" +") != std::string::npos)
        throw StateNameError(std::string(text) + ": индекс не целое число");
      index.push_back(v);
      if (comma == std::string_view::npos) break;
      inside = inside.substr(comma + 1);
    }
    rest = rest.substr(close + 1);
  }
}

}  // namespace

double stateValue(const State& state, std::string_view expression) {
  std::string name;
  std::vector<long> index;
  parse(expression, name, index);
  for (const Entry& e : table())
    if (e.name == name) return e.get(state, index);
  throw StateNameError(name + ": нет такой переменной");
}

std::vector<std::string> stateNames() {
  std::vector<std::string> out;
  for (const Entry& e : table()) out.push_back(e.name + e.bounds);
  return out;
}

}  // namespace orvant::ui
