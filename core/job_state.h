#pragma once
// The record through which the parts of a job meet: the analysis leaves its
// findings, Execute adds the names, the worker reports progress, the job
// timer mirrors it into the window. Shared by the UI thread and one worker:
// words are atomics, texts sit behind a mutex, and a text is complete before
// its NamesChanged flag is raised.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <system_error>

#include "core/job_progress.h"
#include "core/result.h"

namespace kv {

enum class SplitType : int { kType0 = 0, kType1 = 1, kType2 = 2, kType3 = 3 };

// RunState values.
inline constexpr int kRunIdle = 0;
inline constexpr int kRunRunning = 1;
inline constexpr int kRunCancelRequested = -1;

// ProgressHold values: the job timer mirrors the progress while it is live,
// leaves the window alone while it is held, and counts a piece change down
// from kProgressPieceChange tick by tick before it shows the worker's values again.
inline constexpr int kProgressLive = 0;
inline constexpr int kProgressHeld = 1;
inline constexpr int kProgressPieceChange = 10;

// JobDivideSize when every piece is sized to the free space of its medium.
inline constexpr std::int64_t kDivideSizeFitsFreeSpace = -1;

// How a job ended. A failure keeps the errno of the call that failed.
enum class JobOutcome {
  kNone,                   // no job has ended since the last start
  kDone,                   // every byte is where it belongs
  kDoneWithChecksumError,  // restored, but the last piece failed its checksum
  kCancelled,              // stopped by the user, or by a question answered No or Cancel
  kFailed,                 // stopped by an input/output error
  kRefused,                // refused before a worker started, or by the worker's own checks
};

class JobState {
 public:
  // --- Set by the analysis (written only while no worker runs). ---
  bool SourceUsable = false;
  bool IsDivide = false;
  std::int64_t SourceSize = 0;
  int SourceSplitType = 0;
  std::int64_t JobDivideSize = 0;  // or kDivideSizeFitsFreeSpace
  bool ThreeDigitNumbering = true;
  std::string StoredName;
  int HeaderLength = 0;
  int MarkerOffset = 0;
  std::int64_t FirstPieceLength = 0;
  std::uint16_t FirstSeriesId = 0;
  std::uint8_t FirstCheckByte = 0;
  int RecordedYear = 0;
  std::uint32_t RecordedTime = 0;

  // --- Set by the selection handlers, cleared by the analysis. ---
  bool SourceChanged = false;

  // --- Set by Execute and its self-restore commands (before the worker starts). ---
  bool SelfRestoreJob = false;
  int SelfRestoreKind = 0;
  int SavedDivideType = 0;
  bool PiecesOnFixedDrive = true;
  // A restore whose output name holds a file the user agreed to replace: the
  // bytes go to a new file beside it, put in its place only once restored.
  bool ReplacesOutput = false;
  // A restore that writes to an open stream (standard output) instead of a
  // file it creates: -1 for a file.
  int OutputDescriptor = -1;
  // A divide that reads an open stream of unknown length (standard input)
  // until it ends, instead of the source file: -1 for a file.
  int InputDescriptor = -1;
  // A divide that goes on from the whole pieces an earlier run of the same
  // job left, as the user agreed: the worker checks them and writes the rest.
  bool ResumeDivide = false;

  // --- Shared progress channel. ---
  std::atomic<int> RunState{kRunIdle};
  std::atomic<int> ProgressPermille{0};
  std::atomic<int> ProgressHold{kProgressLive};
  // The bytes of the source divided, or of the file restored, so far.
  std::atomic<std::int64_t> BytesDone{0};
  std::atomic<bool> MessageChanged{false};     // NamesChanged: message
  std::atomic<bool> DestChanged{false};        // NamesChanged: destination
  std::atomic<bool> SourceNameChanged{false};  // NamesChanged: source
  // The piece a resumed divide went on from; 0 when it wrote from the first.
  std::atomic<int> ResumedFromPiece{0};

