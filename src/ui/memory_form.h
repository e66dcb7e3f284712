// The headless window: a screen's controls kept in memory.
//
// MemoryForm behaves as the real window does (same Form code decides what a user action does);
// only the toolkit is missing. Tests and orvant-cli scripts use it:
//
//   State state;
//   MemoryDesk desk;
//   Workbench wb(state, desk.factory());
//   wb.add<RunScreen>(2);
//   Form& f = wb.show(2).form();
//   f.type("H0", "1800");
//   desk.answer(true);                    // the next question is answered Yes
//   desk.limitDisplays(3);                // a loop gets kStop = 1 at its third display point
//   f.press("start");
//   EXPECT_EQ(desk.dialogs().back().text, "Задайте правильно данные");
//
// The desk is what all headless windows share: the log of message boxes and questions in the order
// they appeared, the scripted answers, and the count of display points.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant::ui {

// One message box or question as it appeared.
struct Dialog {
  bool question = false;
  std::string title;
  std::string text;
  bool answer = false;  // questions: the answer given (true for Yes)
  int screen = 0;       // number of the screen that showed it
};

class MemoryDesk {
 public:
  // Builds MemoryForms that share this desk (Workbench's form factory).
  Workbench::FormFactory factory();

  const std::vector<Dialog>& dialogs() const { return dialogs_; }
  void clearDialogs() { dialogs_.clear(); }
  // Called for every dialog as it appears (the script prints them).
  void setListener(std::function<void(const Dialog&)> listener) { listener_ = std::move(listener); }

  // Queues the answer of the next question. A question with no queued answer is answered No.
  void answer(bool yes) { answers_.push_back(yes); }

  // Display points counted from now; after `limit` of them processEvents sets kStop = 1, so a
  // running loop ends where it next looks at kStop. A negative limit: no limit.
  void limitDisplays(long limit) {
    limit_ = limit;
    displays_ = 0;
  }
  long displays() const { return displays_; }
  // Called at every display point with its count: a test acts there as the user would while a
  // loop runs (presses a button, closes a window).
  void setDisplayListener(std::function<void(long)> listener) { displayListener_ = std::move(listener); }

 private:
  friend class MemoryForm;
  std::vector<Dialog> dialogs_;
  std::deque<bool> answers_;
  std::function<void(const Dialog&)> listener_;
  std::function<void(long)> displayListener_;
  long limit_ = -1;
  long displays_ = 0;
};

class MemoryForm : public Form {
 public:
  MemoryForm(Screen& screen, MemoryDesk& desk);

  // The picture's display list.
  MemoryCanvas& memoryCanvas(std::string_view id);

 protected:
  std::string readText(const Control& c) const override;
  void writeText(const Control& c, std::string_view text) override;
  void addLine(const Control& c, std::string_view line) override;
  bool readCheck(const Control& c) const override;
  void writeCheck(const Control& c, bool on) override;
  int readOption(const Control& c) const override;
  void writeOption(const Control& c, int entry) override;
  int readPosition(const Control& c) const override;
  void writePosition(const Control& c, int position) override;
  std::string readCell(const Control& c, int row, int col) const override;
  void writeCell(const Control& c, int row, int col, std::string_view text) override;
  // Captions, enabled and visible states are kept by Form itself; nothing else to update here.
  void writeCaption(const Control&, std::string_view) override {}
  void writeColumnCaption(const Control&, int, std::string_view) override {}
  void writeEnabled(const Control&, bool) override {}
  void writeVisible(const Control&, bool) override {}
  void writeEntryEnabled(const Control&, int, bool) override {}
  void writeEntryVisible(const Control&, int, bool) override {}
  Canvas& canvasOf(const Control& c) override;
  void showWindow() override { shown_ = true; }
  void hideWindow() override { shown_ = false; }
  bool windowShown() const override { return shown_; }
  void showMessage(std::string_view text, std::string_view title) override;
  bool askQuestion(std::string_view text, std::string_view title) override;
  void pumpEvents() override;

 private:
  void log(Dialog d);

  MemoryDesk& desk_;
  std::map<std::string, std::string, std::less<>> texts_;
  std::map<std::string, bool, std::less<>> checks_;
  std::map<std::string, int, std::less<>> ints_;  // option entries and scroll positions
  std::map<std::string, std::vector<std::vector<std::string>>, std::less<>> cells_;
  std::map<std::string, std::unique_ptr<MemoryCanvas>, std::less<>> canvases_;
  bool shown_ = false;
};

}  // namespace orvant::ui
