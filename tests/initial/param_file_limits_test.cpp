// The parameter file is never replaced when the user made it read-only, and a folder that takes no
// file is a write error, not a missing file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "initial/param_file.h"
#include "planets.h"
#include "support/files.h"

namespace orvant {
namespace {

namespace fs = std::filesystem;

struct Dir {
  fs::path path;
  Dir() {
    std::string tmpl = (fs::temp_directory_path() / "orvant_prm_XXXXXX").string();
    path = mkdtemp(tmpl.data());
  }
  ~Dir() {
    std::error_code ec;
    fs::permissions(path / "Dat", fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(path / "Dat" / "Orvant3.dat", fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
  }
};

TEST(ParamFileLimits, AReadOnlyFileIsRefusedWithTheWriteErrorAndKept) {
  Dir dir;
  State s = test::planetsJ2000();
  s.workDir = dir.path.string();
  ASSERT_TRUE(saveParamFile(s, 3)) << s.lastMessage;
  const fs::path file = dir.path / "Dat" / "Orvant3.dat";
  const std::string before = test::readAll(file);
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  s.VX[3] += 1000;  // a different file would be written
  EXPECT_FALSE(saveParamFile(s, 3));
  EXPECT_EQ(s.lastMessage, "Ошибка записи в файл \\Dat\\Orvant3.dat");
  EXPECT_EQ(test::readAll(file), before);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST(ParamFileLimits, AReadOnlyFolderIsAWriteErrorNotAMissingFile) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root: a read-only folder takes files anyway";
  Dir dir;
  State s = test::planetsJ2000();
  s.workDir = dir.path.string();
  fs::create_directories(dir.path / "Dat");
  fs::permissions(dir.path / "Dat", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(saveParamFile(s, 3));
  EXPECT_EQ(s.lastMessage, "Ошибка записи в файл \\Dat\\Orvant3.dat");
}

}  // namespace
}  // namespace orvant
