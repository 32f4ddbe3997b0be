#include "tests/roundtrip/round_trip_fixture.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

namespace kv::test {

RoundTripFixture::RoundTripFixture() {
  std::filesystem::create_directory(dir.Path() / "in");
  std::filesystem::create_directory(dir.Path() / "out");
  // The size box always holds a size; the analysis reads it for a restore too.
  planner.Texts().sizeText = "1,457,664Bytes (1.44MB)";
}

void RoundTripFixture::Choose(const std::string& path) {
  planner.Texts().source = path;
  job.SourceChanged = 1;
  planner.AnalyseSource();
}

void RoundTripFixture::FollowJob() {
  // The window ticks every 50 ms; a short tick keeps the suite fast and
  // still lets the worker run between ticks.
  while (planner.OnJobTimer()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

std::vector<std::string> RoundTripFixture::Divide(const std::string& source,
                                                  const std::string& sizeText,
                                                  const std::string& firstPiece,
                                                  bool selfRestoring) {
  const std::size_t before = prompter.Transcript().size();
  planner.Texts().sizeText = sizeText;
  Choose(source);
  proposedDestination = planner.Texts().destination;
  planner.Texts().destination = firstPiece;
  prompter.Script({Answer::kYes});
  if (selfRestoring) {
    planner.CreateSelfRestoringKind(0);
  } else {
    planner.Execute();
  }
  EXPECT_TRUE(planner.JobActive()) << planner.Texts().information;
  FollowJob();
  const auto all = prompter.Transcript();
  return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
}

std::vector<std::string> RoundTripFixture::Restore(const std::string& firstPiece) {
  const std::size_t before = prompter.Transcript().size();
  Choose(firstPiece);
  prompter.Script({Answer::kYes});
  planner.Execute();
  EXPECT_TRUE(planner.JobActive()) << planner.Texts().information;
  FollowJob();
  const auto all = prompter.Transcript();
  return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
}

void RoundTripFixture::LoadStub(int major, const std::vector<std::uint8_t>& stub) {
  WriteFileBytes(dir / "Kolvanto.dat", BuildStubDataFile(major, 0, {{"WIN32", stub}}));
  ASSERT_TRUE(stubs.LoadStubDataFile(dir / "Kolvanto.dat"));
}

std::vector<std::string> RoundTripFixture::OutFiles() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path() / "out")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::int64_t> FileSizes(const std::vector<std::string>& paths) {
  std::vector<std::int64_t> sizes;
  for (const std::string& path : paths) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    sizes.push_back(error ? -1 : static_cast<std::int64_t>(size));
  }
  return sizes;
}

bool SameContent(const std::string& a, const std::string& b) {
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> fa(std::fopen(a.c_str(), "rb"));
  std::unique_ptr<std::FILE, Closer> fb(std::fopen(b.c_str(), "rb"));
  if (!fa || !fb) {
    return false;
  }
  constexpr std::size_t kBlock = 1024 * 1024;
  std::vector<char> ba(kBlock);
  std::vector<char> bb(kBlock);
  for (;;) {
    const std::size_t na = std::fread(ba.data(), 1, kBlock, fa.get());
    const std::size_t nb = std::fread(bb.data(), 1, kBlock, fb.get());
    if (na != nb ||
        !std::equal(ba.begin(), ba.begin() + static_cast<std::ptrdiff_t>(na), bb.begin())) {
      return false;
    }
    if (na < kBlock) {
      return std::ferror(fa.get()) == 0 && std::ferror(fb.get()) == 0;
    }
  }
}

}  // namespace kv::test
