#include "plan/command_line.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace kv::test {
namespace {

TEST(CommandLine, SwitchesAreRecordedCaseSensitively) {
  const char* argv[] = {"kolvanto", "-DEVIDE", "/SIZE", "1,000", "-DIVTYPE", "2", "-CLOSE", "x"};
  const CommandLineSwitches s = ParseCommandLine(8, argv);
  EXPECT_EQ(s.mode, 1);
  EXPECT_EQ(s.size, 1);  // the decimal value stops at the comma
  EXPECT_EQ(s.divideType, 2);
  EXPECT_TRUE(s.closeAtEnd);
  EXPECT_EQ(s.pending, 0);

  const char* lower[] = {"kolvanto", "-restore", "-SIZE", "-RESTORE", "77"};
  const CommandLineSwitches t = ParseCommandLine(5, lower);
  EXPECT_EQ(t.mode, 2);
  EXPECT_EQ(t.size, 0);  // a switch in between drops the pending size
  CommandLineSwitches u;
  u.ParseParam("SIZE", true, false);
  u.ParseParam("99999999999", false, true);
  EXPECT_EQ(u.size, 2147483647);
}

TEST(CommandLine, InitialSourceIsTheWholeTail) {
  TempDir dir;
  const std::string name = dir / "my file.bin";
  WriteFileBytes(name, {1, 2, 3});
  EXPECT_EQ(InitialSource("\"" + name + "\""), name);
  EXPECT_EQ(InitialSource(name), name);
  EXPECT_EQ(InitialSource(dir / "missing.bin"), "");
  EXPECT_EQ(InitialSource(""), "");
  EXPECT_EQ(InitialSource("\""), "");
  EXPECT_EQ(InitialSource(dir.Path().string()), "");
  // Split by the shell, joined again by single blanks.
  const std::string first = (dir.Path() / "my").string();
  const char* argv[] = {"kolvanto", first.c_str(), "file.bin"};
  EXPECT_EQ(InitialSource(CommandLineTail(3, argv)), name);
  const char* withSwitch[] = {"kolvanto", "-SIZE", "100"};
  EXPECT_EQ(CommandLineTail(3, withSwitch), "-SIZE 100");
  EXPECT_EQ(InitialSource(CommandLineTail(3, withSwitch)), "");
}

}  // namespace
}  // namespace kv::test
