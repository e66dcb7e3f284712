// The one checked conversion of the writers, the print line that refuses what a file cannot hold,
// and the safe writer's refusals of read-only files and folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "model/format.h"
#include "model/textfile.h"

namespace orvant {
namespace {

namespace fs = std::filesystem;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(CheckedConversion, BoundariesOfThe64BitIntegers) {
  // 2^63 is the first value beyond; the largest double below it converts exactly.
  EXPECT_FALSE(checkedScaledInt(9223372036854775808.0, 1));
  EXPECT_EQ(checkedScaledInt(9223372036854774784.0, 1), 9223372036854774784LL);
  EXPECT_EQ(checkedScaledInt(-9223372036854775808.0, 1), std::numeric_limits<std::int64_t>::min());
  EXPECT_FALSE(checkedScaledInt(-9223372036854777856.0, 1));
  EXPECT_FALSE(checkedScaledInt(kNaN, 1));
  EXPECT_FALSE(checkedScaledInt(kInf, 1));
  EXPECT_FALSE(checkedScaledInt(1e300, 1e300));  // the product overflows to infinity
  EXPECT_EQ(checkedScaledInt(-1.7, 1), -1);       // toward zero
  EXPECT_FALSE(checkedScaledInt(1e21, 1));        // a record number a damaged file may hold
}

TEST(CheckedConversion, StoredIntKeepsReadBackValuesAndRefusesTheRest) {
  EXPECT_EQ(checkedStoredInt(0.29, 1e8), 29000000);         // not 28999999
  EXPECT_EQ(checkedStoredInt(123456789.0 / 1e6, 1e6), 123456789);
  EXPECT_EQ(checkedStoredInt(-0.0000015, 1e6), -1);
  EXPECT_EQ(checkedStoredInt(2451545.257, 100), 245154525);
  EXPECT_FALSE(checkedStoredInt(kNaN, 100));
  EXPECT_FALSE(checkedStoredInt(1e17, 100));                // a JD0 no record file can hold
  EXPECT_FALSE(checkedStoredInt(-kInf, 1e6));
}

TEST(PrintLineLimits, NothingUnwritableIsPrinted) {
  PrintLine good;
  good.number(1.5).stored(2.5, 100).integer(-3);
  EXPECT_TRUE(good.ok());
  EXPECT_EQ(good.str(), " 1.5           250          -3 ");
  for (double bad : {kNaN, kInf, -kInf}) {
    PrintLine line;
    line.number(1).number(bad).number(2);
    EXPECT_FALSE(line.ok());
    EXPECT_EQ(line.str().find("nan"), std::string::npos);
    EXPECT_EQ(line.str().find("inf"), std::string::npos);
  }
  PrintLine big;
  big.stored(1e12, 1e8);  // 1e20
  EXPECT_FALSE(big.ok());
  EXPECT_EQ(big.str(), "");
}

TEST(FormatMaskLimits, LargeValuesKeepAllTheirDigits) {
  // Beyond the width of any fixed buffer the digits are still all there.
  const std::string s = formatMask(1e70, "000000000.000");
  EXPECT_EQ(s.size(), 71u + 4u);
  EXPECT_EQ(s.substr(0, 2), "10");
  EXPECT_EQ(s.substr(s.size() - 4), ",000");
}

// A work folder removed at the end, with its permissions given back first.
struct Folder {
  fs::path path;
  Folder() {
    std::string tmpl = (fs::temp_directory_path() / "orvant_lim_XXXXXX").string();
    path = mkdtemp(tmpl.data());
  }
  ~Folder() {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (const auto& e : fs::directory_iterator(path, ec))
      fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
  }
};

std::string contentOf(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(SafeWriter, AReadOnlyFileInAWritableFolderIsNotReplaced) {
  // Checked on the file's mode, so that it holds for the superuser as well (CI runs as root).
  Folder f;
  const fs::path file = f.path / "Orvant1.dat";
  { std::ofstream(file) << "old\n"; }
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(writable(file));
  EXPECT_EQ(replaceFileContent(file, "new\n"), WriteStatus::WriteError);
  EXPECT_EQ(contentOf(file), "old\n");
  EXPECT_FALSE(fs::exists(f.path / "Orvant1.dat.tmp"));
  EXPECT_FALSE(appendLineWhole(file, "more"));
  EXPECT_EQ(contentOf(file), "old\n");
  EXPECT_EQ((fs::status(file).permissions() & fs::perms::owner_write), fs::perms::none);
  // Writable again: replaced.
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(writable(file));
  EXPECT_EQ(replaceFileContent(file, "new\n"), WriteStatus::Ok);
  EXPECT_EQ(contentOf(file), "new\n");
}

TEST(SafeWriter, MissingFolderIsCannotCreateAReadOnlyFolderAWriteError) {
  Folder f;
  EXPECT_EQ(replaceFileContent(f.path / "none" / "a.txt", "x"), WriteStatus::CannotCreate);
  EXPECT_EQ(replaceFileContent(f.path / "made" / "a.txt", "x", true), WriteStatus::Ok);
  if (geteuid() == 0) GTEST_SKIP() << "running as root: a read-only folder takes files anyway";
  const fs::path ro = f.path / "ro";
  fs::create_directories(ro);
  { std::ofstream(ro / "a.txt") << "old\n"; }
  fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(replaceFileContent(ro / "a.txt", "new\n"), WriteStatus::WriteError);
  EXPECT_EQ(replaceFileContent(ro / "b.txt", "new\n", true), WriteStatus::WriteError);
  EXPECT_EQ(contentOf(ro / "a.txt"), "old\n");
  fs::permissions(ro, fs::perms::owner_all);
}

}  // namespace
}  // namespace orvant
