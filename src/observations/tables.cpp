// The ancient-table workbooks: their cell map, and the opening, evaluation and closing of a
// workbook through the spreadsheet engine.
//
// Each table's workbook computes the positions from a date written into four cells of its first
// worksheet (year, month, whole day, hours since the beginning of the day); the map below gives,
// per table, those cells, the cell of the table's own equinox correction CorrTab and, per object,
// the cells of the longitude and the latitude. Almagest sheets give latitudes in arc-minutes, and
// its Mars sheet gives the sense of the latitude as a text "N" or "S" beside it.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <filesystem>
#include <map>

#include "model/format.h"
#include "model/textfile.h"
#include "observations/sources.h"

namespace orvant {

// The open workbook: the engine it lives in, its handle and path (kept to reopen it when the
// engine had to be restarted).
class TabBook {
 public:
  std::shared_ptr<SpreadsheetEngine> engine;
  std::string path;
  int book = 0;
  int sheets = 0;
  // What TabPrefetch kept: the cells read (the same for every date) and, per date written (the
  // bits of the four values), the values read.
  std::vector<CellRef> keptReads;
  std::map<std::array<std::uint64_t, 4>, std::vector<CellValue>> kept;
  ~TabBook() {
    if (engine && book > 0) engine->close(book);
  }
};

namespace {

CellRef at(int sheet, const char* addr) { return CellRef{sheet, addr}; }

TabObjectCells lOnly(int sheet, const char* l) {
  TabObjectCells o;
  o.served = true;
  o.l = at(sheet, l);
  return o;
}
TabObjectCells lb(int sheet, const char* l, const char* b, double divisor = 1) {
  TabObjectCells o = lOnly(sheet, l);
  o.hasB = true;
  o.b = at(sheet, b);
  o.bDivisor = divisor;
  return o;
}

TabCellMap dated(const char* name, const char* y, const char* m, const char* d, const char* h) {
  TabCellMap t;
  t.name = name;
  t.year = at(1, y);
  t.month = at(1, m);
  t.day = at(1, d);
  t.hours = at(1, h);
  return t;
}

std::map<std::string, TabCellMap, std::less<>> buildCellMaps() {
  std::map<std::string, TabCellMap, std::less<>> maps;
  {
    TabCellMap t = dated("AlBattani", "D9", "C9", "B9", "F9");
    t.objects[0] = lOnly(1, "C14");
    t.objects[1] = lb(1, "C20", "F20");
    t.objects[2] = lb(1, "C19", "F19");
    t.objects[4] = lb(1, "C18", "F18");
    t.objects[11] = lb(1, "C15", "F15");
    maps[t.name] = t;
    // al-Khwarizmi's workbook has the same layout; its longitudes are increased by CorrTab.
    t.name = "AlKhwarizmi";
    t.corr = TabCellMap::Corr::Cell;
    t.corrCell = at(1, "C22");
    t.corrAddsToL = true;
    maps[t.name] = t;
  }
  {
    TabCellMap t = dated("AlfonsoTab", "D13", "C13", "B13", "F13");
    t.corr = TabCellMap::Corr::Cell;
    t.corrCell = at(1, "D39");
    t.objects[0] = lOnly(1, "D46");
    t.objects[1] = lOnly(1, "D145");
    t.objects[2] = lOnly(1, "D128");
    t.objects[4] = lOnly(1, "D112");
    t.objects[11] = lb(1, "D55", "D60");
    maps[t.name] = t;
  }
  {
    TabCellMap t = dated("Almagest", "B6", "C6", "D6", "E6");
    t.corr = TabCellMap::Corr::Almagest;
    t.objects[0] = lOnly(2, "N20");
    t.objects[1] = lb(8, "AD61", "AD36", 60);
    t.objects[2] = lb(7, "AD61", "AD36", 60);
    t.objects[4] = lb(6, "AD57", "AF30", 60);
    t.objects[4].hasSouthFlag = true;
    t.objects[4].southFlag = at(6, "AE30");
    t.objects[11] = lb(3, "X36", "X43");
    maps[t.name] = t;
  }
  {
    TabCellMap t = dated("RudolphineTables", "C10", "D10", "E10", "F10");
    t.corr = TabCellMap::Corr::Cell;
    t.corrCell = at(3, "F27");
    t.objects[0] = lOnly(1, "C13");
    t.objects[1] = lb(1, "C19", "G19");
    t.objects[2] = lb(1, "C18", "G18");
    t.objects[4] = lb(1, "C17", "G17");
    t.objects[11] = lb(1, "C23", "G23");
    maps[t.name] = t;
  }
  {
    TabCellMap t = dated("Streete", "C14", "D14", "E14", "F14");
    t.corr = TabCellMap::Corr::Cell;
    t.corrCell = at(1, "G20");
    t.objects[0] = lOnly(1, "D25");
    t.objects[1] = lb(9, "S35", "S41");
    t.objects[2] = lb(8, "S35", "S41");
    t.objects[4] = lb(7, "S35", "S41");
    t.objects[11] = lb(1, "G50", "G46");
    maps[t.name] = t;
  }
  {
    TabCellMap t = dated("Tycho", "E11", "D11", "C11", "G11");
    t.objects[0] = lOnly(1, "G20");
    t.objects[11] = lb(1, "G29", "G52");
    maps[t.name] = t;
  }
  {
    TabCellMap t = dated("Wing", "C14", "D14", "E14", "F14");
    t.objects[0] = lOnly(3, "P19");
    t.objects[1] = lb(8, "V51", "V52");
    t.objects[2] = lb(7, "V48", "V49");
    t.objects[4] = lb(6, "V48", "V49");
    t.objects[11] = lb(1, "G47", "G43");
    maps[t.name] = t;
  }
  return maps;
}

std::shared_ptr<SpreadsheetEngine> engineOf(State& s) {
  return s.TabEngine ? s.TabEngine : sessionEngine();
}

// A read cell as a number: a number, or a text that reads as one (a workbook that formats its
// result as text); anything else (an error value, an empty cell, a missing sheet) is not.
bool numberOf(const CellValue& v, double& x) {
  if (v.kind == CellValue::Kind::Number) {
    x = v.number;
    return std::isfinite(x);
  }
  if (v.kind == CellValue::Kind::Text) {
    const std::optional<double> p = parseNumber(v.text);
    if (p && std::isfinite(*p)) {
      x = *p;
      return true;
    }
  }
  return false;
}

// "Ошибка вычислений в таблицах <table>", with the object on a second line when one object
// was asked for.
bool calcFailure(State& s, int object = -1) {
  s.kStop = 1;
  std::string text = std::string(kMsgTabCalc) + " " + s.ObsName;
  if (object >= 0)
    text += "\nобъект " + std::to_string(object) + " (" + std::string(objectName(s, object)) + ")";
  s.report(text, kTitle70);
  return false;
}

}  // namespace

const TabCellMap* tabCellMap(std::string_view name) {
  static const std::map<std::string, TabCellMap, std::less<>> maps = buildCellMaps();
  auto it = maps.find(name);
  return it == maps.end() ? nullptr : &it->second;
}

std::string tabFilePath(std::string_view name) { return "Tab/" + std::string(name) + ".xls"; }

bool TabIsOpen(const State& s) { return s.TabBookOpen && s.TabBookOpen->book > 0; }

bool TabOpen(State& s, std::string_view name) {
  if (s.TabBookOpen) TabClose(s);
  auto tb = std::make_shared<TabBook>();
  tb->engine = engineOf(s);
  tb->path = fullPath(s, tabFilePath(name)).string();
  std::string error;
  SheetStatus st = tb->engine->open(tb->path, tb->book, tb->sheets, error);
  if (st == SheetStatus::EngineFailed)  // an engine that died since its last use: once more
    st = tb->engine->open(tb->path, tb->book, tb->sheets, error);
  if (st != SheetStatus::Ok) {
    tb->book = 0;
    std::string text = std::string(kMsgNoTable) + "\n" + tb->path;
    std::error_code ec;
    if (st == SheetStatus::EngineMissing) {
      text += "\nУстановите пакеты: " + std::string(kEnginePackages);
    } else if (!std::filesystem::exists(tb->path, ec) &&
               std::find(kShippedTables.begin(), kShippedTables.end(), name) == kShippedTables.end()) {
      text += "\n" + std::string(kMsgTabNotShipped);
    }
    s.report(text, kTitle6);
    return false;
  }
  const int wanted = s.NSheet > 0 ? s.NSheet : 11;
  s.NSheet = static_cast<int16>(std::min({wanted, tb->sheets, 11}));
  s.TabBookOpen = std::move(tb);
  return true;
}

void TabClose(State& s) {
  // The workbook is closed by its holder's destructor (without saving).
  s.TabBookOpen.reset();
}

namespace {

// The cells of one evaluation: the date written, the cells read and where each object's
// values are among them.
struct TabRequest {
  struct Wanted {
    int object;
    const TabObjectCells* cells;
    std::size_t l, b, flag;
  };
  std::vector<CellWrite> writes;
  std::vector<CellRef> reads;
  std::vector<Wanted> wanted;
  bool corrRead = false;
};

// False for a date that cannot be written (a whole day beyond 32 bits, a value not finite) or a
// cell on a worksheet that is not attached.
bool tabRequest(const State& s, const TabCellMap& map, const TabDate& date,
                const std::vector<int>& objects, TabRequest& rq) {
  // The date: year, month and whole day as 32-bit integers, the hours as a double.
  const double wholeDay = std::trunc(date.day);
  if (!std::isfinite(wholeDay) || std::fabs(wholeDay) > 2147483647.0 || !std::isfinite(date.hours))
    return false;
  rq.writes = {
      {map.year, static_cast<double>(date.year), true},
      {map.month, static_cast<double>(date.month), true},
      {map.day, wholeDay, true},
      {map.hours, date.hours, false},
  };
  rq.reads.clear();
  rq.wanted.clear();
  rq.corrRead = map.corr == TabCellMap::Corr::Cell;
  if (rq.corrRead) rq.reads.push_back(map.corrCell);
  for (int i : objects) {
    if (i < 0 || i >= static_cast<int>(map.objects.size()) || !map.objects[i].served) continue;
    const TabObjectCells& c = map.objects[i];
    TabRequest::Wanted w{i, &c, rq.reads.size(), 0, 0};
    rq.reads.push_back(c.l);
    if (c.hasB) {
      w.b = rq.reads.size();
      rq.reads.push_back(c.b);
    }
    if (c.hasSouthFlag) {
      w.flag = rq.reads.size();
      rq.reads.push_back(c.southFlag);
    }
    rq.wanted.push_back(w);
  }
  for (const CellRef& r : rq.reads)
    if (r.sheet < 1 || r.sheet > s.NSheet) return false;
  return true;
}

std::array<std::uint64_t, 4> keyOf(const std::vector<CellWrite>& writes) {
  return {std::bit_cast<std::uint64_t>(writes[0].value), std::bit_cast<std::uint64_t>(writes[1].value),
          std::bit_cast<std::uint64_t>(writes[2].value), std::bit_cast<std::uint64_t>(writes[3].value)};
}

bool sameCells(const std::vector<CellRef>& a, const std::vector<CellRef>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].sheet != b[i].sheet || a[i].addr != b[i].addr) return false;
  return true;
}

