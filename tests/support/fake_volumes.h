#pragma once
// A Volumes double for what no test machine can show: a medium that is not
// ready, or a chosen amount of free space. Anything not scripted goes to the
// real volumes when one is given.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/volumes.h"

namespace kv::test {

class FakeVolumes final : public Volumes {
 public:
  explicit FakeVolumes(Volumes* real = nullptr) : real_(real) {}

  // Every free-space query reports "not ready", failed with `error`.
  void SetNotReady(int error) {
    mode_ = Mode::kNotReady;
    notReadyError_ = error;
  }
  // Every free-space query reports ready with `free` bytes.
  void SetFree(std::uint64_t free, std::uint64_t largestFile = 0) {
    mode_ = Mode::kFree;
    free_ = free;
    largestFile_ = largestFile;
  }
  // Free-space queries go to the real volumes (or report not ready without one).
  void UseReal() { mode_ = Mode::kReal; }
  // The file names asked about, in order.
  const std::vector<std::string>& Queries() const { return queries_; }

  void SetMountPoint(std::string mountPoint) { mountPoint_ = std::move(mountPoint); }
  void SetRemovableMounts(std::string list) { removableMounts_ = std::move(list); }

  FreeSpace QueryFreeSpace(const std::string& fileName) override {
    queries_.push_back(fileName);
    FreeSpace answer;
    answer.folder = FolderOfFile(fileName);
    switch (mode_) {
      case Mode::kFree:
        answer.ready = true;
        answer.bytes = free_;
        answer.largestFile = largestFile_;
        return answer;
      case Mode::kReal:
        if (real_ != nullptr) {
          return real_->QueryFreeSpace(fileName);
        }
        break;
      case Mode::kNotReady:
        break;
    }
    answer.error = notReadyError_;
    return answer;
  }
  std::string MountPointOf(const std::string& path) override {
    if (mountPoint_) {
      return *mountPoint_;
    }
    return real_ != nullptr ? real_->MountPointOf(path) : std::string("/");
  }
  bool IsOnRemovable(const std::string& path, const std::string& removableDrive) override {
    return real_ != nullptr ? real_->IsOnRemovable(path, removableDrive)
                            : PathOnListedMount(path, removableDrive);
  }
  std::string DetectRemovableMounts() override {
    if (removableMounts_) {
      return *removableMounts_;
    }
    return real_ != nullptr ? real_->DetectRemovableMounts() : std::string();
  }

 private:
  enum class Mode { kReal, kNotReady, kFree };
  Volumes* real_;
  Mode mode_ = Mode::kReal;
  std::uint64_t free_ = 0;
  std::uint64_t largestFile_ = 0;
  int notReadyError_ = 0;
  std::optional<std::string> mountPoint_;
  std::optional<std::string> removableMounts_;
  std::vector<std::string> queries_;
};

}  // namespace kv::test
