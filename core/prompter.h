#pragma once
// How a job asks the user: the desktop program shows modal boxes owned by the
// main window, the command line asks on the terminal, tests script answers.
// A worker blocks in these calls until the answer is there.

#include <string>

namespace kv {

enum class Buttons { kOk, kYesNo, kRetryCancel };

// The Windows exclamation and warning icons are the same icon: kWarning.
enum class Icon { kNone, kStop, kWarning, kInformation, kQuestion };

enum class Answer { kOk, kYes, kNo, kRetry, kCancel };

struct Message {
  std::string text;
  std::string caption;
  Buttons buttons = Buttons::kOk;
  Icon icon = Icon::kNone;
  // The button preselected; the first button of the set when not given.
  Answer defaultButton = Answer::kOk;
};

// The capacity-shortage dialog: destination too small for the next piece.
struct CapacityShortage {
  std::string requiredLine;  // "必要容量： %sBytes"
  std::string freeLine;      // "空き容量： %sBytes"
  std::string destination;   // the piece about to be written
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual Answer Ask(const Message& message) = 0;
  // Answered kRetry or kCancel.
  virtual Answer AskCapacityShortage(const CapacityShortage& request) = 0;
};

// The product caption, and the convenience of building the common boxes.
inline constexpr const char* kCaption = "Kolvanto";

inline Message MakeMessage(std::string text, Buttons buttons, Icon icon,
                           std::string caption = kCaption) {
  Message m{std::move(text), std::move(caption), buttons, icon, Answer::kOk};
  m.defaultButton = buttons == Buttons::kYesNo         ? Answer::kYes
                    : buttons == Buttons::kRetryCancel ? Answer::kRetry
                                                       : Answer::kOk;
  return m;
}

}  // namespace kv
