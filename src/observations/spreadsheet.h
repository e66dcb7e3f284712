// The spreadsheet engine that evaluates the ancient-table workbooks.
//
// The observation code needs four things of a spreadsheet application: open a workbook by path,
// address a worksheet by its number, set cells, and read the values the workbook computes from
// them. This interface offers exactly that, with the writes and reads of one table evaluation
// bundled into a single call (`exchange`), so that an engine living in another process costs one
// round trip per evaluation, not one per cell.
//
// Two engines:
//   - LibreOfficeEngine: LibreOffice Calc, headless, reached through a small Python UNO bridge
//     (tools/spreadsheet/orvant_bridge.py) spoken to over a pipe. One process pair (bridge and
//     soffice) serves the whole program session: started on first use, reused by every later
//     workbook, stopped when the program ends (normal exit, std::terminate, or the program dying:
//     both children die with their parent).
//   - MemorySpreadsheet: workbooks held in memory, their values computed by C++ callbacks from
//     the written cells. For tests of the cell map and of the callers.
//
// Sheets are numbered from 1 as the program numbers them; cells are in A1 notation ("AD61").
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace orvant {

// A cell of a workbook: worksheet number (1-based) and A1 address.
struct CellRef {
  int sheet = 1;
  std::string addr;
  bool operator<(const CellRef& o) const {
    return sheet != o.sheet ? sheet < o.sheet : addr < o.addr;
  }
};

// A value written into a cell: a 32-bit integer or a double (both reach the cell as numbers).
struct CellWrite {
  CellRef cell;
  double value = 0;
  bool integer = false;
};

// What a read cell holds after the workbook recomputed.
struct CellValue {
  enum class Kind { Number, Text, Error, Empty, NoSheet };
  Kind kind = Kind::Empty;
  double number = 0;   // Kind::Number
  std::string text;    // Kind::Text: the text; Kind::Error: the error as the engine names it
};

// How an engine operation ended.
enum class SheetStatus {
  Ok,
  EngineMissing,   // the engine cannot be started (LibreOffice or python3-uno not installed)
  OpenFailed,      // the workbook is missing or is not a workbook the engine reads
  EngineFailed,    // the engine died or answered nonsense (after one restart where allowed)
  BadRequest,      // an unknown workbook handle, a bad address
};

class SpreadsheetEngine {
 public:
  virtual ~SpreadsheetEngine() = default;

  // Opens the workbook at `path` (absolute). On Ok, `book` is a handle (> 0) and `sheets` the
  // number of its worksheets. On failure `error` says why (for logs and the command line).
  virtual SheetStatus open(const std::string& path, int& book, int& sheets, std::string& error) = 0;

  // One evaluation: writes the cells in the order given (the workbook recomputes), then reads
  // the cells of `reads`; `values` gets one entry per read, in order. A read of a worksheet
  // beyond the workbook's gives Kind::NoSheet (the call itself is Ok).
  virtual SheetStatus exchange(int book, const std::vector<CellWrite>& writes,
                               const std::vector<CellRef>& reads, std::vector<CellValue>& values,
                               std::string& error) = 0;

  // Several evaluations in one call: evaluation k writes writes[k] (the same cells in the same
  // order for every k, as `exchange` writes them) and reads `reads`; values[k] gets its values.
  // The values are those that `exchange` gives for each evaluation in turn. On failure `values`
  // is empty. This default makes one `exchange` per evaluation; an engine in another process
  // runs the loop over the evaluations inside the engine.
  virtual SheetStatus exchangeBatch(int book, const std::vector<std::vector<CellWrite>>& writes,
                                    const std::vector<CellRef>& reads,
                                    std::vector<std::vector<CellValue>>& values, std::string& error);

  // Closes the workbook without saving it; the handle becomes invalid.
  virtual void close(int book) = 0;
};

// ---- LibreOffice Calc through the UNO bridge ----

// Where the bridge script is looked for, first found wins:
//   $ORVANT_BRIDGE; <executable dir>/../share/orvant/spreadsheet/orvant_bridge.py (the installed
//   layout); <executable dir>/../share/orvant/orvant_bridge.py;
//   <executable dir>/orvant_bridge.py; <source tree>/tools/spreadsheet/orvant_bridge.py.
// Returns an empty string when none exists.
std::string findBridgeScript();

class LibreOfficeEngine final : public SpreadsheetEngine {
 public:
  LibreOfficeEngine();
  ~LibreOfficeEngine() override;  // stops the engine processes
  LibreOfficeEngine(const LibreOfficeEngine&) = delete;
  LibreOfficeEngine& operator=(const LibreOfficeEngine&) = delete;

  SheetStatus open(const std::string& path, int& book, int& sheets, std::string& error) override;
  SheetStatus exchange(int book, const std::vector<CellWrite>& writes,
                       const std::vector<CellRef>& reads, std::vector<CellValue>& values,
                       std::string& error) override;
  // The evaluation as separate calls across the process boundary (a write, then a read per
  // cell): what exchange does where soffice cannot run the batch script.
  SheetStatus exchangeCellByCell(int book, const std::vector<CellWrite>& writes,
                                 const std::vector<CellRef>& reads, std::vector<CellValue>& values,
                                 std::string& error);
  // One request to the bridge, whose script runs the loop inside soffice. Where soffice cannot
  // run it (Debian's libreoffice-script-provider-python missing), one exchange per evaluation.
  SheetStatus exchangeBatch(int book, const std::vector<std::vector<CellWrite>>& writes,
                            const std::vector<CellRef>& reads,
                            std::vector<std::vector<CellValue>>& values,
                            std::string& error) override;
  void close(int book) override;

  // Converts a workbook to another format by the file name's extension ("x.fods" -> "y.xls")
  // with the running engine (started when needed). Used to prepare the shipped workbooks.
  SheetStatus convert(const std::string& from, const std::string& to, std::string& error);

  // Starts the engine now (otherwise the first operation starts it). Ok when it runs.
  SheetStatus start(std::string& error);
  // Stops the bridge and soffice (the whole process group); the next operation starts them again.
  void stop();
  bool running() const;
  // Process id of the bridge (the leader of the engine's process group), 0 when not running.
  int processGroup() const;

 private:
  SheetStatus checkAnswer(const std::vector<std::string>& answer, std::size_t fields,
                          std::string& error);
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The program's engine: one LibreOfficeEngine for the whole process, made on first call. It is
// stopped at normal exit (atexit) and by std::terminate.
std::shared_ptr<SpreadsheetEngine> sessionEngine();
// The same object as a LibreOfficeEngine (for convert); nullptr never.
std::shared_ptr<LibreOfficeEngine> sessionLibreOffice();

// The Debian packages the engine needs, for the message of a missing engine.
inline constexpr std::string_view kEnginePackages = "libreoffice-calc-nogui python3-uno";

// ---- in-memory workbooks for tests ----

// A workbook of `sheets` worksheets whose cells are numbers, texts or errors set by the test,
// or computed by a callback from the cells written so far (the "formulas").
class MemorySpreadsheet final : public SpreadsheetEngine {
 public:
  struct Book {
    int sheets = 1;
    std::map<CellRef, CellValue> cells;  // fixed values
    // Computed cells: called with the workbook's current cells (written and fixed).
    std::map<CellRef, std::function<CellValue(const std::map<CellRef, CellValue>&)>> formulas;
  };

  // Registers a workbook under a path; open() of any other path fails with OpenFailed.
  void add(const std::string& path, Book book);

  SheetStatus open(const std::string& path, int& book, int& sheets, std::string& error) override;
  SheetStatus exchange(int book, const std::vector<CellWrite>& writes,
                       const std::vector<CellRef>& reads, std::vector<CellValue>& values,
                       std::string& error) override;
  // As the default (one exchange per evaluation), counted in `batches`.
  SheetStatus exchangeBatch(int book, const std::vector<std::vector<CellWrite>>& writes,
                            const std::vector<CellRef>& reads,
                            std::vector<std::vector<CellValue>>& values,
                            std::string& error) override;
  void close(int book) override;

  // Counters for tests: calls of exchange (also those a batch makes) and of exchangeBatch, and
  // workbooks open now.
  int exchanges = 0;
  int batches = 0;
  int openBooks() const { return static_cast<int>(open_.size()); }
  // When set, the next exchange fails with EngineFailed (an engine that died).
  bool failNext = false;

 private:
  std::map<std::string, Book> books_;
  std::map<int, Book> open_;
  int next_ = 1;
};

// Helper for MemorySpreadsheet formulas: the number in a cell (0 when absent or not a number).
double cellNumber(const std::map<CellRef, CellValue>& cells, int sheet, const std::string& addr);

}  // namespace orvant
