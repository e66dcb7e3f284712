// The eclipse chain's links to the other subsystems' sources: the periodic corrections of
// screens 21 and 22 ("+dLl", "+dLp") and the ancient tables read through the spreadsheet driver.
#pragma once

#include <vector>

#include "earthrotation/eclipse_chain.h"
#include "model/state.h"

namespace orvant {

// JPL2: opens or steps the DE405 reader to the record that covers JDE (the next one when stepping
// on, else reopened). NoFile after a read failure, reported ("…\JPL\ascpYYYY.405").
EclStatus eclipseJplRecord(State& s, double JDE);

// Positions at JDE on the ecliptic of J2000, heliocentric (barycentric for JPL2): slots 0, 3, 11
// and k with their velocities, the Moon's geocentric Lk[11], Bk[11], Rij[3][11], and slot 14 (the
// Earth from the Earth-Moon barycentre); the periodic corrections and the table's places when
// the settings ask for them.
EclStatus eclipsePlaceBodies(State& s, const EclipseSettings& set, double JDut, double JDE);

// "+dLl": adds the Moon's periodic corrections (MoonPert) to Lk[11], Bk[11], the Moon's
// geocentric longitude and latitude, from the mean angles of slots 11 and 3. False on a
// non-finite sum.
bool eclipseMoonPert(State& s);

// "+dLp": adds the periodic correction of planet i (1..4) to its heliocentric longitude and
// rebuilds its position (slot i relative to the Sun, slot 0) at the same latitude and distance.
bool eclipsePlanetPert(State& s, int i);

// Tables: the geocentric ecliptic longitude and latitude of the Sun and of object k from the
// chosen table at the local date of the table's meridian (JDE + meridian/15/24, in the table's
// calendar and day start), placed at the distances of the kinematic theory's evaluation with the
// Earth at the origin. A table that serves an object gives its values; for the others (and for
// the Tycho workbook, with which the eclipse screen exchanges no cells) the theory's stay.
EclStatus eclipseTablePlace(State& s, const EclipseSettings& set, double JDE);

// The local date of the table's meridian for JDE in the table's calendar: sets s.Year, s.Month,
// s.Day (CalType and Hour0 are restored). False when the date does not convert.
bool eclipseTableDate(State& s, const EclipseSettings& set, double JDE);

// For steps whose instants are known ahead: the table's evaluations that eclipseTablePlace will
// ask for at the dynamical dates `JDEs` are made in one request (TabPrefetch). Nothing when the
// table exchanges no cells; a date that does not convert ends the list.
void eclipseTablePrefetch(State& s, const EclipseSettings& set, const std::vector<double>& JDEs);

}  // namespace orvant
