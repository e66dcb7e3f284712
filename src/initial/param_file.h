// Parameter and initial-data files Dat/Orvant<N>.dat.
//
// One file holds the complete description of the model: the date of the data, the Sun's mass, the
// gravitational constant, the astronomical unit and, for every object 0..10, its orbit parameters,
// its current coordinates and velocities and its mass ratio. Screen 1 writes it with
// "Сохранить параметры и данные в файле №" and reads it back as the source
// "параметры и данные из файла".
//
// Layout (15 lines; "zoned" items start at the print zones of 14 characters, format.h PrintLine;
// scaled values are truncated toward zero):
//   1  zoned numbers DayD, MonthD, YearD, then the text of the scales
//   2  "mSol / 10^25____gamma * 10^16____Lae"
//   3  zoned texts trunc(m(0)/10^25), trunc(gamma*10^16), trunc(Lae)
//   4  the column heads of the object lines
//   5..15  objects i = 0..10, 15 zoned texts:
//      i ("00"), MK*AlfaL*kUgol (10^-6 degree), R0sr (km, trunc(R0sr)/1000 rounded),
//      MK*W0sr*sekG (10^-6 rad/year), MK*Eks0, MK*Betta0*kUgol, MK*AlfaP0*kUgol, MK*AlfaU0*kUgol
//      (10^-6 degree), X/1000 (km), Y (km, trunc(Y)/1000 rounded), Z/1000 (km),
//      MK*VX, MK*VY, MK*VZ (10^-6 m/s), 1000*km.
// The writer takes the current state X..VZ (not X0..VZ0); the reader sets both from the file.
// m(11), m(13) and R0ae are neither written nor read.
//
// The day of line 1 may carry a fraction; it is written with a decimal point (".5", "1.5"), which
// the reader accepts, as it accepts CRLF line ends and blanks or commas between numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/state.h"

namespace orvant {

// Text of line 1 after the date, of line 2 and of line 4, exactly as the files carry them.
inline constexpr std::string_view kParamScalesText =
    "               MK=1 000 000         kUgol=180 град/pi       sekG = 31557600 сек";
inline constexpr std::string_view kParamConstantsHead = "mSol / 10^25____gamma * 10^16____Lae";
inline constexpr std::string_view kParamObjectsHead =
    "№ объкта_MK * AlfaL * kUgol__R0sr / 1000__MK * W0sr * sekG__MK * Eks0__MK * Betta0 * kUgol__"
    "MK * AlfaP0 * kUgol__MK * AlfaU0 * kUgol__X / 1000__Y / 1000__Z / 1000__MK * VX___MK * VY___"
    "MK * VZ_____1000 * km";

// Messages of the file commands (title "Orvant7"); the file name follows them.
inline constexpr std::string_view kMsgFileNumber = "Задайте номер файла";
inline constexpr std::string_view kMsgNoFile = "Не могу найти файл ";
inline constexpr std::string_view kMsgWriteError = "Ошибка записи в файл ";
inline constexpr std::string_view kMsgReadError = "Ошибка чтения данных из файла ";

// The number N of the box beside the save button: a whole number 0..32767 (a 16-bit file number),
// blanks around it allowed. nullopt for anything else.
std::optional<int> parseFileNumber(std::string_view text);

// "\Dat\Orvant<N>.dat", the name the messages show.
std::string paramFileName(int N);

// <workDir>/Dat/Orvant<N>.dat.
std::string paramFilePath(const State& s, int N);

// The 15 lines of the file for the state s, each ended by "\n". nullopt when a value cannot be
// written as a scaled integer (not finite, or beyond 18 digits).
std::optional<std::string> paramFileText(const State& s);

// Writes Dat/Orvant<N>.dat (the folder is created when needed). The text goes to a temporary file
// in the same folder that replaces the old file only when it is complete, so a failed save leaves
// the previous file as it was. Failures: "Не могу найти файл \Dat\Orvant<N>.dat" when the file
// cannot be created, "Ошибка записи в файл \Dat\Orvant<N>.dat" when writing fails or the state
// holds a value the layout cannot carry. Returns false after reporting.
bool saveParamFile(State& s, int N);

// How far a load got: the date of line 1, the constants of line 3, and the object lines read.
struct ParamLoadProgress {
  bool date = false;
  bool constants = false;
  int objects = 0;  // object lines 0..objects-1 read completely
};

// Reads Dat/Orvant<N>.dat into the state: line 1 sets DayD, MonthD, YearD and from them Day1,
// Month1, Year1, JD = JDfromDate(DayD, MonthD, YearD), JD0 = JDep = JD; line 3 m(0), gamma, Lae;
// the object lines the parameters, X..VZ and X0..VZ0, km and m(i) = m(0)/km(i), converted back
// from the file's scales. Items are taken in order and each value is stored as soon as it is read:
// on a failure the values read before it stay. Failures: "Не могу найти файл \Dat\Orvant<N>.dat"
// (title "Orvant7") when the file cannot be opened; "Ошибка чтения данных из файла
// \Dat\Orvant<N>.dat" when a line is missing or an item is not a number (a month or year that is
// not a whole number, a date that does not convert, a mass ratio of 0). Returns false after
// reporting; `progress` (optional) tells what was read.
bool loadParamFile(State& s, int N, ParamLoadProgress* progress = nullptr);

}  // namespace orvant
