#include "bench/recovery_steps.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "bench/child_process.h"
#include "bench/reference_passes.h"

namespace kv::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kLostPiece = 7;

std::string PieceName(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "data.%03d", number);
  return name;
}

// Copies `count` bytes of `in` at `offset` to the new file `path`.
bool CopyOut(int in, long long offset, long long count, const std::string& path) {
  const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  bool ok = out >= 0;
  std::vector<char> buffer(1 << 20);
  for (long long done = 0; ok && done < count;) {
    const auto want = static_cast<std::size_t>(
        std::min<long long>(count - done, static_cast<long long>(buffer.size())));
    ok = ::pread(in, buffer.data(), want, offset + done) == static_cast<ssize_t>(want) &&
         ::write(out, buffer.data(), want) == static_cast<ssize_t>(want);
    done += static_cast<long long>(want);
  }
  if (!ok) {
    std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), std::strerror(errno));
  }
  return (out < 0 || ::close(out) == 0) && ok;
}

std::function<void()> RemoveSetFiles(const std::string& folder) {
  return [folder] {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() == ".par2") {
        fs::remove(entry.path());
      }
    }
  };
}

std::function<void()> LosePiece(const std::string& folder) {
  return [folder] {
    fs::remove(folder + "/" + PieceName(kLostPiece));
    fs::remove(folder + "/" + PieceName(kLostPiece) + ".1");
  };
}

std::function<bool(double&)> Timed(const BenchPlace& place, std::vector<std::string> argv) {
  return [&place, argv](double& seconds) {
    const ChildRun run = RunChild(argv, "", place.log);
    seconds = run.seconds;
    return run.started && run.exitStatus == 0;
  };
}

std::vector<std::string> Par2Create(const RecoveryCase& c, const std::string& folder) {
  std::vector<std::string> argv = {"par2",
                                   "create",
                                   "-q",
                                   "-q",
                                   "-s" + std::to_string(c.pieceBytes),
                                   "-c" + std::to_string(c.recovery),
                                   folder + "/data.par2"};
  for (int k = 1; k <= c.pieces; ++k) {
    argv.push_back(folder + "/" + PieceName(k));
  }
  return argv;
}

std::string DivideSource(const BenchPlace& place, const RecoveryCase& c) {
  return place.folder + "/divide source " + c.name;
}

// Dividing the case's bytes into its pieces, Type0 and Type3, with one
// recovery slice and without; each pair's names go to `rows`.
void AddDivideSteps(const BenchPlace& place, const RecoveryCase& c, std::vector<Step>& steps,
                    std::vector<std::pair<std::string, std::string>>& rows) {
  for (const char* type : {"0", "3"}) {
    const std::string title = std::string("Type") + type + " divide " + c.name;
    for (const bool recovery : {true, false}) {
      const std::string out = place.folder + "/" + title + (recovery ? " r" : "");
      const std::string first = out + (std::string(type) == "0" ? "/data.001" : "/data.d01");
      std::vector<std::string> argv = {
          place.cli, "divide", DivideSource(place, c),       "-o",        first, "-t",
          type,      "-s",     std::to_string(c.pieceBytes), "--defaults"};
      if (recovery) {
        argv.insert(argv.end(), {"--recovery", "1"});
      }
      steps.push_back({title + (recovery ? " -r1" : ""),
                       [out] {
                         fs::remove_all(out);
                         fs::create_directories(out);
                       },
                       Timed(place, argv),
                       {}});
    }
    rows.emplace_back(steps[steps.size() - 2].name, steps.back().name);
  }
}

}  // namespace

std::vector<RecoveryCase> RecoveryCases(long long sourceBytes) {
  const auto piece = [sourceBytes](long long wanted, int pieces) {
    return std::min(wanted, sourceBytes / pieces) / 4 * 4;
  };
  return {{"20 pieces", 20, piece(10LL << 20, 20), 1, true, true},
          {"100 pieces", 100, piece(2LL << 20, 100), 10, false, false}};
}

bool MakeRecoveryPieces(const BenchPlace& place, const std::vector<RecoveryCase>& cases) {
  const int in = ::open(place.source.c_str(), O_RDONLY | O_CLOEXEC);
  bool ok = in >= 0;
  for (const RecoveryCase& c : cases) {
    for (const char* side : {"/ours ", "/par2 "}) {
      const std::string folder = place.folder + side + c.name;
      ok = ok && fs::create_directory(folder);
      for (int k = 1; ok && k <= c.pieces; ++k) {
        ok = CopyOut(in, (k - 1) * c.pieceBytes, c.pieceBytes, folder + "/" + PieceName(k));
      }
    }
    if (c.withDivide) {
      ok = ok && CopyOut(in, 0, c.pieces * c.pieceBytes, DivideSource(place, c));
    }
  }
  if (in >= 0) {
    ::close(in);
  }
  return ok;
}

std::vector<Step> RecoverySteps(const BenchPlace& place, const std::vector<RecoveryCase>& cases,
                                std::vector<std::pair<std::string, std::string>>& rows,
                                std::vector<std::pair<std::string, std::string>>& divideRows) {
  std::vector<Step> steps;
  for (const RecoveryCase& c : cases) {
    if (c.withDivide) {
      AddDivideSteps(place, c, steps, divideRows);
    }
    const std::string ours = place.folder + "/ours " + c.name;
    const std::string theirs = place.folder + "/par2 " + c.name;
    const std::string r = " -r" + std::to_string(c.recovery);
    steps.push_back({"kolvanto protect " + c.name + r,
                     RemoveSetFiles(ours),
                     Timed(place, {place.cli, "protect", ours + "/" + PieceName(1), "--recovery",
                                   std::to_string(c.recovery)}),
                     {}});
    steps.push_back({"par2 create " + c.name + r,
                     RemoveSetFiles(theirs),
                     Timed(place, Par2Create(c, theirs)),
                     {}});
    rows.emplace_back(steps[steps.size() - 2].name, steps.back().name);
    if (!c.withRepair) {
      continue;
    }
    // The sets the steps above left; each round loses the same piece again.
    const std::string lost = "/" + PieceName(kLostPiece);
    const auto sameAsBefore = [ours, theirs, lost] {
      return SameBytes(ours + lost, theirs + lost);
    };
    steps.push_back({"kolvanto repair 1 of " + std::to_string(c.pieces), LosePiece(ours),
                     Timed(place, {place.cli, "repair", ours + "/" + PieceName(1)}), sameAsBefore});
    steps.push_back({"par2 repair 1 of " + std::to_string(c.pieces), LosePiece(theirs),
                     Timed(place, {"par2", "repair", "-q", "-q", theirs + "/data.par2"}),
                     sameAsBefore});
    rows.emplace_back(steps[steps.size() - 2].name, steps.back().name);
  }
  return steps;
}

bool Par2Present(const BenchPlace& place) {
  const ChildRun run = RunChild({"par2", "-V"}, "", place.log);
  return run.started && run.exitStatus == 0;
}

}  // namespace kv::bench
