// Periodic perturbations: the sums of MoonPert and PlanetPert against sums written out by hand
// for one set of mean angles, the plan override, and the coefficient file Dat/dL<N>.dat.
#include "ephemeris/perturbations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "model/state.h"
#include "support/temp_dir.h"

namespace orvant {
namespace {

namespace fs = std::filesystem;

// Mean angles given in degrees, stored in radians as the theories leave them.
void setAngles(State& s, int i, double lambda, double perihelion, double node = 0) {
  s.AlfaL[i] = lambda / s.kUgol;
  s.AlfaP0[i] = perihelion / s.kUgol;
  s.AlfaU0[i] = node / s.kUgol;
}

// The Moon at lambda 100, node 30, perigee 245; the Earth at lambda 40, perihelion 103 degrees.
// By hand: lambdaS = 220, piS = 283; D = -120 + 360 = 240, F = 70, L = -145 + 360 = 215,
// Ls = -63 + 360 = 297 degrees.
void moonCase(State& s) {
  setAngles(s, 11, 100, 245, 30);
  setAngles(s, 3, 40, 103);
}

constexpr double kDegTol = 1e-12;  // angles: a few ulps of 2 pi

TEST(MoonPert, AnglesTakeTheSunAsTheEarthPlusHalfACircle) {
  State s;
  moonCase(s);
  const MoonPertAngles a = MoonAngles(s);
  EXPECT_NEAR(a.D * s.kUgol, 240, kDegTol);
  EXPECT_NEAR(a.F * s.kUgol, 70, kDegTol);
  EXPECT_NEAR(a.L * s.kUgol, 215, kDegTol);
  EXPECT_NEAR(a.Ls * s.kUgol, 297, kDegTol);
  // A difference is raised by 360 once only: lambda(11) = 0 and lambda(3) = 359 give
  // lambdaS = 539 and D = 0 - 539 + 360 = -179 degrees, not reduced again.
  setAngles(s, 11, 0, 0, 0);
  setAngles(s, 3, 359, 0);
  EXPECT_NEAR(MoonAngles(s).D * s.kUgol, -179, 1e-9);
}

TEST(MoonPert, AddsTheHandComputedSums) {
  State s;
  moonCase(s);
  // Every entry its default value (also the ones unticked on the screen) and marks in the
  // unused entries, which must not count.
  const double c1 = 6.2889, c2 = 0.2136, c3 = -1.2739, c4 = 0.6583, c5 = -0.1856, c6 = -0.1144,
               c7 = -0.0347, c8 = 0.0588, c9 = 0.0571, c10 = 0.0533, c11 = 0.2806, c12 = 0.2777,
               c13 = 0.1732, c14 = 0.0554, c15 = 0.0462, c16 = 0.0326, c25 = -0.0458,
               c26 = 0.0411, c27 = -0.0306, c28 = -0.0153;
  s.dLdB = {0,   c1,  c2,  c3,  c4,  c5,  c6,  c7,  c8,  c9,  c10, c11, c12, c13, c14,
            c15, c16, 100, 100, 100, 100, 100, 100, 100, 100, c25, c26, c27, c28, 100};
  s.dLdB[0] = 100;
  s.Lk[11] = 123.0;
  s.Bk[11] = -4.0;
  // Sines of D = 240, F = 70, L = 215, Ls = 297 degrees, nine decimals:
  const double dL = c1 * -0.573576436      // sin L = sin 215
                    + c2 * 0.939692621     // sin 2L = sin 430
                    + c3 * 0.996194698     // sin(L - 2D) = sin(-265)
                    + c4 * 0.866025404     // sin 2D = sin 480
                    + c5 * -0.891006524    // sin Ls = sin 297
                    + c6 * 0.642787610     // sin 2F = sin 140
                    + c7 * -0.866025404    // sin D = sin 240
                    + c8 * 0.766044443     // sin(2D - 2L) = sin 50
                    + c9 * -0.529919264    // sin(2D - L - Ls) = sin(-32)
                    + c10 * -0.422618262   // sin(2D + L) = sin 695
                    + c25 * 0.052335956    // sin(Ls - 2D) = sin(-183)
                    + c26 * -0.990268069   // sin(L - Ls) = sin(-82)
                    + c27 * 0.469471563    // sin(Ls + L) = sin 512
                    + c28 * 0.342020143;   // sin(2F - 2D) = sin(-340)
  const double dB = c11 * -0.965925826     // sin(F + L) = sin 285
                    + c12 * 0.573576436    // sin(L - F) = sin 145
                    + c13 * 0.766044443    // sin(2D - F) = sin 410
                    + c14 * -0.422618262   // sin(2D - L + F) = sin 335
                    + c15 * -0.258819045   // sin(2D - L - F) = sin 195
                    + c16 * -0.173648178;  // sin(2D + F) = sin 550
  ASSERT_TRUE(MoonPert(s));
  // Nine-decimal sines times coefficients up to 6.3: at most 20 * 5e-10 * 6.3 = 6e-8 degree.
  EXPECT_NEAR(s.Lk[11] - 123.0, dL, 1e-7);
  EXPECT_NEAR(s.Bk[11] + 4.0, dB, 1e-7);
  // The typed sines checked against the same sum with exact sines (evaluated separately):
  EXPECT_NEAR(dL, -4.0539436920, 1e-7);
  EXPECT_NEAR(dB, -0.0201091351, 1e-7);
}

TEST(MoonPert, ANonFiniteSumIsAFailureAndChangesNothing) {
  State s;
  moonCase(s);
  s.dLdB[13] = INFINITY;
  s.Lk[11] = 1;
  s.Bk[11] = 2;
  EXPECT_FALSE(MoonPert(s));
  EXPECT_EQ(s.Lk[11], 1);
  EXPECT_EQ(s.Bk[11], 2);
}

const double kC1[9] = {0, 0.01, 0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.08};
const double kC2[9] = {0, -0.003, -0.006, -0.009, -0.012, -0.015, -0.018, -0.021, -0.024};
const double kPar[9] = {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8};

// The Earth (I = 3) perturbed by Venus (2) and Jupiter (5):
//   Earth lambda 40, pi 102; Venus lambda 300, pi 131; Jupiter lambda 10, pi 14 degrees.
// By hand: L = -62 + 360 = 298, L1 = 169, L2 = -4 + 360 = 356, D1 = -260 + 360 = 100, D2 = 30.
void planetCase(State& s) {
  setAngles(s, 3, 40, 102);
  setAngles(s, 2, 300, 131);
  setAngles(s, 5, 10, 14);
  s.Ipl21[3] = 2;
  s.Ipl22[3] = 5;
  for (int j = 1; j <= 8; ++j) {
    s.PertDL[1][30 + j] = kC1[j];
    s.PertDL[2][30 + j] = kC2[j];
  }
  // Other planets' entries must not count.
  for (int n = 11; n <= 28; ++n) s.PertDL[1][n] = s.PertDL[2][n] = 50;
}

// S1 by hand with the coefficients p[1..8] of perturber 1.
double handS1(const double p[9]) {
  return p[1] * 0.990268069     // sin(L - 2 D1) = sin 98
         + p[2] * -0.342020143  // sin(2 D1) = sin 200
         + p[3] * 0.984807753   // sin(D1) = sin 100
         + p[4] * 0.190808995   // sin(L1) = sin 169
         + p[5] * -0.587785252  // sin(2 D1 - 2 L) = sin(-396)
         + p[6] * 0.998629535   // sin(2 D1 - L - L1) = sin(-267)
         + p[7] * 0.669130606   // sin(2 D1 + L) = sin 498
         + p[8] * -0.515038075; // sin(L1 - 2 D1) = sin(-31)
}

double handS2(const double p[9]) {
  return p[1] * -0.848048096    // sin(L - 2 D2) = sin 238
         + p[2] * 0.866025404   // sin(2 D2) = sin 60
         + p[3] * 0.500000000   // sin(D2) = sin 30
         + p[4] * -0.069756474  // sin(L2) = sin 356
         + p[5] * -0.069756474  // sin(2 D2 - 2 L) = sin(-536)
         + p[6] * 0.809016994   // sin(2 D2 - L - L2) = sin(-594)
         + p[7] * -0.034899497  // sin(2 D2 + L) = sin 358
         + p[8] * -0.898794046; // sin(L2 - 2 D2) = sin 296
}


TEST(PlanetPert, AddsTheHandComputedSumsAndFillsTheWorkingRow) {
  State s;
  planetCase(s);
  s.Lk[3] = 200;
  ASSERT_TRUE(PlanetPert(s, 3));
  // Nine-decimal sines times coefficients up to 0.08: far below 1e-9 degree.
  EXPECT_NEAR(s.Lk[3] - 200, handS1(kC1) + handS2(kC2), 1e-9);
  for (int j = 1; j <= 8; ++j) {
    EXPECT_EQ(s.PertDL[1][j], kC1[j]);
    EXPECT_EQ(s.PertDL[2][j], kC2[j]);
  }
  EXPECT_EQ(s.Bk[3], 0);  // the planets' terms are in longitude only
}

TEST(PlanetPert, OnlyPlanetsOneToFourWithObjectNumbersAsPerturbers) {
  State s;
  planetCase(s);
  s.Lk[5] = 7;
  EXPECT_FALSE(PlanetPert(s, 5));
  EXPECT_FALSE(PlanetPert(s, 0));
  EXPECT_EQ(s.Lk[5], 7);
  s.Ipl22[3] = 14;  // beyond the object slots
  s.Lk[3] = 9;
  EXPECT_FALSE(PlanetPert(s, 3));
  EXPECT_EQ(s.Lk[3], 9);
}

TEST(Perturbations, ZeroCoefficientsLeaveThePositionsAlone) {
  State s;
  planetCase(s);
  moonCase(s);
  for (auto& row : s.PertDL) row.fill(0);
  s.Lk[3] = 33.125;
  s.Lk[11] = 17.25;
  s.Bk[11] = -3.5;
  ASSERT_TRUE(PlanetPert(s, 3, PlanOverride::On));
  ASSERT_TRUE(MoonPert(s));
  EXPECT_EQ(s.Lk[3], 33.125);
  EXPECT_EQ(s.Lk[11], 17.25);
  EXPECT_EQ(s.Bk[11], -3.5);
}

// The plan override: the experiment row replaces the working row of perturber k only.
struct PlanCase {
  State s;
  State::PertPlanRow row;
  PlanCase() {
    planetCase(s);
    row.Npl = 3;
    row.k = 2;
    for (int j = 1; j <= 8; ++j) row.par[j] = kPar[j];
    s.kodOTO = 1;
    s.Lk[3] = 0;
  }
  // PlanetPert of the Earth with `row` as the pass's plan row.
  bool pert(PlanOverride o = PlanOverride::On) {
    s.PertPlan = row;
    return PlanetPert(s, 3, o);
  }
};

TEST(PlanetPertPlan, TheExperimentRowReplacesOnePerturbersWorkingRow) {
  PlanCase p;
  ASSERT_TRUE(p.pert());
  EXPECT_NEAR(p.s.Lk[3], handS1(kC1) + handS2(kPar), 1e-8);
  for (int j = 1; j <= 8; ++j) {
    EXPECT_EQ(p.s.PertDL[1][j], kC1[j]);
    EXPECT_EQ(p.s.PertDL[2][j], kPar[j]);
    EXPECT_EQ(p.s.PertDL[2][30 + j], kC2[j]) << "the stored entry is kept";
  }
  // Perturber 1 chosen ("№1"): the other working row is replaced.
  p.row.k = 1;
  p.s.Lk[3] = 0;
  ASSERT_TRUE(p.pert());
  EXPECT_NEAR(p.s.Lk[3], handS1(kPar) + handS2(kC2), 1e-8);
  EXPECT_EQ(p.s.PertDL[1][31], kC1[1]);
}

TEST(PlanetPertPlan, TheSunObservedFitsTheEarth) {
  PlanCase p;
  p.row.Npl = 0;
  ASSERT_TRUE(p.pert());
  EXPECT_NEAR(p.s.Lk[3], handS1(kC1) + handS2(kPar), 1e-8);
}

TEST(PlanetPertPlan, NoOverrideWithoutTheSwitchTheVariantTheObjectOrARow) {
  const double stored = handS1(kC1) + handS2(kC2);
  const std::function<void(PlanCase&)> cases[] = {
      [](PlanCase& p) { p.s.kodOTO = 0; },
      [](PlanCase& p) { p.row.Npl = 4; },  // another planet observed
  };
  for (std::size_t c = 0; c < std::size(cases); ++c) {
    PlanCase p;
    cases[c](p);
    ASSERT_TRUE(p.pert());
    EXPECT_NEAR(p.s.Lk[3], stored, 1e-8) << c;
  }
  PlanCase none;  // no plan row for the pass (no plan linked)
  ASSERT_TRUE(PlanetPert(none.s, 3, PlanOverride::On));
  EXPECT_NEAR(none.s.Lk[3], stored, 1e-8);
  PlanCase p;  // screen 16's variant does not look at the row
  ASSERT_TRUE(p.pert(PlanOverride::Off));
  EXPECT_NEAR(p.s.Lk[3], stored, 1e-8);
}

// ---------------------------------------------------------------------------------------------
// The coefficient file.

struct TempDir {
  fs::path dir;
  TempDir() {
    dir = test::freshTempDir("orvant_pert_");
    fs::create_directories(dir);
  }
  ~TempDir() { fs::remove_all(dir); }
  fs::path write(const std::string& name, const std::string& text) const {
    const fs::path p = dir / name;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
    return p;
  }
  static std::string read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
};

PertTable junkTable() {
  PertTable t{};
  for (auto& row : t) row.fill(-777);
  return t;
}

// A file laid out by hand from the layout: twelve lines, coefficients times 10^6.
const char* const kFile =
    "Меркурий\n"
    " 1000000  2000000 -3000000  0  5  -6  7  8 \n"
    " 11  12  13  14  15  16  17  18 \n"
    "Венера\n"
    " 21  22  23  24  25  26  27  28 \n"
    " 31  32  33  34  35  36  37  38 \n"
    "Земля\n"
    " 41  42  43  44  45  46  47  48 \n"
    " 51  52  53  54  55  56  57  58 \n"
    "Марс\n"
    " 61  62  63  64  65  66  67  68 \n"
    " 71  72  73  74  75  76  77  -78 \n";

TEST(PertFile, WritesTheLayoutAndReadsBackTruncatedToTheFileUnit) {
  TempDir d;
  PertTable t{};
  for (int I = 1; I <= 4; ++I)
    for (int j = 1; j <= 8; ++j) {
      t[1][10 * I + j] = 0.001 * I + 0.0001 * j;
      t[2][10 * I + j] = -0.123456789 * j / I;
    }
  t[1][11] = -0.0000015;  // comes back as -0.000001 (truncated toward zero)
  t[1][12] = 0.0588;      // typed values keep their digits (58800, not 58799)
  t[2][48] = 0;
  const fs::path p = d.dir / "Dat" / "dL3.dat";
  ASSERT_EQ(WritePertFile(p, 1e6, t), PertWrite::Ok);

  std::istringstream text(TempDir::read(p));
  std::vector<std::string> lines;
  for (std::string l; std::getline(text, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "Меркурий");
  EXPECT_EQ(lines[3], "Венера");
  EXPECT_EQ(lines[6], "Земля");
  EXPECT_EQ(lines[9], "Марс");
  EXPECT_EQ(lines[1], "-1  58800  1300  1400  1500  1600  1700  1800 ");
  EXPECT_EQ(lines[11],
            "-30864 -61728 -92592 -123456 -154320 -185185 -216049  0 ");

  PertTable back = junkTable();
  ASSERT_EQ(ReadPertFile(p, 1e6, back), ReadStatus::Ok);
  EXPECT_EQ(back[1][11], -0.000001);
  EXPECT_EQ(back[1][12], 0.0588);
  for (int I = 1; I <= 4; ++I)
    for (int j = 1; j <= 8; ++j)
      for (int k = 1; k <= 2; ++k) {
        const double x = t[k][10 * I + j];
        EXPECT_LE(std::fabs(back[k][10 * I + j]), std::fabs(x) + 1e-12) << k << " " << I << j;
        EXPECT_NEAR(back[k][10 * I + j], x, 1e-6) << k << " " << I << j;
      }

  // Written again from what was read: the same file.
  const std::string first = TempDir::read(p);
  ASSERT_EQ(WritePertFile(p, 1e6, back), PertWrite::Ok);
  EXPECT_EQ(TempDir::read(p), first);
}

TEST(PertFile, AcceptsOtherLineBreaksCommasAndSplits) {
  TempDir d;
  // CRLF, commas, a planet's sixteen numbers on one line or spread over three, an empty line.
  const std::string text =
      "\xEF\xBB\xBFМеркурий\r\n"
      "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\r\n"
      "Венера\r\n"
      "1 2 3\r\n\r\n4 5 6 7 8 9 10\r\n11 12 13 14 15 16\r\n"
      "Земля\r\n1 2 3 4 5 6 7 8\r\n9 10 11 12 13 14 15 16\r\n"
      "Марс\r\n1 2 3 4 5 6 7 8\r\n9 10 11 12 13 14 15 1.6E1\r\n";
  PertTable t = junkTable();
  ASSERT_EQ(ReadPertFile(d.write("dL2.dat", text), 1e6, t), ReadStatus::Ok);
  for (int I = 1; I <= 4; ++I)
    for (int j = 1; j <= 8; ++j) {
      EXPECT_EQ(t[1][10 * I + j], j / 1e6) << I << j;
      EXPECT_EQ(t[2][10 * I + j], (j + 8) / 1e6) << I << j;
    }
}

TEST(PertFile, ShortOrNonNumericFilesAreRefusedWithTheTableUnchanged) {
  TempDir d;
  std::vector<std::string> bad;
  // Short: the last line missing; a name line missing; one number missing; empty.
  const std::string full = kFile;
  bad.push_back(full.substr(0, full.rfind(" 71")));
  bad.push_back(full.substr(0, full.find("Марс")));
  bad.push_back(std::string(kFile).replace(full.find(" -78"), 4, ""));
  bad.push_back("");
  // Non-numeric: a word, a number with a stray letter, a seventeenth number on the line.
  bad.push_back(std::string(kFile).replace(full.find(" 33 "), 4, " abc "));
  bad.push_back(std::string(kFile).replace(full.find(" 45 "), 4, " 45x "));
  bad.push_back(std::string(kFile).replace(full.find(" 18 "), 4, " 18 19 "));
  bad.push_back(std::string(kFile).replace(full.find(" 66 "), 4, " nan "));
  bad.push_back(std::string(kFile).replace(full.find(" 66 "), 4, " 1e400 "));
  for (std::size_t c = 0; c < bad.size(); ++c) {
    PertTable t = junkTable();
    EXPECT_EQ(ReadPertFile(d.write("bad.dat", bad[c]), 1e6, t), ReadStatus::ReadError) << c;
    EXPECT_EQ(t, junkTable()) << c;
  }
  PertTable t = junkTable();
  EXPECT_EQ(ReadPertFile(d.dir / "none.dat", 1e6, t), ReadStatus::NotFound);
  EXPECT_EQ(t, junkTable());
}

TEST(PertFile, AValueTheFileCannotHoldIsNotWrittenAndTheOldFileStays) {
  TempDir d;
  const fs::path p = d.write("Dat/dL5.dat", kFile);
  for (double v : {double(NAN), double(INFINITY), -double(INFINITY), 1e300, -9.3e12}) {
    PertTable t{};
    t[2][44] = v;
    EXPECT_EQ(WritePertFile(p, 1e6, t), PertWrite::BadValue) << v;
    EXPECT_EQ(TempDir::read(p), kFile);
  }
  // Just inside the 64-bit integers is written.
  PertTable t{};
  t[2][44] = 9.2e12;
  EXPECT_EQ(WritePertFile(p, 1e6, t), PertWrite::Ok);
}

}  // namespace
}  // namespace orvant
