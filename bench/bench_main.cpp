// Times every kolvanto-cli job on one source file in the page cache, each
// beside what a user would otherwise run on the same bytes (split -b, cat, a
// read-only pass) and beside a kernel copy of them, and prints the medians
// of several rounds with the ratios; the recovery jobs beside Debian's par2
// on pieces cut from the source; then the CRC-16 throughput per path.
//
//   kolvanto_bench [--size MIB] [--runs N] [--dir FOLDER] [--cli KOLVANTO_CLI]

#include <sys/vfs.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "bench/bench_steps.h"
#include "bench/crc_throughput.h"
#include "bench/recovery_steps.h"
#include "bench/source_file.h"

namespace {

struct Options {
  long sizeMiB = 1024;
  int runs = 5;
  std::string dir = std::filesystem::temp_directory_path().string();
  std::string cli = KV_BENCH_DEFAULT_CLI;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) {
      return false;
    }
    const char* value = argv[++i];
    if (option == "--size") {
      options.sizeMiB = std::strtol(value, nullptr, 10);
    } else if (option == "--runs") {
      options.runs = static_cast<int>(std::strtol(value, nullptr, 10));
    } else if (option == "--dir") {
      options.dir = value;
    } else if (option == "--cli") {
      options.cli = value;
    } else {
      return false;
    }
  }
  return options.sizeMiB > 0 && options.runs > 0;
}

std::vector<kv::bench::Step> AllSteps(const kv::bench::BenchPlace& place,
                                      const std::vector<std::string>& pieceSizes) {
  auto steps = kv::bench::SourceSteps(place);
  for (const auto& size : pieceSizes) {
    auto more = kv::bench::StepsForPieceSize(place, size);
    steps.insert(steps.end(), more.begin(), more.end());
  }
  return steps;
}

// Runs every step once per round, in order, on a synced disk; a failed step
// is reported and makes the exit status 1.
bool RunRounds(const std::vector<kv::bench::Step>& steps, int runs,
               std::map<std::string, std::vector<double>>& times) {
  bool allOk = true;
  for (int round = 0; round < runs; ++round) {
    for (const auto& step : steps) {
      if (step.prepare) {
        step.prepare();
      }
      ::sync();
      double seconds = 0;
      const bool ok = step.run(seconds) && (round > 0 || !step.verify || step.verify());
      if (!ok) {
        std::printf("%s FAILED (round %d)\n", step.name.c_str(), round + 1);
        allOk = false;
      }
      times[step.name].push_back(seconds);
    }
  }
  return allOk;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: %s [--size MIB] [--runs N] [--dir FOLDER] [--cli KOLVANTO_CLI]\n",
                 argv[0]);
    return 2;
  }
  std::string folder = options.dir + "/kolvanto_bench.XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) {
    std::perror(folder.c_str());
    return 1;
  }
  const kv::bench::BenchPlace place{options.cli, folder, folder + "/source.bin",
                                    folder + "/children.log"};
  const long long bytes = static_cast<long long>(options.sizeMiB) << 20;
  if (!kv::bench::MakeSourceFile(place.source, bytes)) {
    std::filesystem::remove_all(folder);
    return 1;
  }
  std::printf("source: %ld MiB in %s (%s), %d runs, medians\n", options.sizeMiB, folder.c_str(),
              kv::bench::FileSystemName(folder).c_str(), options.runs);
  std::fflush(stdout);
  std::map<std::string, std::vector<double>> times;
  const auto pieceSizes = kv::bench::PieceSizes(options.sizeMiB);
  auto steps = AllSteps(place, pieceSizes);
  std::vector<std::pair<std::string, std::string>> recoveryRows;
  std::vector<std::pair<std::string, std::string>> divideRows;
  const bool withPar2 = kv::bench::Par2Present(place);
  const auto cases = kv::bench::RecoveryCases(bytes);
  if (withPar2 && kv::bench::MakeRecoveryPieces(place, cases)) {
    const auto more = kv::bench::RecoverySteps(place, cases, recoveryRows, divideRows);
    steps.insert(steps.end(), more.begin(), more.end());
  }
  const bool ok = RunRounds(steps, options.runs, times);
  if (!ok) {
    kv::bench::PrintTail(place.log);
  }
  std::printf("\n%s", kv::bench::JobTable(times, pieceSizes).c_str());
  if (withPar2) {
    std::printf("\n%s", kv::bench::RecoveryTable(times, recoveryRows).c_str());
    std::printf("\n%s", kv::bench::DivideRecoveryTable(times, divideRows).c_str());
  } else {
    std::printf("\nrecovery jobs not timed: par2 cannot be run here\n");
  }
  kv::bench::PrintCrcThroughput();
  std::filesystem::remove_all(folder);
  return ok ? 0 : 1;
}
