#pragma once
// A fresh folder under the system's temporary folder, removed with its contents.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kv::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Full name of an entry in the folder, as a string.
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Whole-file helpers for tests.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
// Deterministic pseudo-random bytes (same seed, same bytes).
std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint32_t seed);

}  // namespace kv::test
