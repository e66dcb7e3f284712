// The computations behind "Загрузить на заданную дату " of screen 1: the date and its time scales,
// the theory sources and the DE405 source, the defaults of the tenth object, and the common end
// of every load. The screen (initial_data_screen.h) reads its boxes and calls these.
//
// Time scales: the date typed on screen 1 is taken as universal time UT (JDUT); the ephemeris
// time is JDE = JDUT + ET-UT/86400 with ET-UT of the 1939 formula (astro/etut.h). The
// kinematic theory Kin0 was fitted to dated observations and takes UT; New0, the J2000 theory and
// DE405 take ephemeris time.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/state.h"

namespace orvant {

// The sources of screen 1, in the order of its option buttons.
enum class DataSource { New0 = 0, JPL0 = 1, Kin0 = 2, JPL2 = 3, File = 4, Screen = 5 };
inline constexpr std::array<std::string_view, 6> kSourceCaptions = {
    "New0 (JD)",
    "JPL0 (J2000)",
    "Kin0 (J2000)",
    "параметры и данные JPL2 (J2000)",
    "параметры и данные из файла",
    "параметры или данные с экрана",
};

// Messages of the loads (title "Orvant7").
inline constexpr std::string_view kMsgBadData = "Задайте правильно данные";
inline constexpr std::string_view kMsgMoonNew0 =
    "Для расчета параметров орбиты Луны использована \nтеория Брауна в книге Чеботарева ";
inline constexpr std::string_view kMsgMoonJPL0 =
    "Для расчета параметров орбиты Луны использована \nтеория из Мееуса с пересчетом в эпоху J2000 ";
inline constexpr std::string_view kMsgMoonJPL2 =
    "Для расчета параметров неоскулирующей \nорбиты Луны использована теория Kin0 ";

// Initial state of the tenth object that the DE405 source gives when it is not the Moon:
// X = 7 555 444 333 222 m on the X axis, moving along Y at 4333 m/s.
inline constexpr double kXenaX = 7555444333222.0;
inline constexpr double kXenaVY = 4333.0;

// Steps 1-3 of a load: the Sun's parameters R0sr, W0sr, Eks0, AlfaU0, AlfaP0, Betta0 = 0;
// Year1, Month1, Day1 = the date; JD = JDfromDate(Day1, Month1, Year1) (calendar and day start as
// the state has them); JD0 = JDep = JD; ETUT = ETUT1939(JD); JDUT = JD; JDE = JD + ETUT/86400;
// JD = JDE, or JDUT for Kin0; kodMoon from `moonMode`. False (the calendar's message reported)
// when the date does not convert.
bool setLoadDate(State& s, DataSource source, double Day1, int32 Month1, int32 Year1, bool moonMode);

// Step 4 for the theory sources New0, JPL0, Kin0 and for JPL2, at the JD left by setLoadDate:
//   New0  mass set 1, gamma 66.7006e-12, ThNew0 for 1..9 (JDep stays the date);
//   JPL0  mass set 2, gamma 66.7259e-12, JDep = JD2000, ThJ2000 for 1..9;
//   Kin0  mass set 3, gamma 66.7259e-12, JDep = JD2000, ThKin0 for 1..9;
//   JPL2  as JPL0 for the parameters, and the initial state X0..VZ0 of 0..9 from DE405 at JDE.
// Moon mode: the theory's lunar branch for slot 11 (ThJ2000 with MoonToJ2000 for JPL0, ThKin0 at
// JDUT for JPL2), copied into slot 10, with the message naming the lunar theory (none for Kin0).
// JPL2 then takes the Moon's geocentric state from DE405 into slot 11 and splits the Earth-Moon
// pair (splitEarthMoon, kodBary from `bary`) so that object 3 becomes the Earth alone.
// Without Moon mode the tenth object gets the defaults (setXenaDefaults), and with JPL2 also the
// initial state kXenaX, kXenaVY.
// Failures: "Задайте правильно данные" for a result that is not finite; the DE405 reader reports
// a date outside its blocks itself; a missing block "Не могу найти файл \JPL\ascp<year>.405", an
// unreadable one "Ошибка чтения данных из файла \JPL\ascp<year>.405". The block is closed on every
// path. Returns false after reporting; what was written before stays.
bool loadTheorySource(State& s, DataSource source, bool moonMode, bool bary);

// The tenth object when it is not the Moon: AlfaL = 0.01 rad, W0sr = 0.00001/86400 rad/s,
// km = 9 888 777 (m(10) keeps the value of the mass set), Eks0 = 0.001, Betta0 = 0.01 rad,
// AlfaU0 = 0.01 rad, AlfaP0 = Pi/2, R0ae = 50.01, R0sr = Lae*50.01.
void setXenaDefaults(State& s);

// The Earth-Moon pair split about its barycentre, each axis, with q = m(11)/m(13) and slot 11
// holding the Moon's geocentric state:
//   without "Bary": X0(13) = -q X0(11); VX0(11) = VX0(11)/(q + 1); VX0(13) = -q VX0(11);
//   with "Bary":    X0(13) = -q X0(11); X0(11) += X0(13); VX0(13) = -q VX0(11); VX0(11) += VX0(13);
// then object 3 becomes the Earth alone: m(3) = m(13), km(3) = m(0)/m(13).
void splitEarthMoon(State& s, bool bary);

// Common end of every load: V0sr(i) = W0sr(i)*R0sr(i) for i = 1..10.
void finishLoad(State& s);

// A number shown whole in a box of the initial-data screens: the fewest of 15, 16 or 17 significant
// digits that read back as the same number, the decimal comma, E notation when the magnitude needs
// it ("1,98976E+30", "6,67259E-11", "149597870,691").
std::string fullNumber(double x);

// "К моделированию": Ppar(i, 1..7) = AlfaP0, AlfaU0, Betta0, Eks0, R0sr, W0sr, AlfaL of
// objects 1..10.
void fillPpar(State& s);

}  // namespace orvant
