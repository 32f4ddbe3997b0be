#pragma once
// A Prompter for tests: answers from a script, records every question asked.
// Safe to use from a worker thread while the test thread reads it afterwards.

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "core/prompter.h"

namespace kv::test {

class ScriptedPrompter final : public Prompter {
 public:
  // Answers given in order; when the script runs out, `fallback` answers
  // (kCancel unless set) so a test that forgot a question ends instead of hanging.
  void Script(std::initializer_list<Answer> answers);
  void SetFallback(Answer answer) { fallback_ = answer; }

  Answer Ask(const Message& message) override;
  Answer AskCapacityShortage(const CapacityShortage& request) override;

  std::vector<Message> Messages() const;
  std::vector<CapacityShortage> Shortages() const;
  // Every question in order, as "caption|text" for messages and "shortage|dest" for the dialog.
  std::vector<std::string> Transcript() const;

 private:
  Answer Next();
  mutable std::mutex mutex_;
  std::deque<Answer> script_;
  Answer fallback_ = Answer::kCancel;
  std::vector<Message> messages_;
  std::vector<CapacityShortage> shortages_;
  std::vector<std::string> transcript_;
};

}  // namespace kv::test
