// Bad input on the recent screens, every box of a kind through the same checks: a refused box
// gives its screen's message and changes nothing, and no result box shows "nan" or "inf".
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "help_bench.h"
#include "model/state.h"
#include "ui/form.h"
#include "ui/screen.h"

namespace orvant {
namespace {

using test::WorkbenchBench;

struct BadBox {
  int screen;
  std::string box, value, button;
  std::string before = {};  // a command that readies the screen first
};

// The boxes of dates (day, month), of numbers with a range, and of whole numbers.
const std::vector<BadBox> kBadBoxes = {
    // dates: month 0, 14, -1; day 0, -1, 1e300, -1e300, not a number
    {1, "Month1", "14", "GJ"},      {1, "Month1", "0", "GJ"},       {1, "Day1", "0", "GJ"},
    {1, "Day1", "1e300", "GJ"},     {12, "Month", "14", "GJ"},      {12, "Month", "-1", "GJ"},
    {12, "Day", "0", "GJ"},         {12, "Day", "-1", "GJ"},        {12, "Day", "1e300", "GJ"},
    {11, "Month", "0", "place"},    {11, "Month", "-1", "place"},   {11, "Day", "0", "place"},
    {11, "Day", "-1", "place"},     {16, "Month", "14", "dmy2jd"},  {16, "Month", "0", "dmy2jd"},
    {16, "Day", "-1e300", "dmy2jd"}, {16, "Day", "-1", "start"},    {16, "Month", "14", "start"},
    {20, "Month", "14", "GJ"},      {20, "Day", "0", "GJ"},         {20, "Day", "nan", "GJ"},
    // numbers within their range
    {12, "ObsL", "1e300", "GJ"},    {12, "ObsB", "91", "GJ"},       {12, "src1", "1e300", "convert"},
    {12, "Ndays", "1e300", "shift"}, {11, "Xpl", "1e300", "place"}, {11, "VXsys", "inf", "place"},
    {14, "W", "0", "start"},        {14, "W", "-1", "start"},       {14, "W", "1e300", "start"},
    {14, "step", "0", "start"},     {14, "step", "-1", "start"},    {14, "step", "1e300", "start"},
    {16, "k", "1e300", "start"},    {16, "k", "-1e300", "start"},   {16, "ObsL", "1e300", "start"},
    {20, "km11", "1e-320", "set"},  {20, "km11", "-1", "set"},      {20, "VXsys", "1e300", "set"},
    {7, "VgrFactor", "-1", "first", "place"}, {7, "VgrFactor", "0", "first", "place"},
    {7, "MF", "1e300", "first", "place"},
    {21, "value3", "abc", "set"},   {21, "value3", "1e300", "set"}, {22, "box11", "1e300", "set"},
    {22, "box51", "abc", "set"},
};

// What a refused box must leave as it was: the model's shared numbers and the tables of 21, 22.
struct Snapshot {
  double JD, VXsys, Vgr, km11;
  std::array<double, 30> dLdB;
  std::array<std::array<double, 49>, 3> PertDL;
  explicit Snapshot(const State& s)
      : JD(s.JD), VXsys(s.VXsys), Vgr(s.Vgr), km11(s.km[11]), dLdB(s.dLdB), PertDL(s.PertDL) {}
  bool operator==(const Snapshot&) const = default;
};

// A box other than the typed one that shows "nan" or "inf".
bool showsNonFinite(const ui::Screen& screen, const ui::Form& f, const std::string& typed) {
  for (const ui::Control& c : screen.controls()) {
    if (c.kind != ui::Kind::Field || c.id == typed) continue;
    const std::string t = f.text(c.id);
    if (t.find("nan") != std::string::npos || t.find("inf") != std::string::npos) return true;
  }
  return false;
}

TEST(BadInput, EveryRecentScreenRefusesTheBoxAndChangesNothing) {
  for (const BadBox& c : kBadBoxes) {
    WorkbenchBench b;
    ui::Form& f = b.wb.show(c.screen).form();
    if (!c.before.empty()) f.press(c.before);
    b.messages();  // what opening the screen said
    const Snapshot before(b.state);
    ASSERT_TRUE(f.type(c.box, c.value)) << c.screen << " " << c.box;
    f.press(c.button);
    const auto said = b.messages();
    EXPECT_EQ(said.size(), 1u) << "screen " << c.screen << " " << c.box << " = " << c.value;
    EXPECT_TRUE(Snapshot(b.state) == before) << "screen " << c.screen << " " << c.box << " = " << c.value;
    EXPECT_FALSE(showsNonFinite(b.wb.screen(c.screen), f, c.box))
        << "screen " << c.screen << " " << c.box << " = " << c.value;
    EXPECT_EQ(f.text(c.box), c.value);  // the refused text stays for the user to correct
  }
}

}  // namespace
}  // namespace orvant
