#pragma once
// Asks the job's questions on the terminal, or answers them by the command
// line's rules when there is none. Shares standard error with the progress line.

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "core/prompter.h"

namespace kv {

struct AnswerRules {
  bool interactive = false;  // standard input and error are a terminal
  bool yesToAll = false;     // -y
  bool overwrite = false;    // --overwrite
  bool force = false;        // --force
  bool resume = false;       // --resume
};

class TerminalPrompter final : public Prompter {
 public:
  explicit TerminalPrompter(AnswerRules rules) : rules_(rules) {}

  Answer Ask(const Message& message) override;
  Answer AskCapacityShortage(const CapacityShortage& request) override;

  // The pieces a forcing question let into the result (answered Yes), in order.
  std::vector<std::string> ForcedPieces();
  // The piece last asked for as missing and not looked for again; empty when none.
  std::string MissingPiece();
  // Standard error is shared with the progress line.
  std::mutex& OutputMutex() { return outputMutex_; }
  // Names that may appear in questions and the final message besides each
  // question's own piece: they are shown escaped, line breaks and all.
  void AddShownNames(const std::vector<std::string>& names);
  // Those names and every piece a question was about.
  std::vector<std::string> ShownNames();
  // The job a looping question is stopped through; nullptr before it exists.
  void SetRunState(std::atomic<int>* runState) { runState_ = runState; }
  // A progress line is on screen and must be ended before anything else is written.
  void SetProgressShown(bool shown) { progressShown_ = shown; }

 private:
  Answer Automatic(const Message& message) const;
  // No one is asked: there is no terminal, or -y or --resume answers this question.
  bool AnswersWithoutAsking(const Message& message) const;
  Answer AnswerByRules(const Message& message);
  Answer AnswerByKeys(const Message& message);
  // Keeps what the job's end reports: forced pieces, the piece left missing.
  void NoteAnswer(const Message& message, Answer answer);
  bool AnsweredTooOften(const Message& message);
  char ReadKey();
  void EndProgressLine();

  AnswerRules rules_;
  std::mutex outputMutex_;
  bool progressShown_ = false;
  std::vector<std::string> forced_;
  std::string missing_;
  std::vector<std::string> shownNames_;
  std::atomic<int>* runState_ = nullptr;
  // How often each question (kind, text, piece) was answered without a terminal.
  std::map<std::tuple<MessageKind, std::string, std::string>, int> automaticAnswers_;
};

}  // namespace kv
