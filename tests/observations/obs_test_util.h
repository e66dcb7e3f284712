// Helpers of the observation tests: fixed-column observatory lines typed from the file layout,
// temporary work directories, a message sink that records.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/messages.h"
#include "model/state.h"

namespace orvant::test {

// Puts `text` at 1-based column `col` of `line`, widening it with blanks.
inline void put(std::string& line, std::size_t col, const std::string& text) {
  if (line.size() < col - 1 + text.size()) line.resize(col - 1 + text.size(), ' ');
  line.replace(col - 1, text.size(), text);
}

// One observation in the columns of an observatory file (82 columns).
struct ObsFields {
  std::string year = "1900", day = " 5", month = "Mar";
  std::string timeFlag = " ", hh = "12", mi = "30", ss = "15", sfrac = "5000";
  std::string raFlag = " ", rh = "06", rm = "15", rs = "30", rfrac = "25000";
  std::string decSign = "+", dd = "23", dm = "26", ds = "21", dfrac = "4000";
};
inline std::string obsLine(const ObsFields& f) {
  std::string line = "GREN 0001 ";  // columns 1-10 are not read
  put(line, 11, f.year);
  put(line, 16, f.day);
  put(line, 19, f.month);
  put(line, 23, f.timeFlag);
  put(line, 24, f.hh);
  put(line, 27, f.mi);
  put(line, 30, f.ss);
  put(line, 33, f.sfrac);
  put(line, 43, f.raFlag);
  put(line, 44, f.rh);
  put(line, 47, f.rm);
  put(line, 50, f.rs);
  put(line, 53, f.rfrac);
  put(line, 69, f.decSign);
  put(line, 70, f.dd);
  put(line, 73, f.dm);
  put(line, 76, f.ds);
  put(line, 79, f.dfrac);
  return line;
}

inline std::string header(const std::string& years = "1890, 1910") {
  return "Greenwich meridian observations\nMars\nright ascension and declination of date\n"
         "columns as usual\n" +
         years + "\n";
}

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("orvant-obs-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  void write(const std::string& rel, const std::string& content) const {
    std::filesystem::create_directories((path_ / rel).parent_path());
    std::ofstream(path_ / rel, std::ios::binary) << content;
  }

 private:
  std::filesystem::path path_;
};

class RecordingSink : public MessageSink {
 public:
  std::vector<std::pair<std::string, std::string>> messages;  // text, title
  void message(std::string_view text, std::string_view title) override {
    messages.emplace_back(std::string(text), std::string(title));
  }
};

}  // namespace orvant::test
