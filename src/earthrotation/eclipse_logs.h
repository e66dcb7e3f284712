// The two log files of the eclipse screen, in their fixed layouts:
//   Dat/Param_data.txt    one line per step: the local date and the last computed coordinates
//                         of the Sun and of object k, all multiplied by 1000 and truncated;
//   Dat/TimeYer_data.txt  the steps near the equinoxes and solstices: the Sun's coordinates
//                         computed forward from the geocentric ecliptic to the topocentric
//                         horizon and back again.
// The files are created anew by "Начать" and grow by whole lines (model/textfile.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "earthrotation/eclipse_chain.h"
#include "model/state.h"

namespace orvant {

inline constexpr std::string_view kParamLog = "Dat/Param_data.txt";
inline constexpr std::string_view kTimeYerLog = "Dat/TimeYer_data.txt";
inline constexpr std::string_view kMsgEclWrite = "Ошибка записи данных в файл";

// Header of Param_data.txt (six lines, each ending in a line break).
std::string paramLogHeader(int k, std::string_view source);
// One line of Param_data.txt: Fix(day*1000), month*1000, year*1000, then Fix(L*1000) and
// Fix(B*1000) of the Sun and of object k, back to back (" n " or "-n "). nullopt when a value
// is not finite or does not fit the file's integers.
std::optional<std::string> paramLogLine(double day, int month, int year, double Lsun,
                                        double Bsun, double Lk, double Bk);

// Header of TimeYer_data.txt (seven lines).
std::string timeYerLogHeader(std::string_view source);
// One line of TimeYer_data.txt from the step and its inverse chain. ltet2 and dmy are the texts
// "LTet2=hh:mm:ss" and "DMY= dd.mm.yyyy" as the screen shows them. nullopt for a non-finite value.
std::optional<std::string> timeYerLogLine(std::string_view ltet2, std::string_view dmy,
                                          const EclipseStep& st, const EclipseInverse& inv);

// True when the step's Sun lies within 1 degree of an equinox or solstice (its geocentric
// ecliptic longitude of the date: L > 359 or L < 1, 89..91, 179..181, 269..271, open bounds).
bool nearEquinoxOrSolstice(double L);

// Creates a log (its header only) under the work directory; appends one line. On failure the
// message "Ошибка записи данных в файл\n\Dat\<name>" (title "Orvant7.0") is reported and false
// returned; the file keeps its old content (a line is written whole or not at all).
bool createEclipseLog(State& s, std::string_view relPath, std::string_view header);
bool appendEclipseLog(State& s, std::string_view relPath, std::string_view line);

}  // namespace orvant
