// Secular-shift files: the change per century of six orbit parameters.
//
// Columns c = 1..6: dAlfaP100, dAlfaU100, dBetta100 (arc seconds per century), dEks100 (x 10^6),
// dRsr100 (km), dW100 (rad); every value is stored as shift x MK truncated toward zero.
//
// Observed file of a source, "NEW/OrvantNab.dat", "JPL/OrvantNab.dat", "Kin/OrvantNab.dat":
//   line 1 "Обработанные данные  \NEW  по всем планетам", line 2 the column heads,
//   lines 3-13 one row per object N = 1..11: N and six shifts.       -> State::NabShift[N][c]
// Calculated file of plan k and object N, "Plan<k>/Orvant<N>Ras.dat":
//   line 1 "Обработанные данные расчета для плана № k  по планете № N", line 2 NE,
//   line 3 the column heads, then one row per experiment e = 1..NE.  -> State::RasShift[N][c][e]
//
// A replace writes back only the table that was loaded, to the file it was loaded from; all other
// values are written as loaded (n / MK written back is n again).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/state.h"

namespace orvant::statistics {

enum class ShiftSource { New = 1, JPL = 2, Kin = 3 };

// Which screen's message texts to use.
//   Screen6:  "Не могу найти файл" / "Ошибка чтения данных из файла" / "Ошибка записи данных в файл",
//             a line break and the path;
//   Screen15: "Не могу найти файл " + path, "Ошибка при чтении данных из файла " + path;
//   Screen19: as Screen15, and "Ошибка при записи данных в файл " + path.
enum class ShiftMessages { Screen6, Screen15, Screen19 };

std::string observedShiftPath(ShiftSource source);   // "NEW/OrvantNab.dat"
std::string calculatedShiftPath(int k, int N);       // "Plan<k>/Orvant<N>Ras.dat"

// Loads the observed file of `source` into NabShift (ShiftKind = 1). On failure reports the message
// and leaves the tables, ShiftKind and the remembered files as they were (a replace can then only
// write the table that did load, to its own file).
bool loadObservedShifts(State& s, ShiftSource source, ShiftMessages msg = ShiftMessages::Screen6);

// Loads the calculated file of plan k, object N (1..11) into RasShift[N] (ShiftKind = 2, NE).
bool loadCalculatedShifts(State& s, int k, int N, ShiftMessages msg = ShiftMessages::Screen6);

// Rewrites the observed file of `source` from NabShift. Requires the observed shifts of that source
// loaded, otherwise "У Вас не загружены данные наблюдений".
bool writeObservedShifts(State& s, ShiftSource source, ShiftMessages msg = ShiftMessages::Screen6);

// Rewrites the calculated file of plan k, object N from RasShift[N][.][1..NE]. Requires that file
// loaded, otherwise "У Вас не загружены расчетные данные".
bool writeCalculatedShifts(State& s, int k, int N, ShiftMessages msg = ShiftMessages::Screen6);

// "Изменить смещение в файле на рассчитанное" with source "имитаторе": NabShift[N][c] = the shift
// box, then the observed file is rewritten. `shiftBox` is the box's text. Bad input ("Задайте
// правильно данные"): a non-numeric box, c outside 1..6, N outside 1..11.
bool replaceObservedShift(State& s, ShiftSource source, int N, int c, std::string_view shiftBox);

// The same with source "модели": RasShift[N][c][e] = the shift box, then the calculated file of
// plan k, object N is rewritten. e must be an experiment of the loaded file (1..NE).
bool replaceCalculatedShift(State& s, int k, int N, int e, int c, std::string_view shiftBox);

// Rows shown after a load: "   N    dAlfaP100  = 0000.0000    dAlfaU100  = ..." for N = 1..11
// (observed) or for e = 1..NE of object N (calculated). With `truncate4` every value is first
// truncated to four decimals (screen 15).
std::vector<std::string> observedShiftText(const State& s, bool truncate4 = false);
std::vector<std::string> calculatedShiftText(const State& s, int N);

inline constexpr const char* kNabNotLoaded = "У Вас не загружены данные наблюдений";
inline constexpr const char* kRasNotLoaded = "У Вас не загружены расчетные данные";

}  // namespace orvant::statistics
