// Coordinate transformations shared by the observation reduction, the coordinate converter, the
// simulators and the eclipse screen.
//
// The operations work on the shared rectangular arrays X, Y, Z of the State (metres, or unit
// vectors where a caller stores them) and leave their angles in the shared results Dolg, Shir,
// Rast. Angles in the State are in degrees; inside the formulas they are radians, degrees / kUgol
// with the program's own Pi. EquToEcl, EclToEqu and ApplyPrec act on the object of the shared
// object index s.I.
//
// Frames: ecliptic axes have X toward the mean equinox, Z toward the ecliptic pole; equatorial
// axes X toward the equinox, Z toward the celestial pole; the horizon frame of EquToHor has X
// toward the south point, Y toward the west point, Z toward the zenith.
#pragma once

#include "model/state.h"

namespace orvant {

// ---------------------------------------------------------------------------------------------
// FracPos: fractional part in [0, 1), written back into the argument.
//
// Given/returned:
//   x    double&  any value; replaced by the result
// Returned (function value):
//          double   x - Fix(x), plus 1 when that is negative: 0 <= result < 1
// Notes:
//   1) The same function as the catalogue's frac(); -0.25 gives 0.75.
//   2) A negative x smaller in magnitude than half an ulp of 1 (e.g. -1e-20) would give exactly
//      1 after adding 1; it is returned as 0 so that the result stays below 1.
double FracPos(double& x);

// ---------------------------------------------------------------------------------------------
// Frac: fractional part with the sign of the argument.
//
// Given:     x  double  any value
// Returned:     double  x - Fix(x), -1 < result < 1, same sign as x (Frac(-0.25) = -0.25)
// Note: differs from FracPos / frac() for negative x; the nutation arguments use this one.
double Frac(double x);

// ---------------------------------------------------------------------------------------------
// GMST: Greenwich mean sidereal time, IAU 1982 expression.
//
// Given:     mjd  double  modified Julian date of UT, JD - 2400000.5
// Returned:       double  Greenwich mean sidereal time, hours, NOT reduced to 0..24
// Notes:
//   1) h = (mjd - Fix(mjd))*24 is the UT hour; T0 = (Fix(mjd) - 51544.5)/36525 counts Julian
//      centuries from J2000 to 0 h UT of the day;
//      GMST = 6.697374558 + 1.0027379093*h + (8640184.812866*T0 + 0.093104*T0^2
//             - 6.2e-6*T0^3)/3600.
//   2) Callers reduce it to 0..24 h, add ObsL/15 for the local sidereal time, and multiply by
//      15 for degrees.
//   3) Accuracy against the full IAU 1982 formula (ERFA eraGmst82 with UT1 = UT): the constant
//      is rounded (24110.54841 s = 6.6973745583 h, 1.2e-6 s), the sidereal rate 1.0027379093
//      too (5.1e-11 of the hour, <= 4.5e-6 s at 24 h), and the T^2, T^3 terms are taken at 0 h
//      rather than at the instant (up to 5.1e-6 s a day per century from J2000). Measured: under
//      1e-5 s within half a century of J2000, 1.05e-5 s within one, 5.5e-5 s at +-10 centuries.
//   4) For negative mjd Fix truncates toward zero, so h is negative; the result differs from the
//      floor-based count by 1e-9 h (4e-6 s), from the rounded sidereal rate.
// Reference: Aoki, S. et al. 1982, Astron. Astrophys. 105, 359 (the IAU 1982 GMST).
double GMST(double mjd);

// ---------------------------------------------------------------------------------------------
// SphFrom: longitude, latitude and distance of body b as seen from body a.
//
// Given:
//   a   int  from-body, 0..15 (X, Y, Z slot)
//   b   int  to-body, 0..38
// Returned (State):
//   dXij[a][b], dYij[a][b], dZij[a][b]  X(b)-X(a) etc., m
//   RHOij[a][b]                         sqrt(dX^2 + dY^2), m
//   Rast                                distance sqrt(rho^2 + dZ^2), m
//   Dolg[b]                             longitude, degrees 0..360
//   Shir                                latitude atan(dZ/rho), degrees -90..90
// Returned (function value): false when the two bodies coincide (rho = 0 and dZ = 0): the
//   direction is undefined, Shir is then left as it was (the pair tables, Rast = 0 and
//   Dolg[b] = 90 are stored); true otherwise.
// Notes:
//   1) Longitude: 90 by default, 270 when dY < 0; when dX != 0, atan(dY/dX)*kUgol, plus 360
//      when dX >= 0 and dY < 0, plus 180 when dX < 0. dX = 0 thus gives exactly 90 or 270.
//   2) On the Z axis (rho = 0, dZ != 0) the latitude is +-pi/2*kUgol; with the program's Pi
//      (3.14159265359, 2.1e-13 above pi) that is 90 - 6e-12 degrees.
bool SphFrom(State& s, int a, int b);

// ---------------------------------------------------------------------------------------------
// XYZfromSph: rectangular coordinates from spherical.
//
// Given:   k  int  object slot 0..38;  L, B  longitude and latitude, degrees;  R  distance
// Returned (State): X[k] = R cos B cos L, Y[k] = R cos B sin L, Z[k] = R sin B (unit of R)
void XYZfromSph(State& s, int k, double L, double B, double R);

// ---------------------------------------------------------------------------------------------
// ObliquityOfDate: mean obliquity of the ecliptic used by EquToEcl and EclToEqu.
//
// Given:     T  double  Julian centuries from J2000
// Returned:     double  degrees: 23.43929111 - (46.815 T + 0.00059 T^2 - 0.001813 T^3)/3600
// Reference: Lieske, J.H. et al. 1977, Astron. Astrophys. 58, 1 (IAU 1976 obliquity).
double ObliquityOfDate(double T);

// ---------------------------------------------------------------------------------------------
// EquToEcl / EclToEqu: rotation of object s.I between the mean equator and the mean ecliptic of
// the date, about the X axis (the equinox) by the obliquity of ObliquityOfDate(T).
//
// Given:   T  double  Julian centuries from J2000;  s.I  the object slot (0..38)
// Returned (State): Y[I], Z[I] rotated, X[I] unchanged.
//   EquToEcl: Y' = Y cos e + Z sin e;  Z' = Z cos e - Y sin e
//   EclToEqu: Y' = Y cos e - Z sin e;  Z' = Z cos e + Y sin e
void EquToEcl(State& s, double T);
void EclToEqu(State& s, double T);

// ---------------------------------------------------------------------------------------------
// PrecEcl: precession matrix for ecliptic coordinates, mean ecliptic and equinox of T0 to those
// of T1 (IAU 1976 precession).
//
// Given:   T0, T1  double  epochs, Julian centuries from J2000 (TT)
// Returned (State): Pmat, Pmat[j][i] = coefficient of input component j in output component i.
// Notes:
//   1) With T = T0, t = T1 - T0, arc-seconds:
//      pi_A = (47.0029 - 0.06603 T + 0.000598 T^2) t + (-0.03302 + 0.000598 T) t^2 + 0.00006 t^3
//      Pi_A = 174.876383889 deg + 3289.4789 T + 0.60622 T^2 - (869.8089 + 0.50491 T) t
//             + 0.03536 t^2
//      p_A  = (5029.0966 + 2.22226 T - 0.000042 T^2) t + (1.11113 - 0.000042 T) t^2
//             - 0.000006 t^3
//      and the matrix is R3(-(Pi_A + p_A)) R1(pi_A) R3(Pi_A).
//   2) Pi_A is the longitude of the node of the ecliptic of T1 on that of T0; its 3289.4789 and
//      0.60622 terms grow with the starting epoch T, not with the interval t (a form with
//      (3289.4789 + 0.60622 T) t misplaces the node by 0.9 deg per century and the whole
//      rotation by 0.75" after one century, 100" after ten).
//   3) Agrees with the equatorial precession (ERFA eraPrec76) turned through the obliquities of
//      T0 and T1 (eraObl80) to 1e-4" within a century of J2000; Lieske's ecliptic and
//      equatorial polynomials then drift apart as |t| max(|T0|,|T1|)^3: 0.16" from J2000 to
//      +-10 centuries, 1.6" from -10 to +10.
// Reference: Lieske, J.H. et al. 1977, Astron. Astrophys. 58, 1; Meeus, J., Astronomical
//   Algorithms, 2nd ed. 1998, eq. 21.5.
void PrecEcl(State& s, double T0, double T1);

// ---------------------------------------------------------------------------------------------
// PrecEqu: precession matrix for equatorial coordinates, mean equator and equinox of T0 to
// those of T1 (IAU 1976 precession).
//
// Given:   T0, T1  double  epochs, Julian centuries from J2000 (TT)
// Returned (State): Pmat as for PrecEcl; the matrix is R3(-z) R2(theta) R3(-zeta).
// Notes:
//   1) With T = T0, t = T1 - T0, arc-seconds:
//      zeta  = (2306.2181 + 1.39656 T - 0.000139 T^2) t + (0.30188 - 0.000345 T) t^2
//              + 0.017998 t^3
//      z     = zeta + (0.7928 + 0.000411 T) t^2 + 0.000205 t^3
//      theta = (2004.3109 - 0.8533 T - 0.000217 T^2) t - (0.42665 + 0.000217 T) t^2
//              - 0.041833 t^3
//   2) The T t^2 coefficient of zeta is 0.000345 here against Lieske's 0.000344 (z is Lieske's
//      exactly): the two differ by 1e-6" |T| t^2, at most 0.004" (2e-8 rad) for epochs within
//      +-10 centuries of J2000, and not at all from J2000 (T = 0).
// Reference: Lieske, J.H. et al. 1977, Astron. Astrophys. 58, 1.
void PrecEqu(State& s, double T0, double T1);

// ---------------------------------------------------------------------------------------------
// ApplyPrec: applies Pmat to X, Y, Z of object s.I (0..38), all three outputs from the old
// values.
void ApplyPrec(State& s);

// ---------------------------------------------------------------------------------------------
// Nutation: adds or removes the nutation of a rectangular equatorial vector (low-precision
// series, first order in the nutation angles).
//
// Given:
//   T     double   Julian centuries from J2000 (TT)
//   mode  int16    0: mean -> true equator and equinox; 1: true -> mean; other: no change
// Given/returned:
//   x, y, z  double&  equatorial vector (any unit)
// Notes:
//   1) Arguments in revolutions, reduced with Frac and multiplied by 2 Pi:
//      l' = 0.993133 + 99.997306 T, D = 0.827362 + 1236.853087 T,
//      F = 0.259089 + 1342.227826 T, Omega = 0.347346 - 5.372447 T; e = 0.4090928 - 0.00022696 T.
//      dpsi = (-17.2 sin Om - 1.319 sin 2(F-D+Om) - 0.227 sin 2(F+Om) + 0.206 sin 2Om
//              + 0.143 sin l') / 206264.8062
//      deps = (9.203 cos Om + 0.574 cos 2(F-D+Om) + 0.098 cos 2(F+Om) - 0.09 cos 2Om)
//              / 206264.8062
//      dx = -dpsi cos e y - dpsi sin e z;  dy = dpsi cos e x - deps z;  dz = dpsi sin e x + deps y.
//   2) The five terms keep the nutation within 0.26" of the 106-term IAU 1980 series (ERFA
//      eraNut80) for |T| <= 1 and within 0.45" for |T| <= 10 (the Omega term lacks its rate
//      -0.0174" T); the first-order rotation adds errors of order dpsi^2 ~ 1e-8 rad, and mode 0
//      followed by mode 1 returns the vector to that order (8e-9 measured).
// Reference: Montenbruck, O. and Pfleger, T., Astronomy on the Personal Computer, Springer
//   (routine NUTEQU); Seidelmann, P.K. 1982, Celest. Mech. 27, 79 (IAU 1980 nutation).
void Nutation(const State& s, double T, double& x, double& y, double& z, int16 mode);

// ---------------------------------------------------------------------------------------------
// EquToHor: horizontal unit vector of the direction with hour angle s.Tau and declination
// s.Bk[k] at latitude s.ObsB (all degrees).
//
// Returned (State): X[k] = sin phi cos d cos t - sin d cos phi;  Y[k] = cos d sin t;
//   Z[k] = cos phi cos d cos t + sin phi sin d.  SphFrom of this vector from an origin at zero
//   gives the azimuth (from the south, positive toward the west) as the longitude and the
//   altitude as the latitude.
void EquToHor(State& s, int k);

// ---------------------------------------------------------------------------------------------
// HorToEqu: equatorial (hour-angle) unit vector of the direction with azimuth s.Agor (from the
// south toward the west) and altitude s.Hgor at latitude s.ObsB; the inverse of EquToHor.
//
// Returned (State): X[k] = sin phi cos h cos A + sin h cos phi;  Y[k] = cos h sin A;
//   Z[k] = sin phi sin h - cos A cos h cos phi.  SphFrom gives the hour angle (westward) and
//   the declination.
void HorToEqu(State& s, int k);

// ---------------------------------------------------------------------------------------------
// Refraction: astronomical refraction for an observed zenith distance.
//
// Given:     z  double  zenith distance, degrees
// Returned:     double  refraction, degrees (arc-seconds / 3600)
// Notes:
//   1) z <= 86: 57.1" tan z - 0.0208" tan^3 z.
//   2) 86 < z <= 90: linear in half-degree steps of the table 86.0 755.74", 86.5 832.67",
//      87.0 925", 87.5 1026", 88.0 1147", 88.5 1321.5", 89.0 1536", 89.5 1788", 90.0 2040";
//      a step is chosen by lower end < z <= upper end.
//   3) z > 90: 2040".
//   4) The tangent series is the classical one for a plane-parallel atmosphere; its constant
//      57.1" gives 4.4 % less than Bennett's formula for the standard atmosphere at z = 45, and
//      the horizon table runs up to 7.5 % above it near z = 87 (2040" at the horizon against
//      Bennett's 2069").
// Reference: Bennett, G.G. 1982, J. Navigation 35, 255 (for comparison).
double Refraction(const State& s, double z);

}  // namespace orvant
