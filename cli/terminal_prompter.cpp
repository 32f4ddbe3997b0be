#include "cli/terminal_prompter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <optional>

#include "cli/terminal.h"
#include "cli/terminal_escape.h"
#include "core/job_state.h"
#include "divide/media_texts.h"

namespace kv {

namespace {

const char* AnswerWord(Answer a) {
  switch (a) {
    case Answer::kOk:
      return "OK";
    case Answer::kYes:
      return "yes";
    case Answer::kNo:
      return "no";
    case Answer::kRetry:
      return "retry";
    case Answer::kCancel:
      return "cancel";
  }
  return "";
}

// The answer Enter gives on a terminal: the message's default button, except
// that overwriting is never what Enter alone agrees to.
Answer EnterAnswer(const Message& m) {
  return m.buttons == Buttons::kYesNo && m.kind == MessageKind::kOverwrite ? Answer::kNo
                                                                           : m.defaultButton;
}

// The keys a question takes, the one Enter stands for in capitals.
const char* KeyPrompt(const Message& m) {
  if (m.buttons == Buttons::kYesNo) {
    return EnterAnswer(m) == Answer::kNo ? "(y/N) " : "(Y/n) ";
  }
  return EnterAnswer(m) == Answer::kCancel ? "(r/C) " : "(R/c) ";
}

// The same question answered the same way more often than this without a
// terminal is a loop no further answer would leave.
constexpr int kMostAutomaticRepeats = 3;

// The answer that gives a question up.
Answer GivingUpAnswer(const Message& m) {
  switch (m.buttons) {
    case Buttons::kYesNo:
      return Answer::kNo;
    case Buttons::kRetryCancel:
      return Answer::kCancel;
    default:
      return Answer::kOk;
  }
}

// Waits for a line on standard input, giving up at an interrupt; false when given up.
bool WaitForInput() {
  if (std::cin.rdbuf()->in_avail() > 0) {
    return true;
  }
  for (;;) {
    if (InterruptRequested()) {
      return false;
    }
    // After a signal the loop looks at the interrupt: getline would block
    // for a line that is not coming.
    if (InputArrives(100)) {
      return true;
    }
  }
}

}  // namespace

void TerminalPrompter::EndProgressLine() {
  if (progressShown_) {
    std::fputc('\n', stderr);
    progressShown_ = false;
  }
}

Answer TerminalPrompter::Automatic(const Message& m) const {
  if (m.buttons == Buttons::kOk) {
    return Answer::kOk;
  }
  if (m.buttons == Buttons::kRetryCancel) {
    return Answer::kCancel;
  }
  // Only --resume goes on from an earlier run: -y keeps writing the series afresh.
  if (m.kind == MessageKind::kResumeDivide) {
    return rules_.resume ? Answer::kYes : Answer::kNo;
  }
  if (rules_.yesToAll) {
    return Answer::kYes;
  }
  switch (m.kind) {
    case MessageKind::kExecuteConfirmation:
    case MessageKind::kNextMedium:
      return Answer::kYes;  // the command line is the confirmation; the medium is in place
    case MessageKind::kRebuildFromRecovery:
      return Answer::kYes;  // rebuilding only creates files; a damaged piece is kept
    case MessageKind::kOverwrite:
      return rules_.overwrite ? Answer::kYes : Answer::kNo;
    case MessageKind::kForceDamagedPiece:
    case MessageKind::kForceForeignPiece:
      return rules_.force ? Answer::kYes : Answer::kNo;
    default:
      return Answer::kNo;
  }
}

bool TerminalPrompter::AnsweredTooOften(const Message& m) {
  const int times = ++automaticAnswers_[{m.kind, m.text, m.subject}];
  if (times <= kMostAutomaticRepeats) {
    return false;
  }
  std::fprintf(stderr, "the same question was asked %d times: the job is stopped\n", times);
  if (runState_ != nullptr) {
    int running = kRunRunning;
    runState_->compare_exchange_strong(running, kRunCancelRequested);
  }
  return true;
}

char TerminalPrompter::ReadKey() {
  std::string line;
  if (!WaitForInput() || !std::getline(std::cin, line)) {
    return 0;
  }
  return line.empty() ? '\n' : line.front();
}

namespace {

// The answer a key stands for in this question; nothing for a key it does not take.
std::optional<Answer> KeyAnswer(const Message& m, char key) {
  if (key == 0) {
    return GivingUpAnswer(m);  // the end of input or an interrupt
  }
  if (key == '\n') {
    return EnterAnswer(m);
  }
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
  if (m.buttons == Buttons::kYesNo && (lower == 'y' || lower == 'n')) {
    return lower == 'y' ? Answer::kYes : Answer::kNo;
  }
  if (m.buttons == Buttons::kRetryCancel && (lower == 'r' || lower == 'c')) {
    return lower == 'r' ? Answer::kRetry : Answer::kCancel;
  }
  return std::nullopt;
}

}  // namespace

bool TerminalPrompter::AnswersWithoutAsking(const Message& m) const {
  return !rules_.interactive || (rules_.yesToAll && m.buttons == Buttons::kYesNo) ||
         (rules_.resume && m.kind == MessageKind::kResumeDivide);
}

Answer TerminalPrompter::AnswerByRules(const Message& m) {
  const Answer answer = AnsweredTooOften(m) ? GivingUpAnswer(m) : Automatic(m);
  if (m.buttons != Buttons::kOk) {
    std::fprintf(stderr, "-> %s\n", AnswerWord(answer));
  }
  return answer;
}

Answer TerminalPrompter::AnswerByKeys(const Message& m) {
  if (m.buttons == Buttons::kOk) {
    std::fputs("(Enter) ", stderr);
    std::fflush(stderr);
    ReadKey();
    return Answer::kOk;
  }
  for (;;) {
    std::fputs(KeyPrompt(m), stderr);
    std::fflush(stderr);
    if (const std::optional<Answer> answer = KeyAnswer(m, ReadKey())) {
      return *answer;
    }
  }
}

void TerminalPrompter::NoteAnswer(const Message& m, Answer answer) {
  if (answer == Answer::kYes &&
      (m.kind == MessageKind::kForceDamagedPiece || m.kind == MessageKind::kForceForeignPiece)) {
    forced_.push_back(m.subject);
  }
  if (m.kind == MessageKind::kNextPieceMissing) {
    missing_ = answer == Answer::kRetry ? std::string() : m.subject;
  }
}

Answer TerminalPrompter::Ask(const Message& m) {
  std::lock_guard lock(outputMutex_);
  EndProgressLine();
  AddShownNames({m.subject});
  std::fprintf(stderr, "[%s]\n%s\n", EscapeForTerminal(m.caption).c_str(),
               TerminalText(m.text, shownNames_).c_str());
  const Answer answer = AnswersWithoutAsking(m) ? AnswerByRules(m) : AnswerByKeys(m);
  NoteAnswer(m, answer);
  std::fflush(stderr);
  return answer;
}

void TerminalPrompter::AddShownNames(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (!name.empty() &&
        std::find(shownNames_.begin(), shownNames_.end(), name) == shownNames_.end()) {
      shownNames_.push_back(name);
    }
  }
}

std::vector<std::string> TerminalPrompter::ShownNames() {
  std::lock_guard lock(outputMutex_);
  return shownNames_;
}

std::string TerminalPrompter::MissingPiece() {
  std::lock_guard lock(outputMutex_);
  return missing_;
}

std::vector<std::string> TerminalPrompter::ForcedPieces() {
  std::lock_guard lock(outputMutex_);
  return forced_;
}

Answer TerminalPrompter::AskCapacityShortage(const CapacityShortage& request) {
  return Ask(
      MakeMessage(MessageKind::kCapacityShortage,
                  request.requiredLine + "\n" + request.freeLine + "\n" + request.destination,
                  Buttons::kRetryCancel, Icon::kNone, texts::kShortageCaption));
}

}  // namespace kv
