// The JPL DE405 ephemeris read from JPL's ASCII coefficient blocks.
//
// JPL publishes DE405 as 20-year blocks JPL/ascp<year>.405 (under the work directory). Each block is
// a sequence of 32-day records: a header line "record number, 1018", then 1020 numbers three to a
// line with the exponent letter D. Numbers 1 and 2 are the Julian dates (TDB) at which the record
// begins and ends; from number 3 on come the Chebyshev coefficients of the bodies, positions in km
// on the equatorial axes of the ICRF/J2000, the Sun and planets about the solar-system barycentre,
// the Moon about the Earth. Every block after 1600 begins with a copy of the last record of the
// block before it.
//
// The reader keeps its position in the shared State (JDjpl, JPLyear, JPLlast, JPLnr, JPLisOpen,
// JDrec0, JDrec1) and its buffers in the reader context State::jpl (the open file, the record's
// coefficients JPLcoef, the body's JPLcheb and JPLt0), so that the open block stays open across
// the steps of a run:
//   JPLopen   picks the block for State::JD, opens it and reads forward to the record covering it;
//   JPLstate  evaluates one body from the current record into X, Y, Z (m), VX, VY, VZ (m/s) of
//             State, rotated to the ecliptic of J2000 with State::Eps0;
//   JPLnext   moves to the next record (the next block at the end of one) when JDjpl has left it.
//
// Source of the series and the layout: E. M. Standish, "JPL Planetary and Lunar Ephemerides,
// DE405/LE405", JPL IOM 312.F-98-048 (1998), and JPL's ascii_format.txt / testeph.f.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "model/state.h"

namespace orvant {

// Outcome of JPLopen and JPLnext. Only NoDate is reported by the reader itself (message and kStop);
// a missing block or a read error is left to the calling command, which reports it its own way.
enum class JplStatus {
  Ok,
  NoDate,     // JDjpl outside every block: "В файлах DE405 нет такой даты" shown, kStop = 1
  NoFile,     // the block file cannot be opened
  ReadError,  // the block ends or holds something that is not a record
};

// Messages of the reader (title kTitle7).
inline constexpr std::string_view kJplNoDate = "В файлах DE405 нет такой даты";
inline constexpr std::string_view kJplReadFailed = "Ошибка чтения файлов JPL";

// Dates served through JPLopen: 2305424.5 <= JD < 2458832.5 (blocks 1600 .. 2000). JPLnext may go on
// into later blocks when their files are installed.
inline constexpr double kJplFirstJD = 2305424.5;
inline constexpr double kJplEndJD = 2458832.5;

inline constexpr int kJplNumbers = 1020;   // numbers per record (two of them padding)
inline constexpr double kJplRecordDays = 32;

// An open block: sequential reading of its records with a large buffer and a hand-written tokenizer
// (a whole block of 230 records is 6 MB of text).
class JplFile {
 public:
  JplFile() = default;
  ~JplFile();
  JplFile(const JplFile&) = delete;
  JplFile& operator=(const JplFile&) = delete;

  bool open(const std::string& path);
  void close();
  bool isOpen() const { return file_ != nullptr; }

  // Reads the next record: the header's record number into `number`, the numbers 1..1020 into
  // coef[1..1020]. False at the end of the file or on anything that is not a record.
  bool readRecord(int& number, double* coef);

 private:
  bool nextToken(std::string_view& token);
  bool fill();  // appends to the buffer; false at the end of the file

  std::FILE* file_ = nullptr;
  std::array<char, 1 << 16> buf_{};
  std::size_t pos_ = 0, len_ = 0;
};

// The file of block <year>: <workDir>/JPL/ascp<year>.405.
std::string JPLpath(const State& s, int year);

// Number of the last record of block <year>: 230 for 1680, 1760, 1820, 1900, 1980, 2040, 2120,
// 2180, 229 otherwise.
int JPLlastOf(int year);

// JDjpl = JD; chooses the block, opens it (closing a block still open) and reads records until
// JDjpl < JDrec1.
JplStatus JPLopen(State& s);

// State of object k at JDjpl from the current record: 0 the Sun, 1..9 Mercury..Pluto (3 is the
// Earth-Moon barycentre), 10 and 11 the Moon relative to the Earth. Writes X, Y, Z (m) and VX, VY,
// VZ (m/s) of slot k on the ecliptic axes of J2000. On failure (no record, JDjpl outside the record,
// a non-finite result, k outside 0..11) shows "Ошибка чтения файлов JPL", sets kStop = 1 and
// returns false, leaving the slot as it was.
bool JPLstate(State& s, int k);

// Advances one record when JDjpl has left the current one (moving into the next block at the end
// of a block and skipping its repeated head record). For forward steps shorter than a record.
JplStatus JPLnext(State& s);

// Closes the open block; JPLisOpen = 0.
void JPLclose(State& s);

}  // namespace orvant
