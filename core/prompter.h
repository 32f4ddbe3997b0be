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

// What a message asks, so that a front end answering by rule (the command
// line without a terminal, a test) never has to read its text.
enum class MessageKind {
  kNotice,               // information or a refusal, answered OK
  kQuestion,             // any other question of the program (its settings, ...)
  kExecuteConfirmation,  // the job as described is to be started
  kOverwrite,            // an existing file is in the way: write over it?
  kResumeDivide,         // the pieces of an earlier run of this divide are there: go on from them?
  kForceDamagedPiece,    // a piece failed its check: go on with it anyway?
  kForceForeignPiece,    // a piece of another series, or out of its place: take it anyway?
  kNextMedium,           // the next piece is written to, or read from, the next medium
  kNextPieceMissing,     // the next piece cannot be found: look again?
  kRetryMedium,          // a destination that is not ready, too small, or a file that cannot
                         // be created or opened: try again?
  kCapacityShortage,     // the capacity-shortage dialog shown as a message
  kRebuildFromRecovery,  // pieces missing or damaged: rebuild them from the recovery data?
};

struct Message {
  std::string text;
  std::string caption;
  Buttons buttons = Buttons::kOk;
  Icon icon = Icon::kNone;
  // The button preselected; the first button of the set when not given.
  Answer defaultButton = Answer::kOk;
  MessageKind kind = MessageKind::kNotice;
  // The file the question is about, when it is about one piece.
  std::string subject = {};
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

// A message without a kind of its own is a notice when answered OK, else a question.
inline Message MakeMessage(std::string text, Buttons buttons, Icon icon,
                           std::string caption = kCaption) {
  Message m{std::move(text), std::move(caption), buttons, icon, Answer::kOk};
  m.defaultButton = buttons == Buttons::kYesNo         ? Answer::kYes
                    : buttons == Buttons::kRetryCancel ? Answer::kRetry
                                                       : Answer::kOk;
  m.kind = buttons == Buttons::kOk ? MessageKind::kNotice : MessageKind::kQuestion;
  return m;
}

inline Message MakeMessage(MessageKind kind, std::string text, Buttons buttons, Icon icon,
                           std::string caption = kCaption) {
  Message m = MakeMessage(std::move(text), buttons, icon, std::move(caption));
  m.kind = kind;
  return m;
}

}  // namespace kv
