#include "tests/support/scripted_prompter.h"

namespace kv::test {

void ScriptedPrompter::Script(std::initializer_list<Answer> answers) {
  std::lock_guard lock(mutex_);
  script_.insert(script_.end(), answers.begin(), answers.end());
}

Answer ScriptedPrompter::Next() {
  if (script_.empty()) {
    return fallback_;
  }
  const Answer a = script_.front();
  script_.pop_front();
  return a;
}

Answer ScriptedPrompter::Ask(const Message& message) {
  std::lock_guard lock(mutex_);
  messages_.push_back(message);
  transcript_.push_back(message.caption + "|" + message.text);
  return Next();
}

Answer ScriptedPrompter::AskCapacityShortage(const CapacityShortage& request) {
  std::lock_guard lock(mutex_);
  shortages_.push_back(request);
  transcript_.push_back("shortage|" + request.destination);
  return Next();
}

std::vector<Message> ScriptedPrompter::Messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::vector<CapacityShortage> ScriptedPrompter::Shortages() const {
  std::lock_guard lock(mutex_);
  return shortages_;
}

std::vector<std::string> ScriptedPrompter::Transcript() const {
  std::lock_guard lock(mutex_);
  return transcript_;
}

}  // namespace kv::test
