#pragma once
// What the divide engine tests share: a job record filled as the source
// analysis leaves it, scripted answers, a size-limited tmpfs for real
// shortage of space, and running GNU split for comparison.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/divide_settings.h"
#include "core/job_state.h"
#include "core/prompter.h"
#include "platform/volumes.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

namespace kv::test {

// Scripted answers, with a hook run before each question is answered (to
// cancel or to change the medium at a chosen question).
class HookPrompter final : public Prompter {
 public:
  ScriptedPrompter script;
  std::function<void(const Message&)> onAsk;
  std::function<void(const CapacityShortage&)> onShortage;

  Answer Ask(const Message& message) override {
    if (onAsk) {
      onAsk(message);
    }
    return script.Ask(message);
  }
  Answer AskCapacityShortage(const CapacityShortage& request) override {
    if (onShortage) {
      onShortage(request);
    }
    return script.AskCapacityShortage(request);
  }
};

// Fills the job record as the analysis and Execute leave it for dividing
// `source` into pieces starting at `dest`.
void PrepareDivideJob(JobState& job, const std::string& source, const std::string& dest,
                      std::int32_t divideSize, int headerLength = 0);

// A tmpfs of `bytes` mounted on a fresh folder, unmounted at the end. Mounted()
// is false when this process may not mount (not root).
class TmpfsMount {
 public:
  explicit TmpfsMount(std::uint64_t bytes);
  ~TmpfsMount();
  TmpfsMount(const TmpfsMount&) = delete;
  TmpfsMount& operator=(const TmpfsMount&) = delete;
  bool Mounted() const { return mounted_; }
  std::string operator/(const std::string& name) const { return dir_ / name; }

 private:
  TempDir dir_;
  bool mounted_ = false;
};

// Runs `split -b size -a 3 --numeric-suffixes=1 source prefix` and returns the
// names it made, in order; empty when split is not available.
std::vector<std::string> RunGnuSplit(const std::string& source, std::int64_t size,
                                     const std::string& prefix);

// The bytes of the files, concatenated in order.
std::vector<std::uint8_t> Concatenate(const std::vector<std::string>& files);

// The names `first`, then `first` with its number raised, as long as they exist.
std::vector<std::string> ExistingPieces(const std::string& first,
                                        const std::function<std::string(int)>& nameOf);

}  // namespace kv::test
