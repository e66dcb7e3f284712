#include "earthrotation/eclipse_finder.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvant {

namespace {

constexpr double kTolDays = 1e-7;   // 0.009 s
constexpr double kMarginDeg = 2.0;  // coarse sampling: a minimum may lie this much lower
constexpr long kCoarseBatch = 512;  // coarse steps whose table evaluations go in one request

// One pair of disks at one instant: separation of the centres and the two radii (degrees), with
// the altitudes of the Sun, the Moon (or object) and the covered body.
struct PairSample {
  double sep = 0, rCover = 0, rCovered = 0;
  double sunAlt = 0, bodyAlt = 0, coveredAlt = 0;
  bool behind = false;  // the object is farther than the Sun (a superior conjunction)
};

class PairEvaluator {
 public:
  PairEvaluator(State& s, const EclipseSettings& base, EclEventKind kind)
      : s_(s), set_(base), kind_(kind) {
    set_.k = kind == EclEventKind::Mercury ? 1 : kind == EclEventKind::Venus ? 2 : 11;
    set_.outlineMoon = kind == EclEventKind::Lunar;
  }
  // False when the chain failed (status kept).
  bool at(double jd, PairSample& p) {
    EclipseStep st;
    status_ = eclipseStep(s_, set_, jd, st);
    if (status_ != EclStatus::Ok) return false;
    if (kind_ == EclEventKind::Lunar) {
      // A lunar eclipse is the same for every observer: the Moon's centre against the axis of
      // the umbra seen from the Earth's centre (the apparent places of the date), the umbra
      // enlarged for the atmosphere as the canons do, the Moon's geocentric semi-diameter.
      double shadowRa = st.L[kStNut][0] + 180;
      if (shadowRa >= 360) shadowRa -= 360;
      p.sep = angularSeparation(st.L[kStNut][1], st.B[kStNut][1], shadowRa, -st.B[kStNut][0]);
      p.rCover = umbraRadiusDeg(st.moonDist, st.sunDist, s_.Dpl[0], s_.Dpl[3]);
      p.rCovered = std::atan(s_.Dpl[11] / 2 / st.moonDist) * 180 / M_PI;
      p.coveredAlt = st.alt[1];
    } else {
      p.sep = angularSeparation(st.ra[0], st.dec[0], st.ra[1], st.dec[1]);
      p.rCover = st.rho[1];
      p.rCovered = st.rho[0];
      p.coveredAlt = st.alt[0];
    }
    p.sunAlt = st.alt[0];
    p.bodyAlt = st.alt[1];
    p.behind = st.dist[1] > st.dist[0];
    return true;
  }
  // The table evaluations of coming steps at these UT dates, in one request.
  void prefetch(const std::vector<double>& jds) { eclipsePrefetch(s_, set_, jds); }
  EclStatus status() const { return status_; }
  EclEventKind kind() const { return kind_; }

 private:
  State& s_;
  EclipseSettings set_;
  EclEventKind kind_;
  EclStatus status_ = EclStatus::Ok;
};

// Refines the minimum bracketed by [a, b] and, when the disks meet, the contacts. False when the
// chain failed; `found` tells whether an event was recorded.
bool refine(PairEvaluator& ev, double a, double b, const EclFinderOptions& opt, EclEvent& out,
            bool& found) {
  found = false;
  bool ok = true;
  PairSample p;
  auto sep = [&](double t) {
    if (!ok || !ev.at(t, p)) {
      ok = false;
      return 0.0;
    }
    return p.sep;
  };
  double smin = 0;
  const double tmax = brentMin(sep, a, b, kTolDays, smin);
  if (!ok) return false;
  PairSample m;
  if (!ev.at(tmax, m)) return false;
  if (m.sep >= m.rCover + m.rCovered || m.behind) return true;  // the disks do not meet
  out = EclEvent{};
  out.kind = ev.kind();
  out.jdMax = tmax;
  out.sep = m.sep;
  out.rhoCover = m.rCover;
  out.rhoCovered = m.rCovered;
  const bool planet = out.kind == EclEventKind::Mercury || out.kind == EclEventKind::Venus;
  const double diam = planet ? 2 * m.rCover : 2 * m.rCovered;
  out.magnitude = (m.rCover + m.rCovered - m.sep) / diam;
  if (planet) out.magnitude = std::min(1.0, out.magnitude);
  const double pi = M_PI;
  out.obscured = diskOverlapArea(m.rCover, m.rCovered, m.sep) / (pi * m.rCovered * m.rCovered);
  out.sunAlt = m.sunAlt;
  out.bodyAlt = m.bodyAlt;
  out.moonAlt = planet ? NAN : m.bodyAlt;
  const bool inner = m.sep < std::fabs(m.rCover - m.rCovered);
  if (inner) {
    if (planet) {
      out.type = 'I';
    } else if (out.kind == EclEventKind::Lunar) {
      out.type = 'T';
    } else {
      out.type = m.rCover > m.rCovered ? 'T' : 'A';
    }
  }
  // Contacts: roots of sep - (r1 + r2) and sep - |r1 - r2| on both sides of the maximum.
  const double stepOut = planet ? 0.05 : 0.02, reach = planet ? 1.0 : 0.5;
  auto contact = [&](bool innerContact, int dir, double& when) {
    auto g = [&](double t) {
      if (!ok || !ev.at(t, p)) {
        ok = false;
        return 0.0;
      }
      return p.sep - (innerContact ? std::fabs(p.rCover - p.rCovered) : p.rCover + p.rCovered);
    };
    const double g0 = g(tmax);
    double t0 = tmax, f0 = g0;
    for (double t = tmax + dir * stepOut; std::fabs(t - tmax) <= reach + 1e-9;
         t += dir * stepOut) {
      const double f1 = g(t);
      if (!ok) return;
      if (f1 > 0) {
        when = dir > 0 ? brentRoot(g, t0, t, f0, f1, kTolDays) : brentRoot(g, t, t0, f1, f0, kTolDays);
        return;
      }
      t0 = t, f0 = f1;
    }
  };
  contact(false, -1, out.c1);
  contact(false, +1, out.c4);
  if (inner) {
    contact(true, -1, out.c2);
    contact(true, +1, out.c3);
  }
  if (!ok) return false;
  if (opt.visibleOnly) {
    bool seen = m.coveredAlt > 0;
    for (double t : {out.c1, out.c4})
      if (std::isfinite(t) && ev.at(t, p) && p.coveredAlt > 0) seen = true;
    if (!seen) return true;
  }
  found = true;
  return true;
}

}  // namespace

