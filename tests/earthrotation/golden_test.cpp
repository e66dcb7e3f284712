// Golden outputs of screen 16's step chain: `orvant-cli eclipse` over 2000-2100 with the JPL0
// theory and over 2006 with DE405 (JPL2), byte for byte against tests/earthrotation/golden/
// (support/golden.h). The search time printed on the last line is left out.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/golden.h"
#include "support/temp_dir.h"

namespace orvant {
namespace {

namespace fs = std::filesystem;

// The report without the search time of its last line ("время поиска ... с").
std::string withoutTime(std::string out) {
  const std::size_t at = out.rfind("; время поиска");
  if (at != std::string::npos) out.erase(at, out.find('\n', at) - at);
  return out;
}

struct CliDir {
  fs::path path = test::freshTempDir("orvant_golden_ecl_");
  ~CliDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

TEST(GoldenEclipse, JplZeroOverACenturyAndJplTwoOver2006) {
  if (!fs::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli not built";
  CliDir d;
  int status = -1;
  const std::string dir = "--dir '" + d.path.string() + "' ";
  const std::string jpl0 =
      test::cliOutput(dir + "eclipse 2000-01-01 2100-01-01 --source JPL0", status);
  EXPECT_EQ(status, 0);
  test::expectGolden("earthrotation/golden/eclipse_jpl0_2000_2100.txt",
                     test::digestOf(withoutTime(jpl0), 25));

  const fs::path de = fs::path(ORVANT_SHARED_DIR) / "de405" / "ascp2000.405";
  if (!fs::exists(de)) GTEST_SKIP() << "JPL DE405 data absent: " << de;
  fs::create_directories(d.path / "JPL");
  fs::create_symlink(de, d.path / "JPL" / "ascp2000.405");
  const std::string jpl2 = test::cliOutput(
      dir + "eclipse 2006-01-01 2007-01-01 --source JPL2 --kinds solar,lunar,mercury", status);
  EXPECT_EQ(status, 0);
  test::expectGolden("earthrotation/golden/eclipse_jpl2_2006.txt", withoutTime(jpl2));
}

}  // namespace
}  // namespace orvant
