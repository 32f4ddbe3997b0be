#include "bench/bench_steps.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "bench/child_process.h"
#include "bench/reference_passes.h"

namespace kv::bench {
namespace {

namespace fs = std::filesystem;

std::function<void()> EmptyFolder(const std::string& folder) {
  return [folder] {
    fs::remove_all(folder);
    fs::create_directories(folder);
  };
}

std::function<void()> RemoveFile(const std::string& path) {
  return [path] { fs::remove(path); };
}

// A child that must end with status 0; `args` get the piece folder's files
// appended when `withFilesOf` is not empty (for cat).
std::function<bool(double&)> Child(const BenchPlace& place, std::vector<std::string> args,
                                   const std::string& withFilesOf = "",
                                   const std::string& stdoutPath = "") {
  return [&place, args, withFilesOf, stdoutPath](double& seconds) {
    std::vector<std::string> argv = args;
    if (!withFilesOf.empty()) {
      const auto files = FilesIn(withFilesOf);
      argv.insert(argv.end(), files.begin(), files.end());
    }
    const ChildRun run = RunChild(argv, stdoutPath, place.log);
    seconds = run.seconds;
    return run.started && run.exitStatus == 0;
  };
}

// Times an action done in this process.
std::function<bool(double&)> InProcess(std::function<bool()> action) {
  return [action](double& seconds) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = action();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ok;
  };
}

std::function<bool()> SameAsSource(const BenchPlace& place, const std::string& restored) {
  return [&place, restored] { return SameBytes(place.source, restored); };
}

}  // namespace

std::vector<std::string> PieceSizes(long sizeMiB) {
  const long large = sizeMiB >= 1024 ? 300 : std::max(1L, sizeMiB * 300 / 1024);
  return {std::to_string(large) + "M", "1M"};
}

std::vector<Step> StepsForPieceSize(const BenchPlace& place, const std::string& pieceSize) {
  const std::string dir = place.folder + "/";
  const std::string t0 = dir + "type0_" + pieceSize;
  const std::string t3 = dir + "type3_" + pieceSize;
  const std::string split = dir + "split_" + pieceSize;
  const std::string out = dir + "restored.bin";
  const std::string& cli = place.cli;
  const std::string& src = place.source;
  auto divide = [&](const std::string& first, const char* type) {
    return std::vector<std::string>{cli,  "divide", src,  "-o",      first,
                                    "-t", type,     "-s", pieceSize, "--defaults"};
  };
  auto restore = [&](const std::string& first) {
    return std::vector<std::string>{cli, "restore", first, "-o", out, "--defaults"};
  };
  const std::string& s = pieceSize;
  return {
      {"split -b " + s,
       EmptyFolder(split),
       Child(place, {"split", "-b", s, "-a", "4", "--numeric-suffixes=1", src, split + "/source."}),
       {}},
      {"Type0 divide " + s, EmptyFolder(t0), Child(place, divide(t0 + "/source.001", "0")), {}},
      {"Type3 divide " + s, EmptyFolder(t3), Child(place, divide(t3 + "/source.d01", "3")), {}},
      {"cat Type0 " + s, RemoveFile(out), Child(place, {"cat"}, t0, out), SameAsSource(place, out)},
      {"Type0 restore " + s, RemoveFile(out), Child(place, restore(t0 + "/source.001")),
       SameAsSource(place, out)},
      {"cat Type3 " + s, RemoveFile(out), Child(place, {"cat"}, t3, out), {}},
      {"Type3 restore " + s, RemoveFile(out), Child(place, restore(t3 + "/source.d01")),
       SameAsSource(place, out)},
      {"read Type3 " + s, {}, InProcess([t3] { return ReadOnlyPass(FilesIn(t3)); }), {}},
      {"cat >null Type3 " + s, {}, Child(place, {"cat"}, t3, "/dev/null"), {}},
      {"Type3 check " + s, {}, Child(place, {cli, "check", t3}), {}},
  };
}

std::vector<Step> SourceSteps(const BenchPlace& place) {
  const std::string copy = place.folder + "/kernel_copy.bin";
  const std::string& src = place.source;
  return {
      {"copy_file_range", RemoveFile(copy),
       InProcess([src, copy] { return KernelCopy(src, copy); }), SameAsSource(place, copy)},
      {"read source", {}, InProcess([src] { return ReadOnlyPass({src}); }), {}},
  };
}

}  // namespace kv::bench