  // Texts shared with the worker. The status text of a worker that reports
  // its bytes is made here, when it is read, so a step costs two stores.
  std::string StatusText() const {
    return statusFromBytes_.load() ? KiBytesText(BytesDone.load()) : Get(statusText_);
  }
  void SetStatusText(std::string text) {
    std::lock_guard lock(textMutex_);
    statusText_ = std::move(text);
    statusFromBytes_.store(false);
  }
  // The bytes moved so far; the status text reads "%skBytes" from now on.
  void PublishBytes(std::int64_t bytes) {
    BytesDone.store(bytes, std::memory_order_release);
    if (!statusFromBytes_.load(std::memory_order_relaxed)) {
      statusFromBytes_.store(true);
    }
  }
  std::string JobMessage() const { return Get(jobMessage_); }
  // Sets the message and then raises its flag.
  void SetJobMessage(std::string text) {
    Set(jobMessage_, std::move(text));
    MessageChanged.store(true);
  }
  std::string JobSource() const { return Get(jobSource_); }
  // Sets the source name; `announce` raises its flag afterwards (a restore
  // worker moving to the next piece), Execute publishes without it.
  void SetJobSource(std::string text, bool announce = false) {
    Set(jobSource_, std::move(text));
    if (announce) {
      SourceNameChanged.store(true);
    }
  }
  std::string JobDest() const { return Get(jobDest_); }
  void SetJobDest(std::string text, bool announce = false) {
    Set(jobDest_, std::move(text));
    if (announce) {
      DestChanged.store(true);
    }
  }

  // The file a restore that replaces an existing output writes to, beside
  // it: set by the worker when it creates it, cleared by the planner once the
  // file stands under the output name. Empty when the output name itself is written.
  std::string OutputBeside() const { return Get(outputBeside_); }
  void SetOutputBeside(std::string name) { Set(outputBeside_, std::move(name)); }

  // The job's end: set by the worker's one exit before RunState = 0, or by
  // Execute when it ends without starting one.
  JobOutcome Outcome() const {
    std::lock_guard lock(textMutex_);
    return outcome_;
  }
  // The system's error of the failed call when the outcome is kFailed (none
  // when it is not known).
  std::error_code OutcomeError() const {
    std::lock_guard lock(textMutex_);
    return outcomeError_;
  }
  // The file the failed call was made on (empty when none is known).
  std::string OutcomePath() const { return Get(outcomePath_); }
  void SetOutcome(JobOutcome outcome, std::error_code error = {}, std::string path = {}) {
    std::lock_guard lock(textMutex_);
    outcome_ = outcome;
    outcomeError_ = error;
    outcomePath_ = std::move(path);
  }

  // Ends the run (RunState = 0) and wakes whoever waits for it.
  void EndRun() {
    {
      std::lock_guard lock(endMutex_);
      RunState.store(kRunIdle);
    }
    runEnded_.notify_all();
  }
  // Waits until the run has ended or `timeout` has passed; true when it has ended.
  bool WaitForRunEnd(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(endMutex_);
    return runEnded_.wait_for(lock, timeout, [this] { return RunState.load() == kRunIdle; });
  }

  // Resets the progress channel as Execute does before every start.
  void ResetProgress() {
    ProgressPermille.store(0);
    ProgressHold.store(kProgressLive);
    BytesDone.store(0);
    ResumedFromPiece.store(0);
    SetOutcome(JobOutcome::kNone);
    MessageChanged.store(false);
    DestChanged.store(false);
    SourceNameChanged.store(false);
    SetStatusText({});
    SetOutputBeside({});
  }

 private:
  std::string Get(const std::string& field) const {
    std::lock_guard lock(textMutex_);
    return field;
  }
  void Set(std::string& field, std::string text) {
    std::lock_guard lock(textMutex_);
    field = std::move(text);
  }

  mutable std::mutex textMutex_;
  mutable std::mutex endMutex_;
  mutable std::condition_variable runEnded_;
  std::atomic<bool> statusFromBytes_{false};
  std::string statusText_;
  std::string jobMessage_;
  std::string jobSource_;
  std::string jobDest_;
  std::string outputBeside_;
  JobOutcome outcome_ = JobOutcome::kNone;
  std::error_code outcomeError_;
  std::string outcomePath_;
};

}  // namespace kv
