#include "ui/script.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <istream>
#include <ostream>

#include "model/format.h"
#include "model/state.h"
#include "ui/memory_form.h"
#include "ui/state_names.h"
#include "ui/workbench.h"

namespace orvant::ui {

namespace {

std::string_view trim(std::string_view s) {
  const auto blank = [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool toInt(const std::string& word, long& value) {
  if (word.empty() || word.find_first_of(" +") != std::string::npos) return false;
  char* end = nullptr;
  const long v = std::strtol(word.c_str(), &end, 10);
  if (*end != '\0') return false;
  value = v;
  return true;
}

long needInt(const std::string& word, const char* what) {
  long v = 0;
  if (!toInt(word, v)) throw ScriptError(std::string(what) + " должен быть целым числом: " + word);
  return v;
}

bool onOff(const std::string& word) {
  if (word == "on") return true;
  if (word == "off") return false;
  throw ScriptError("ожидается on или off: " + word);
}

bool yesNo(const std::string& word) {
  if (word == "yes") return true;
  if (word == "no") return false;
  throw ScriptError("ожидается yes или no: " + word);
}

MouseButton mouseButton(const std::string& word) {
  if (word == "left") return MouseButton::Left;
  if (word == "right") return MouseButton::Right;
  throw ScriptError("ожидается left или right: " + word);
}

double needNumber(const std::string& word) {
  const auto v = parseNumber(word);
  if (!v) throw ScriptError("ожидается число: " + word);
  return *v;
}

void needWords(const std::vector<std::string>& w, std::size_t lo, std::size_t hi, const char* usage) {
  if (w.size() < lo || w.size() > hi) throw ScriptError(std::string("ожидается: ") + usage);
}

bool hasKind(const Control& c, std::initializer_list<Kind> kinds) {
  for (Kind k : kinds)
    if (c.kind == k) return true;
  return false;
}

// A control by id, else by its caption (current or declared, blanks at the ends ignored).
const Control& resolve(Screen& s, const std::string& word, std::initializer_list<Kind> kinds) {
  const std::string where = "экран " + std::to_string(s.number());
  if (const Control* c = s.find(word)) {
    if (!hasKind(*c, kinds))
      throw ScriptError(where + ": " + word + " — это " + kindName(c->kind) + ", здесь не подходит");
    return *c;
  }
  const std::string_view w = trim(word);
  std::vector<const Control*> hits;
  if (!w.empty()) {
    for (const Control& c : s.controls()) {
      if (!hasKind(c, kinds)) continue;
      if (trim(s.form().caption(c.id)) == w || trim(c.caption) == w) hits.push_back(&c);
    }
  }
  if (hits.size() == 1) return *hits.front();
  if (hits.empty()) throw ScriptError(where + ": нет элемента " + word);
  std::string ids;
  for (const Control* c : hits) ids += " " + c->id;
  throw ScriptError(where + ": подпись \"" + word + "\" неоднозначна, укажите id:" + ids);
}

}  // namespace

std::vector<std::string> splitScriptLine(std::string_view line) {
  std::vector<std::string> words;
  std::string current;
  bool inWord = false, quoted = false;
  for (char ch : line) {
    if (quoted) {
      if (ch == '"')
        quoted = false;
      else
        current += ch;
    } else if (ch == '"') {
      quoted = true;
      inWord = true;
    } else if (ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n') {
      if (inWord) words.push_back(std::move(current));
      current.clear();
      inWord = false;
    } else {
      current += ch;
      inWord = true;
    }
  }
  if (quoted) throw ScriptError("не закрыта кавычка");
  if (inWord) words.push_back(std::move(current));
  return words;
}

std::string oneLine(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out += " | ";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

ScriptRunner::ScriptRunner(Workbench& workbench, MemoryDesk& desk, std::ostream& out)
    : wb_(workbench), desk_(desk), out_(out), timed_(std::getenv("ORVANT_SCRIPT_TIMES") != nullptr) {
  desk_.setListener([this](const Dialog& d) {
    std::string line = "MESSAGE [" + oneLine(d.title) + "] " + oneLine(d.text);
    if (d.question) line += d.answer ? " -> yes" : " -> no";
    print(line);
  });
}

ScriptRunner::~ScriptRunner() { desk_.setListener(nullptr); }

void ScriptRunner::print(std::string_view text) { out_ << text << '\n' << std::flush; }

void ScriptRunner::check(const std::vector<std::string>& w) {
  const std::string& cmd = w.front();
  if (cmd == "open") {
    needWords(w, 2, 2, "open N");
    needInt(w[1], "номер экрана");
  } else if (cmd == "set") {
    needWords(w, 4, 4, "set N FIELD VALUE");
    needInt(w[1], "номер экрана");
  } else if (cmd == "check") {
    needWords(w, 4, 4, "check N BOX on|off");
    needInt(w[1], "номер экрана");
    onOff(w[3]);
  } else if (cmd == "choose") {
    needWords(w, 3, 3, "choose N OPTION");
    needInt(w[1], "номер экрана");
  } else if (cmd == "table") {
    needWords(w, 6, 6, "table N TABLE ROW COL VALUE");
    needInt(w[1], "номер экрана");
    needInt(w[3], "номер строки");
    needInt(w[4], "номер столбца");
  } else if (cmd == "press") {
    needWords(w, 3, 5, "press N BUTTON [--max-displays K]");
    needInt(w[1], "номер экрана");
    if (w.size() == 4 || (w.size() == 5 && w[3] != "--max-displays"))
      throw ScriptError("ожидается: press N BUTTON [--max-displays K]");
    if (w.size() == 5 && needInt(w[4], "--max-displays") < 0)
      throw ScriptError("--max-displays не может быть отрицательным");
  } else if (cmd == "click") {
    needWords(w, 5, 6, "click N PICTURE X Y [left|right]");
    needInt(w[1], "номер экрана");
    needNumber(w[3]);
    needNumber(w[4]);
    if (w.size() == 6) mouseButton(w[5]);
  } else if (cmd == "answer") {
    needWords(w, 2, 2, "answer yes|no");
    yesNo(w[1]);
  } else if (cmd == "show") {
    needWords(w, 3, 5, "show N FIELD [ROW COL]");
    needInt(w[1], "номер экрана");
    if (w.size() == 4) throw ScriptError("ожидается: show N FIELD [ROW COL]");
    if (w.size() == 5) {
      needInt(w[3], "номер строки");
      needInt(w[4], "номер столбца");
    }
  } else if (cmd == "state") {
    needWords(w, 2, 2, "state NAME[INDEX]");
  } else {
    throw ScriptError("неизвестная команда: " + cmd);
  }
}

Screen& ScriptRunner::openScreen(const std::string& word) {
  const int n = static_cast<int>(needInt(word, "номер экрана"));
  if (Screen* s = wb_.created(n)) return *s;
  if (!wb_.has(n)) throw ScriptError("экран " + word + " не зарегистрирован");
  throw ScriptError("экран " + word + " не открыт (нужна строка open " + word + ")");
}

// choose SCREEN WORD | ID=ENTRY: the option entry named by its caption (unique on the screen)
// or by its group and caption or number.
void ScriptRunner::choose(const std::vector<std::string>& w) {
  Screen& s = openScreen(w[1]);
  const std::string_view word = trim(w[2]);
  std::vector<std::pair<const Control*, int>> hits;
  for (const Control& c : s.controls())
    if (c.kind == Kind::Options)
      for (std::size_t k = 0; k < c.entries.size(); ++k)
        if (!word.empty() && trim(c.entries[k]) == word) hits.emplace_back(&c, static_cast<int>(k));
  if (hits.size() > 1) {
    std::string ids;
    for (const auto& h : hits) ids += " " + h.first->id + "=" + std::to_string(h.second);
    throw ScriptError("экран " + w[1] + ": вариант \"" + w[2] + "\" неоднозначен, укажите:" + ids);
  }
  if (hits.empty()) {
    const std::size_t eq = w[2].find('=');
    if (eq == std::string::npos) throw ScriptError("экран " + w[1] + ": нет варианта " + w[2]);
    const Control& g = resolve(s, w[2].substr(0, eq), {Kind::Options});
    const std::string entryWord = w[2].substr(eq + 1);
    long k = -1;
    if (!toInt(entryWord, k)) {
      for (std::size_t i = 0; i < g.entries.size(); ++i)
        if (trim(g.entries[i]) == trim(entryWord)) k = static_cast<long>(i);
    }
    if (k < 0 || k >= static_cast<long>(g.entries.size()))
      throw ScriptError("экран " + w[1] + ": в " + g.id + " нет варианта " + entryWord);
    hits.emplace_back(&g, static_cast<int>(k));
  }
  if (!s.form().choose(hits.front().first->id, hits.front().second)) print("DISABLED " + w[2]);
}

// press SCREEN ID [--max-displays N]: the button, the display points limited when asked.
void ScriptRunner::pressButton(const std::vector<std::string>& w) {
  Screen& s = openScreen(w[1]);
  const Control& c = resolve(s, w[2], {Kind::Button});
  const long limit = w.size() == 5 ? needInt(w[4], "--max-displays") : -1;
  desk_.limitDisplays(limit);
  if (limiter_) limiter_(limit);
  if (beforePress_) beforePress_();
  const auto began = std::chrono::steady_clock::now();
  const bool ok = s.form().press(c.id);
  if (timed_)
    std::cerr << "TIME press " << w[1] << ' ' << w[2] << ' '
              << std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count()
              << '\n';
  desk_.limitDisplays(-1);
  if (limiter_) limiter_(-1);
  if (!ok) print("DISABLED " + w[2]);
}

// show SCREEN ID [ROW COL]: the control's value as "ID = value".
void ScriptRunner::show(const std::vector<std::string>& w) {
  Screen& s = openScreen(w[1]);
  const Control& c =
      resolve(s, w[2], {Kind::Field, Kind::Text, Kind::Label, Kind::Hidden, Kind::Check,
                        Kind::Options, Kind::Scroll, Kind::Table, Kind::Button});
  Form& f = s.form();
  if ((c.kind == Kind::Table) != (w.size() == 5))
    throw ScriptError(c.kind == Kind::Table ? "для таблицы нужны ROW COL" : "ROW COL только для таблицы");
  std::string value;
  std::string name = w[2];
  switch (c.kind) {
    case Kind::Check:
      value = f.checked(c.id) ? "on" : "off";
      break;
    case Kind::Options: {
      const int k = f.option(c.id);
      value = k < 0 ? "" : c.entries[static_cast<std::size_t>(k)];
      if (k >= 0 && trim(value).empty()) value = std::to_string(k);
      break;
    }
    case Kind::Scroll:
      value = std::to_string(f.position(c.id));
      break;
    case Kind::Table: {
      const int row = static_cast<int>(needInt(w[3], "номер строки"));
      const int col = static_cast<int>(needInt(w[4], "номер столбца"));
      value = f.cell(c.id, row, col);
      name += "[" + w[3] + "," + w[4] + "]";
      break;
    }
    case Kind::Button:
      value = f.caption(c.id);
      break;
    default:
      value = f.text(c.id);
  }
  print(name + " = " + oneLine(value));
}

void ScriptRunner::execute(std::string_view line) {
  const std::string_view body = trim(line);
  if (body.empty() || body.front() == '#') return;
  const std::vector<std::string> w = splitScriptLine(body);
  check(w);
  const std::string& cmd = w[0];
  const auto disabled = [this](const std::string& word) { print("DISABLED " + word); };
  try {
    if (cmd == "open") {
      const int n = static_cast<int>(needInt(w[1], "номер экрана"));
      if (!wb_.has(n)) throw ScriptError("экран " + w[1] + " не зарегистрирован");
      wb_.show(n);
    } else if (cmd == "set") {
      Screen& s = openScreen(w[1]);
      const Control& c = resolve(s, w[2], {Kind::Field, Kind::Text, Kind::Scroll, Kind::Hidden});
      bool ok = true;
      if (c.kind == Kind::Scroll)
        ok = s.form().scrollTo(c.id, static_cast<int>(needInt(w[3], "положение")));
      else if (c.kind == Kind::Hidden)
        s.form().setText(c.id, w[3]);
      else
        ok = s.form().type(c.id, w[3]);
      if (!ok) disabled(w[2]);
    } else if (cmd == "check") {
      Screen& s = openScreen(w[1]);
      const Control& c = resolve(s, w[2], {Kind::Check});
      if (!s.form().tick(c.id, onOff(w[3]))) disabled(w[2]);
    } else if (cmd == "choose") {
      choose(w);
    } else if (cmd == "table") {
      Screen& s = openScreen(w[1]);
      const Control& c = resolve(s, w[2], {Kind::Table});
      if (!s.form().typeCell(c.id, static_cast<int>(needInt(w[3], "номер строки")),
                             static_cast<int>(needInt(w[4], "номер столбца")), w[5]))
        disabled(w[2]);
    } else if (cmd == "press") {
      pressButton(w);
    } else if (cmd == "click") {
      Screen& s = openScreen(w[1]);
      const Control& c = resolve(s, w[2], {Kind::Picture});
      const MouseButton b = w.size() == 6 ? mouseButton(w[5]) : MouseButton::Left;
      if (!s.form().click(c.id, needNumber(w[3]), needNumber(w[4]), b)) disabled(w[2]);
    } else if (cmd == "answer") {
      desk_.answer(yesNo(w[1]));
    } else if (cmd == "show") {
      show(w);
    } else if (cmd == "state") {
      print(w[1] + " = " + number17(stateValue(wb_.state(), w[1])));
    }
  } catch (const StateNameError& e) {
    throw ScriptError(e.what());
  } catch (const std::logic_error& e) {
    // Out-of-range rows, columns or entries named by the script; screen declaration faults.
    throw ScriptError(e.what());
  }
}

int ScriptRunner::run(std::istream& in, std::ostream& err) {
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  if (!lines.empty() && lines.front().rfind("\xEF\xBB\xBF", 0) == 0) lines.front().erase(0, 3);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view body = trim(lines[i]);
    if (body.empty() || body.front() == '#') continue;
    try {
      check(splitScriptLine(body));
    } catch (const ScriptError& e) {
      err << "строка " << i + 1 << ": " << e.what() << '\n';
      return 2;
    }
  }
  for (std::size_t i = 0; i < lines.size() && !wb_.quitting(); ++i) {
    try {
      execute(lines[i]);
    } catch (const ScriptError& e) {
      out_ << std::flush;
      err << "строка " << i + 1 << ": " << e.what() << '\n';
      return 2;
    }
  }
  return 0;
}

void describe(const Screen& screen, std::ostream& out) {
  out << "screen " << screen.number() << ": " << screen.title() << '\n';
  for (const Control& c : screen.controls()) {
    out << kindName(c.kind) << ' ' << c.id;
    if (c.kind != Kind::Hidden) out << " \"" << oneLine(c.caption) << '"';
    switch (c.kind) {
      case Kind::Field:
      case Kind::Text:
        if (!c.text.empty()) out << " = \"" << oneLine(c.text) << '"';
        break;
      case Kind::Check:
        out << " = " << (c.on ? "on" : "off");
        break;
      case Kind::Options:
        out << " = " << c.entry << " [";
        for (std::size_t k = 0; k < c.entries.size(); ++k)
          out << (k ? ", " : "") << k << " \"" << c.entries[k] << '"';
        out << ']';
        break;
      case Kind::Table:
        out << ' ' << c.rows << 'x' << c.columns.size() << " [";
        for (std::size_t k = 0; k < c.columns.size(); ++k)
          out << (k ? ", " : "") << '"' << c.columns[k] << '"';
        out << ']';
        break;
      case Kind::Picture:
        out << ' ' << screenNumber(c.widthCm) << 'x' << screenNumber(c.heightCm) << " cm";
        break;
      case Kind::Scroll:
        out << ' ' << c.min << ".." << c.max << " = " << c.position;
        break;
      default:
        break;
    }
    if (c.readOnly) out << " read-only";
    if (!c.group.empty()) out << " (in " << c.group << ')';
    out << '\n';
  }
}

}  // namespace orvant::ui