// The values TabPrefetch kept for this request, nullptr when it kept none.
const std::vector<CellValue>* keptValues(const TabBook& tb, const TabRequest& rq) {
  if (tb.kept.empty() || !sameCells(tb.keptReads, rq.reads)) return nullptr;
  auto it = tb.kept.find(keyOf(rq.writes));
  return it == tb.kept.end() ? nullptr : &it->second;
}

}  // namespace

TabDate tabDateNow(const State& s) { return TabDate{s.YearNab, s.MonthNab, s.DayNab, s.HourNab}; }

bool TabPrefetch(State& s, const std::vector<TabDate>& dates, const std::vector<int>& objects) {
  if (!TabIsOpen(s) || dates.empty()) return false;
  const TabCellMap* map = tabCellMap(s.ObsName);
  if (!map) return false;
  TabBook& tb = *s.TabBookOpen;
  TabRequest rq;
  std::vector<std::vector<CellWrite>> writes;
  std::vector<CellRef> reads;
  for (const TabDate& d : dates) {
    if (!tabRequest(s, *map, d, objects, rq)) return false;
    if (reads.empty()) reads = rq.reads;
    if (keptValues(tb, rq) == nullptr) writes.push_back(rq.writes);
  }
  if (writes.empty()) return true;
  std::vector<std::vector<CellValue>> values;
  std::string error;
  if (tb.engine->exchangeBatch(tb.book, writes, reads, values, error) != SheetStatus::Ok ||
      values.size() != writes.size())
    return false;
  if (!sameCells(tb.keptReads, reads) || tb.kept.size() + writes.size() > kTabKeptDates) {
    tb.kept.clear();
    tb.keptReads = reads;
  }
  for (std::size_t k = 0; k < writes.size(); ++k) {
    if (values[k].size() != reads.size()) return false;
    tb.kept[keyOf(writes[k])] = std::move(values[k]);
  }
  return true;
}

