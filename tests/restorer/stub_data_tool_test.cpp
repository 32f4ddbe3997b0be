// The build tool that assembles Kolvanto.dat: the layout it writes and the
// stubs it refuses to ship.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

int RunTool(const TempDir& dir, const std::string& args) {
  const std::string command =
      "cd " + dir.Path().string() + " && " KV_MAKE_STUB_DATA " " + args + " >/dev/null 2>&1";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(StubDataTool, LaysOutVersionTwoWithEveryKind) {
  TempDir dir;
  WriteFileBytes(dir / "a", {'A', 'A', 'A'});
  WriteFileBytes(dir / "b", {'B', 'B'});
  ASSERT_EQ(RunTool(dir, "out.dat 'Linux x86-64' a 'Windows x64' b"), 0);
  std::vector<std::uint8_t> expected = {2, 0};
  for (const char c : std::string("Linux x86-64")) {
    expected.push_back(static_cast<std::uint8_t>(c));
  }
  expected.insert(expected.end(), {0, 3, 0, 0, 0});
  for (const char c : std::string("Windows x64")) {
    expected.push_back(static_cast<std::uint8_t>(c));
  }
  expected.insert(expected.end(), {0, 2, 0, 0, 0, 0, 'A', 'A', 'A', 'B', 'B'});
  EXPECT_EQ(ReadFileBytes(dir / "out.dat"), expected);
  // A rebuild replaces the file, but never writes through a link put there.
  WriteFileBytes(dir / "victim", {9});
  std::filesystem::remove(dir / "out.dat");
  std::filesystem::create_symlink(dir / "victim", dir / "out.dat");
  ASSERT_EQ(RunTool(dir, "out.dat K a"), 0);
  EXPECT_EQ(ReadFileBytes(dir / "victim"), std::vector<std::uint8_t>{9});
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "out.dat"));
}

TEST(StubDataTool, RefusesStubsThatCannotShip) {
  TempDir dir;
  std::vector<std::uint8_t> withPattern(5000, 'x');
  const std::vector<std::uint8_t> pattern = {0x03, '-', 'Q', 'X', '3', '-'};
  std::copy(pattern.begin(), pattern.end(), withPattern.begin() + 4000);
  WriteFileBytes(dir / "pattern", withPattern);
  WriteFileBytes(dir / "large", std::vector<std::uint8_t>(96 * 1024 + 1, 'x'));
  WriteFileBytes(dir / "limit", std::vector<std::uint8_t>(96 * 1024, 'x'));
  WriteFileBytes(dir / "empty", {});
  const struct {
    const char* args;
    int status;
  } cases[] = {
      {"out.dat K pattern", 1},
      {"out.dat K large", 1},
      {"out.dat K empty", 1},
      {"out.dat K missing", 1},
      {"out.dat K limit", 0},
      {"out.dat K", 2},
      {"out.dat '' limit", 1},
      {"out.dat 1 limit 2 limit 3 limit 4 limit 5 limit 6 limit 7 limit", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    std::filesystem::remove(dir / "out.dat");
    EXPECT_EQ(RunTool(dir, c.args), c.status);
    EXPECT_EQ(std::filesystem::exists(dir / "out.dat"), c.status == 0);
  }
}

}  // namespace
}  // namespace kv::test
