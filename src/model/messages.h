// Where library operations send their failure messages.
//
// A numerical operation that fails (a date that does not convert, a missing ephemeris block) shows a
// fixed Russian text with a window title. The numerical code has no windows: it hands the text to a
// sink, which a screen implements with a message box and the command line with a line on stderr.
#pragma once

#include <string_view>

namespace orvant {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void message(std::string_view text, std::string_view title) = 0;
};

// Titles used by the messages.
inline constexpr std::string_view kTitle7 = "Orvant7";
inline constexpr std::string_view kTitle70 = "Orvant7.0";

}  // namespace orvant
