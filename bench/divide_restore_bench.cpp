// Times the divide workers on a 256 MiB file and, on the same file in the same
// run, GNU split -b and cat, printing MB/s for each. Each measured job is an
// entry of the table in main(); restore jobs join the table the same way.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/binary_file.h"
#include "core/divide_settings.h"
#include "core/job_state.h"
#include "core/prompter.h"
#include "core/stub_data_file.h"
#include "divide/type0_divide.h"
#include "divide/typed_divide.h"
#include "platform/volumes.h"

namespace {

constexpr std::int64_t kSourceSize = 256LL * 1024 * 1024;
constexpr std::int32_t kPieceSize = 64 * 1024 * 1024;

// Answers every question with its default button; a benchmark never expects one.
class DefaultPrompter final : public kv::Prompter {
 public:
  kv::Answer Ask(const kv::Message& m) override {
    std::fprintf(stderr, "unexpected question: %s\n", m.text.c_str());
    return kv::Answer::kCancel;
  }
  kv::Answer AskCapacityShortage(const kv::CapacityShortage&) override {
    return kv::Answer::kCancel;
  }
};

struct BenchJob {
  std::string name;
  std::function<bool()> run;
};

bool MakeSource(const std::string& path) {
  auto file = kv::BinaryFile::Open(path, kv::BinaryFile::Mode::kCreateWrite);
  if (!file) {
    return false;
  }
  std::mt19937_64 random(12345);
  std::vector<std::uint64_t> block(1 << 17);
  for (std::int64_t done = 0; done < kSourceSize;
       done += static_cast<std::int64_t>(block.size() * 8)) {
    for (auto& w : block) {
      w = random();
    }
    if (!file->Write(block.data(), block.size() * 8)) {
      return false;
    }
  }
  return file->Close();
}

bool RunDivide(const std::string& source, const std::string& dest, int divideType) {
  kv::DivideSettings settings;
  settings.DivideType = divideType;
  kv::JobState job;
  job.IsDivide = 1;
  job.SourceSize = kSourceSize;
  job.JobDivideSize = kPieceSize;
  job.StoredName = std::filesystem::path(source).filename().string();
  job.SetJobSource(source);
  job.SetJobDest(dest);
  job.RunState.store(kv::kRunRunning);
  DefaultPrompter prompter;
  kv::SystemVolumes volumes;
  kv::StubDataFile stubs;
  if (divideType == 0) {
    kv::Type0DivideWorker(settings, job, prompter, volumes);
  } else {
    kv::RunTypedDivide(settings, job, prompter, volumes, stubs);
  }
  return job.JobMessage() == "分割が終了しました";
}

bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

}  // namespace

int main() {
  const auto folder = std::filesystem::temp_directory_path() / "kv_divide_bench";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string dir = folder.string() + "/";
  const std::string source = dir + "source.bin";
  if (!MakeSource(source)) {
    std::fprintf(stderr, "cannot write %s\n", source.c_str());
    return 1;
  }
  const std::string size = std::to_string(kPieceSize);
  const std::vector<BenchJob> jobs = {
      {"Type0 divide", [&] { return RunDivide(source, dir + "t0/source.001", 0); }},
      {"Type3 divide", [&] { return RunDivide(source, dir + "t3/source.d01", 3); }},
      {"split -b",
       [&] {
         return Shell("split -b " + size + " -a 3 --numeric-suffixes=1 '" + source + "' '" + dir +
                      "split/source.'");
       }},
      {"cat (join split pieces)",
       [&] { return Shell("cat '" + dir + "split/source.'* > '" + dir + "joined.bin'"); }},
  };
  std::printf("source: %lld MiB, pieces of %d MiB, in %s\n",
              static_cast<long long>(kSourceSize >> 20), kPieceSize >> 20, dir.c_str());
  // The machine is shared and writeback is bursty: each job runs kRounds
  // times on a synced disk and its best time counts.
  constexpr int kRounds = 3;
  std::vector<double> best(jobs.size(), 1e30);
  int status = 0;
  for (int round = 0; round < kRounds; ++round) {
    for (std::size_t i = 0; i < jobs.size(); ++i) {
      for (const char* sub : {"t0", "t3"}) {
        std::filesystem::remove_all(dir + sub);
        std::filesystem::create_directories(dir + sub);
      }
      if (jobs[i].name == "split -b") {
        std::filesystem::remove_all(dir + "split");
        std::filesystem::create_directories(dir + "split");
      }
      std::filesystem::remove(dir + "joined.bin");
      Shell("sync");
      const auto start = std::chrono::steady_clock::now();
      const bool ok = jobs[i].run();
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      best[i] = std::min(best[i], seconds);
      if (!ok) {
        std::printf("%s FAILED\n", jobs[i].name.c_str());
        status = 1;
      }
    }
  }
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    std::printf("%-26s %8.3f s %9.1f MB/s (best of %d)\n", jobs[i].name.c_str(), best[i],
                static_cast<double>(kSourceSize) / 1e6 / best[i], kRounds);
  }
  std::filesystem::remove_all(folder);
  return status;
}
