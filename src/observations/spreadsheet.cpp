// In-memory workbooks for tests, and the program's one spreadsheet engine.
#include "observations/spreadsheet.h"

#include <cstdlib>
#include <exception>

namespace orvant {

SheetStatus SpreadsheetEngine::exchangeBatch(int book,
                                             const std::vector<std::vector<CellWrite>>& writes,
                                             const std::vector<CellRef>& reads,
                                             std::vector<std::vector<CellValue>>& values,
                                             std::string& error) {
  values.clear();
  std::vector<std::vector<CellValue>> all(writes.size());
  for (std::size_t k = 0; k < writes.size(); ++k) {
    const SheetStatus st = exchange(book, writes[k], reads, all[k], error);
    if (st != SheetStatus::Ok) return st;
  }
  values = std::move(all);
  return SheetStatus::Ok;
}

// ---- MemorySpreadsheet ----

void MemorySpreadsheet::add(const std::string& path, Book book) { books_[path] = std::move(book); }

SheetStatus MemorySpreadsheet::open(const std::string& path, int& book, int& sheets,
                                    std::string& error) {
  auto it = books_.find(path);
  if (it == books_.end()) {
    error = "no such workbook: " + path;
    return SheetStatus::OpenFailed;
  }
  book = next_++;
  sheets = it->second.sheets;
  open_[book] = it->second;
  return SheetStatus::Ok;
}

SheetStatus MemorySpreadsheet::exchange(int book, const std::vector<CellWrite>& writes,
                                        const std::vector<CellRef>& reads,
                                        std::vector<CellValue>& values, std::string& error) {
  ++exchanges;
  if (failNext) {
    failNext = false;
    open_.clear();  // a dead engine forgets its workbooks
    error = "engine died";
    return SheetStatus::EngineFailed;
  }
  auto it = open_.find(book);
  if (it == open_.end()) {
    error = "unknown workbook";
    return SheetStatus::BadRequest;
  }
  Book& b = it->second;
  for (const CellWrite& w : writes) {
    if (w.cell.sheet < 1 || w.cell.sheet > b.sheets) {
      error = "no sheet";
      return SheetStatus::BadRequest;
    }
    CellValue v;
    v.kind = CellValue::Kind::Number;
    v.number = w.value;
    b.cells[w.cell] = v;
    b.formulas.erase(w.cell);
  }
  values.clear();
  for (const CellRef& r : reads) {
    if (r.sheet < 1 || r.sheet > b.sheets) {
      values.push_back(CellValue{CellValue::Kind::NoSheet, 0, {}});
      continue;
    }
    auto f = b.formulas.find(r);
    if (f != b.formulas.end()) {
      values.push_back(f->second(b.cells));
      continue;
    }
    auto c = b.cells.find(r);
    values.push_back(c == b.cells.end() ? CellValue{} : c->second);
  }
  return SheetStatus::Ok;
}

SheetStatus MemorySpreadsheet::exchangeBatch(int book,
                                             const std::vector<std::vector<CellWrite>>& writes,
                                             const std::vector<CellRef>& reads,
                                             std::vector<std::vector<CellValue>>& values,
                                             std::string& error) {
  ++batches;
  return SpreadsheetEngine::exchangeBatch(book, writes, reads, values, error);
}

void MemorySpreadsheet::close(int book) { open_.erase(book); }

double cellNumber(const std::map<CellRef, CellValue>& cells, int sheet, const std::string& addr) {
  auto it = cells.find(CellRef{sheet, addr});
  if (it == cells.end() || it->second.kind != CellValue::Kind::Number) return 0;
  return it->second.number;
}

// ---- the session's engine ----

namespace {

std::shared_ptr<LibreOfficeEngine>& sessionSlot() {
  static std::shared_ptr<LibreOfficeEngine> engine;
  return engine;
}

std::terminate_handler previousTerminate = nullptr;

void stopSessionEngine() {
  if (auto& e = sessionSlot()) e->stop();
}

[[noreturn]] void terminateWithEngine() {
  stopSessionEngine();
  if (previousTerminate) previousTerminate();
  std::abort();
}

}  // namespace

std::shared_ptr<LibreOfficeEngine> sessionLibreOffice() {
  auto& slot = sessionSlot();
  if (!slot) {
    slot = std::make_shared<LibreOfficeEngine>();
    // The engine must not outlive the program: stop it at exit and when the program terminates
    // on an unhandled exception. (A program killed outright takes the engine with it: its
    // processes are bound to die with their parent.)
    std::atexit(stopSessionEngine);
    previousTerminate = std::set_terminate(terminateWithEngine);
  }
  return slot;
}

std::shared_ptr<SpreadsheetEngine> sessionEngine() { return sessionLibreOffice(); }

}  // namespace orvant
