// The real window of a screen: Qt 6 Widgets built from the screen's declaration.
//
// Layout: each container (the window, each Group frame) is a grid. A control sits in the cell of its
// hints (row, col; span); each logical column holds a caption and a widget, so the captions of
// fields in one column line up. Fields and scroll bars have their caption to the left; tables, text
// areas and pictures have it above; option groups and groups are frames titled by their caption.
// Pictures sit in a scrolling frame (a large drawing stays reachable). The whole content sits in a
// scroll area that fills the window; the window first opens at the content's size, bounded by the
// available part of its display, so a large screen scrolls instead of reaching beyond the display.
//
// Bringing the window to the front activates its screen (Screen::activated) when another screen
// was active. Buttons run their command; a value the user changes runs the control's change command; a mouse
// press on a picture calls its mouse handler with the picture's coordinates and the button.
// Message boxes are modal QMessageBox windows with the given title; questions have the buttons
// "Да" and "Нет". processEvents() is QCoreApplication::processEvents(), at most kFramesPerSecond
// times a second, and never so often that frames take more than a third of a loop's time (a large
// window on a slow display: fewer frames): a long loop calls it at every display point, often thousands of times a
// second, and a full pass of the event loop (input, layout, painting every changed widget,
// sending the frame to the display) at each would cost it more than its own work. Between two
// frames a display point only reads a clock, so the loop runs at full speed; the window still
// shows its progress and its growing pictures several times a second, and "Остановить" is
// answered within a frame. For the same reason the values a running loop writes between its
// display points (field and text-area texts, label texts, table cells) reach their widgets at the
// next frame, or when the event loop runs again after the command: a later value of a field
// replaces an earlier one unseen. Reading a control first applies what was written to it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/form.h"
#include "ui/workbench.h"

class QObject;
class QWidget;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QCheckBox;
class QGroupBox;
class QRadioButton;
class QPushButton;
class QTableWidget;
class QScrollBar;
class QGridLayout;
class QScrollArea;
class QSize;

namespace orvant::ui {

class QtCanvas;

// Form factory for the Workbench: every screen gets a QtForm. A QApplication must exist.
Workbench::FormFactory qtForms();

class QtForm : public Form {
 public:
  explicit QtForm(Screen& screen);
  ~QtForm() override;

  // The top-level window.
  QWidget* window() const { return window_.get(); }
  // The widget holding every control, inside the window's scroll area (its full size, also when
  // the window shows only part of it).
  QWidget* content() const { return content_; }
  // The scroll area that fills the window.
  QScrollArea* scrollArea() const { return scroll_; }

  static constexpr int kFramesPerSecond = 30;
  // A frame longer than this waited for the user (a message box raised within it).
  static constexpr int kUserPauseMs = 1000;
  // Display points counted from now (all windows); after `limit` of them the running loop gets
  // kStop = 1, as `press ... --max-displays` does headless (`orvant --script`). Negative: none.
  static void limitDisplays(long limit);
  // The widget that holds a control's value (QLineEdit, QCheckBox, QPushButton, QTableWidget, the
  // picture, ...); the frame for Options and Group; nullptr for Hidden.
  QWidget* widget(std::string_view id) const;

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
  void writeCaption(const Control& c, std::string_view caption) override;
  void writeColumnCaption(const Control& c, int col, std::string_view caption) override;
  void writeEnabled(const Control& c, bool enabled) override;
  void writeVisible(const Control& c, bool visible) override;
  void writeEntryEnabled(const Control& c, int entry, bool enabled) override;
  void writeEntryVisible(const Control& c, int entry, bool visible) override;
  Canvas& canvasOf(const Control& c) override;
  void showWindow() override;
  void hideWindow() override;
  bool windowShown() const override;
  void showMessage(std::string_view text, std::string_view title) override;
  bool askQuestion(std::string_view text, std::string_view title) override;
  void pumpEvents() override;

 private:
  struct Item {
    QWidget* outer = nullptr;    // what the layout holds (enable, visible)
    QLabel* caption = nullptr;   // caption label of fields, scroll bars, tables, texts
    QWidget* main = nullptr;     // the value widget
    QLineEdit* edit = nullptr;
    QPlainTextEdit* area = nullptr;
    QLabel* label = nullptr;
    QCheckBox* check = nullptr;
    QGroupBox* frame = nullptr;  // Options, Group, Picture
    std::vector<QRadioButton*> radios;
    QPushButton* button = nullptr;
    QTableWidget* table = nullptr;
    QScrollBar* bar = nullptr;
    QGridLayout* grid = nullptr;  // Group: its children's grid
    std::unique_ptr<QtCanvas> canvas;
  };
  Item& item(const Control& c) const;
  void build(const Control& c, Item& it);
  void buildText(const Control& c, Item& it);
  void buildOptions(const Control& c, Item& it);
  void buildTable(const Control& c, Item& it);
  void buildPicture(const Control& c, Item& it);
  void place();
  // Writes that wait for the next frame, per control.
  struct Pending {
    bool hasText = false;
    std::string text;                 // Field, Text: the whole text
    std::vector<std::string> lines;   // Text: lines appended after it
    bool hasCaption = false;
    std::string caption;              // Label
    std::map<std::pair<int, int>, std::string> cells;  // Table
  };
  Pending& pending(const Control& c);
  void apply(const Control& c) const;  // what waits for c reaches its widget
  void applyAll() const;               // everything that waits
  void applyText(const Control& c, std::string_view text);
  mutable std::map<const Control*, Pending> pending_;
  bool flushPosted_ = false;

  std::unique_ptr<QObject> watch_;  // window activation and hiding, told to the workbench
  QSize initialSize() const;  // the window's size when first shown, bounded by the display

  std::unique_ptr<QWidget> window_;
  QScrollArea* scroll_ = nullptr;
  QWidget* content_ = nullptr;
  bool sized_ = false;
  QGridLayout* rootGrid_ = nullptr;
  mutable std::map<std::string, Item, std::less<>> items_;
};

}  // namespace orvant::ui