double diskOverlapArea(double r1, double r2, double d) {
  const double pi = M_PI;
  if (d >= r1 + r2) return 0;
  const double rmin = std::min(r1, r2);
  if (d <= std::fabs(r1 - r2)) return pi * rmin * rmin;
  const double a1 = std::acos(std::clamp((d * d + r1 * r1 - r2 * r2) / (2 * d * r1), -1.0, 1.0));
  const double a2 = std::acos(std::clamp((d * d + r2 * r2 - r1 * r1) / (2 * d * r2), -1.0, 1.0));
  const double k = std::sqrt(std::max(0.0, (-d + r1 + r2) * (d + r1 - r2) * (d - r1 + r2) *
                                               (d + r1 + r2)));
  return r1 * r1 * a1 + r2 * r2 * a2 - 0.5 * k;
}

EclStatus findEclipses(State& s, const EclipseSettings& base, const EclFinderOptions& opt,
                       std::vector<EclEvent>& events) {
  const std::size_t first = events.size();
  struct Track {
    EclEventKind kind;
    double h;
  };
  std::vector<Track> tracks;
  if (opt.solar) tracks.push_back({EclEventKind::Solar, opt.coarseMoonDays});
  if (opt.lunar) tracks.push_back({EclEventKind::Lunar, opt.coarseMoonDays});
  if (opt.mercury) tracks.push_back({EclEventKind::Mercury, opt.coarsePlanetDays});
  if (opt.venus) tracks.push_back({EclEventKind::Venus, opt.coarsePlanetDays});
  for (const Track& tr : tracks) {
    PairEvaluator ev(s, base, tr.kind);
    const EclStatus begun = eclipseBegin(s, EclipseSettings(base), opt.jdFrom - tr.h);
    if (begun != EclStatus::Ok) return begun;
    double s2 = NAN, s1 = NAN, r1 = 0;
    double lastEvent = -1e300;
    const long n = static_cast<long>(std::ceil((opt.jdTo - opt.jdFrom) / tr.h)) + 2;
    long askedTo = -1;  // the coarse steps whose table evaluations were asked for ahead
    for (long i = 0; i <= n; ++i) {
      const double t = opt.jdFrom - tr.h + static_cast<double>(i) * tr.h;
      if (i > askedTo) {
        askedTo = std::min(n, i + kCoarseBatch - 1);
        std::vector<double> ahead;
        for (long j = i; j <= askedTo; ++j)
          ahead.push_back(opt.jdFrom - tr.h + static_cast<double>(j) * tr.h);
        ev.prefetch(ahead);
      }
      PairSample p;
      if (!ev.at(t, p)) return ev.status();
      // A local minimum at the previous sample, near enough to a contact.
      if (std::isfinite(s2) && s1 < s2 && s1 <= p.sep && s1 < r1 + kMarginDeg) {
        const double tm = t - tr.h;
        if (tm >= opt.jdFrom - tr.h && tm - lastEvent > 2 * tr.h) {
          EclEvent e;
          bool found = false;
          if (!refine(ev, tm - tr.h, t, opt, e, found)) return ev.status();
          if (found && e.jdMax >= opt.jdFrom && e.jdMax < opt.jdTo) {
            events.push_back(e);
            lastEvent = tm;
          }
        }
      }
      s2 = s1;
      s1 = p.sep;
      r1 = p.rCover + p.rCovered;
    }
  }
  std::sort(events.begin() + static_cast<long>(first), events.end(),
            [](const EclEvent& a, const EclEvent& b) { return a.jdMax < b.jdMax; });
  return EclStatus::Ok;
}

}  // namespace orvant
