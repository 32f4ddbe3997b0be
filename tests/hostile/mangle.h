#pragma once
// Seeded damage for whole series, a prompter that answers at random but always
// lets a job end, and a bench that runs the source analysis on a file.

#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "core/divide_settings.h"
#include "core/job_state.h"
#include "core/prompter.h"
#include "core/stub_data_file.h"
#include "plan/job_planner.h"
#include "tests/plan/plan_fixture.h"
#include "tests/restore/series_writer.h"
#include "tests/support/fake_volumes.h"

namespace kv::test {

using Bytes = std::vector<std::uint8_t>;

// Answers every question with a random answer its buttons allow; after
// `maxRetries` Retries in a row the next Retry/Cancel question gets Cancel.
class RandomPrompter final : public Prompter {
 public:
  explicit RandomPrompter(std::uint32_t seed, int maxRetries = 5)
      : random_(seed), maxRetries_(maxRetries) {}

  Answer Ask(const Message& message) override;
  Answer AskCapacityShortage(const CapacityShortage& request) override;

  const std::vector<Message>& Messages() const { return messages_; }
  const std::vector<Answer>& Answers() const { return answers_; }
  int Shortages() const { return shortages_; }
  // True once a question whose Yes overrides a failed check was answered Yes.
  bool ForcedOn() const { return forcedOn_; }
  // Every question as "caption|text" lines, for failure output.
  std::string Transcript() const;

 private:
  std::mutex mutex_;
  std::mt19937 random_;
  int maxRetries_;
  int retriesInARow_ = 0;
  int shortages_ = 0;
  bool forcedOn_ = false;
  std::vector<Message> messages_;
  std::vector<Answer> answers_;
};

// The kinds of damage done to a series.
enum class Damage {
  kFlipHeader,   // bytes of a piece's header (the first piece's behind its stub)
  kFlipBody,     // bytes of a piece's body
  kFlipTrailer,  // bytes of a Type3 trailer (checksum or end tag)
  kTruncate,     // a piece cut at a random length, 0 and inside the header included
  kDelete,       // a piece removed
  kSwap,         // two following pieces exchanged
  kAppendJunk,   // random bytes behind a piece
  kForeign,      // a piece replaced by the same piece of another series
};
const char* DamageName(Damage damage);

// What was done to one piece, as far as the checks of a piece can tell.
struct PieceDamage {
  bool bodyOrChecksumAltered = false;  // a body byte or a stored checksum byte changed
  bool cutInsideBody = false;          // truncated before the end of its body
};

struct DamagedSeries {
  std::vector<Bytes> pieces;  // the bytes of each piece; `deleted` ones are not written
  std::vector<bool> deleted;
  std::vector<PieceDamage> pieceDamage;
  std::vector<Damage> damages;
  std::string description;  // for failure output
};

// Applies `count` random damages to the pieces of `series` (read from its
// files); `foreign` is a series of the same layout and names but other data.
DamagedSeries DamageSeries(const WrittenSeries& series, const WrittenSeries& foreign, int count,
                           std::mt19937& random);

// Writes the damaged pieces over the series' files and removes deleted ones.
void WriteDamaged(const WrittenSeries& series, const DamagedSeries& damaged);

// A job planner over a recording view, with the built-in presets and the
// 1.44 MB size chosen, whose worker is never started.
struct AnalysisBench {
  explicit AnalysisBench(std::uint32_t seed);
  // Names the source as a selection does and analyses it.
  void Analyse(const std::string& path);

  DivideSettings settings = DivideSettings::StoredDefaults();
  JobState job;
  StubDataFile stubs;
  RandomPrompter prompter;
  FakeVolumes volumes;
  RecordingView view;
  JobPlanner planner;
};

}  // namespace kv::test