bool TabPrefetched(const State& s, const TabDate& date, const std::vector<int>& objects) {
  if (!TabIsOpen(s)) return false;
  const TabCellMap* map = tabCellMap(s.ObsName);
  TabRequest rq;
  return map && tabRequest(s, *map, date, objects, rq) && keptValues(*s.TabBookOpen, rq) != nullptr;
}

bool TabEvalObjects(State& s, const std::vector<int>& objects, bool precTab) {
  const int one = objects.size() == 1 ? objects[0] : -1;  // the object a failure names
  if (!TabIsOpen(s)) return calcFailure(s, one);
  const TabCellMap* map = tabCellMap(s.ObsName);
  if (!map) {
    s.CorrTab = 0;
    return true;
  }
  TabRequest rq;
  if (!tabRequest(s, *map, tabDateNow(s), objects, rq)) return calcFailure(s, one);
  const std::vector<CellRef>& reads = rq.reads;
  const std::vector<TabRequest::Wanted>& wanted = rq.wanted;
  const bool corrRead = rq.corrRead;

  TabBook& tb = *s.TabBookOpen;
  std::vector<CellValue> values;
  if (const std::vector<CellValue>* kept = keptValues(tb, rq)) {
    values = *kept;
  } else {
    std::string error;
    SheetStatus st = tb.engine->exchange(tb.book, rq.writes, reads, values, error);
    if (st == SheetStatus::EngineFailed || st == SheetStatus::BadRequest) {
      // The engine died (it restarts on the next call), or it was restarted meanwhile for
      // another workbook and no longer knows this one: reopen the workbook there and try once
      // more.
      int sheets = 0;
      tb.book = 0;
      if (tb.engine->open(tb.path, tb.book, sheets, error) == SheetStatus::Ok)
        st = tb.engine->exchange(tb.book, rq.writes, reads, values, error);
      else
        tb.book = 0;
    }
    if (st != SheetStatus::Ok) return calcFailure(s, one);
  }
  if (values.size() != reads.size()) return calcFailure(s, one);

  double corr = 0;
  if (map->corr == TabCellMap::Corr::Almagest) {
    // Ptolemy's longitudes are counted from his equinox, which falls behind at about one degree
    // per century; 3.9 degrees at the start date.
    corr = 3.9 + (s.JD - s.JDep) / 36525;
  } else if (corrRead && !numberOf(values[0], corr)) {
    return calcFailure(s, one);
  }
  const double precShift = (s.JD - s.JDep) * 5025 / 36525 / 3600;
  std::vector<std::pair<double, double>> results;
  for (const TabRequest::Wanted& w : wanted) {
    double l = 0, b = 0;
    if (!numberOf(values[w.l], l)) return calcFailure(s, w.object);
    if (w.cells->hasB) {
      if (!numberOf(values[w.b], b)) return calcFailure(s, w.object);
      b /= w.cells->bDivisor;
      if (w.cells->hasSouthFlag) {
        const CellValue& f = values[w.flag];
        if (f.kind == CellValue::Kind::Error || f.kind == CellValue::Kind::NoSheet)
          return calcFailure(s, w.object);
        std::string_view t = f.text;
        while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
        while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
        if (f.kind == CellValue::Kind::Text && t == "S") b = -b;
      }
    }
    if (map->corrAddsToL) l += corr;
    if (precTab) l = l - corr + s.CorrTab0 + precShift;
    results.emplace_back(l, b);
  }
  s.CorrTab = corr;
  if (precTab) s.PrecShift = precShift;
  for (std::size_t k = 0; k < wanted.size(); ++k) {
    s.Lk[wanted[k].object] = results[k].first;
    s.Bk[wanted[k].object] = results[k].second;
  }
  return true;
}

bool TabEval(State& s, bool precTab) {
  const TabCellMap* map = tabCellMap(s.ObsName);
  const int N = s.Npl;
  if (TabIsOpen(s) &&
      (!map || N < 0 || N >= static_cast<int>(map->objects.size()) || !map->objects[N].served)) {
    s.kStop = 1;
    s.report("Таблица " + s.ObsName + " не вычисляет объект " + std::to_string(N) + " (" +
                 std::string(objectName(s, N)) + ")",
             kTitle70);
    return false;
  }
  return TabEvalObjects(s, {N}, precTab);
}

}  // namespace orvant
