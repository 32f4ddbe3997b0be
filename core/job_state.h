#pragma once
// The record through which the parts of a job meet: the analysis leaves its
// findings, Execute adds the names, the worker reports progress, the job
// timer mirrors it into the window. Shared by the UI thread and one worker:
// words are atomics, texts sit behind a mutex, and a text is complete before
// its NamesChanged flag is raised.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace kv {

enum class SplitType : int { kType0 = 0, kType1 = 1, kType2 = 2, kType3 = 3 };

// RunState values.
inline constexpr int kRunIdle = 0;
inline constexpr int kRunRunning = 1;
inline constexpr int kRunCancelRequested = -1;

class JobState {
 public:
  // --- Set by the analysis (written only while no worker runs). ---
  int SourceUsable = 0;
  int IsDivide = 0;
  std::int64_t SourceSize = 0;
  int SourceSplitType = 0;
  std::int32_t JobDivideSize = 0;  // -1: fit each piece to the free space
  int ThreeDigitNumbering = 1;
  std::string StoredName;
  int HeaderLength = 0;
  int MarkerOffset = 0;
  std::int64_t FirstPieceLength = 0;
  std::uint16_t FirstSeriesId = 0;
  std::uint8_t FirstCheckByte = 0;
  int RecordedYear = 0;
  std::uint32_t RecordedTime = 0;

  // --- Set by the selection handlers, cleared by the analysis. ---
  int SourceChanged = 0;

  // --- Set by Execute and its self-restore commands (before the worker starts). ---
  int SelfRestoreJob = 0;
  int SelfRestoreKind = 0;
  int SavedDivideType = 0;
  int PiecesOnFixedDrive = 1;

  // --- Shared progress channel. ---
  std::atomic<int> RunState{kRunIdle};
  std::atomic<int> ProgressPermille{0};
  std::atomic<int> ProgressHold{0};
  std::atomic<bool> MessageChanged{false};     // NamesChanged: message
  std::atomic<bool> DestChanged{false};        // NamesChanged: destination
  std::atomic<bool> SourceNameChanged{false};  // NamesChanged: source

  // Texts shared with the worker.
  std::string StatusText() const { return Get(statusText_); }
  void SetStatusText(std::string text) { Set(statusText_, std::move(text)); }
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

  // Resets the progress channel as Execute does before every start.
  void ResetProgress() {
    ProgressPermille.store(0);
    ProgressHold.store(0);
    MessageChanged.store(false);
    DestChanged.store(false);
    SourceNameChanged.store(false);
    SetStatusText({});
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
  std::string statusText_;
  std::string jobMessage_;
  std::string jobSource_;
  std::string jobDest_;
};

}  // namespace kv
