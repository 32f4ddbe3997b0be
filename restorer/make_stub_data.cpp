// Build tool: assembles the stub data file from the built restorers, after
// checking each one against the limits a first piece puts on its stub.
//   make_stub_data OUTPUT NAME FILE [NAME FILE]...

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/stub_data_writer.h"

namespace {

// The restore and the analysis look for the header within the first 100
// blocks of 1024 bytes of a first piece: the stub must end well before that.
constexpr std::size_t kStubLimit = 96 * 1024;
constexpr std::size_t kStubAim = 64 * 1024;
constexpr std::uint8_t kFirstPattern[] = {0x03, '-', 'Q', 'X', '3', '-'};

bool ReadAll(const char* path, std::vector<std::uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return in.good() || in.eof();
}

// Empty when the stub may be shipped; otherwise why not.
std::string StubFault(const std::vector<std::uint8_t>& stub) {
  if (stub.empty()) {
    return "is empty";
  }
  if (stub.size() > kStubLimit) {
    return "is " + std::to_string(stub.size()) + " bytes, more than " + std::to_string(kStubLimit);
  }
  // A stub holding the pattern would be taken for its own series' header.
  if (std::search(stub.begin(), stub.end(), std::begin(kFirstPattern), std::end(kFirstPattern)) !=
      stub.end()) {
    return "contains the first-piece header pattern";
  }
  return {};
}

// Replaces `path` by a new file, never writing through a link.
bool WriteNew(const char* path, const std::vector<std::uint8_t>& bytes) {
  if (::unlink(path) != 0 && errno != ENOENT) {
    return false;
  }
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    return false;
  }
  const bool written =
      ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  return ::close(fd) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc % 2 != 0 || (argc - 2) / 2 > 6) {
    std::fprintf(stderr, "usage: %s OUTPUT NAME FILE [NAME FILE]... (at most 6 kinds)\n", argv[0]);
    return 2;
  }
  std::vector<kv::StubDataEntry> kinds;
  for (int i = 2; i + 1 < argc; i += 2) {
    kv::StubDataEntry kind{argv[i], {}};
    if (kind.name.empty() || !ReadAll(argv[i + 1], kind.stub)) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[i + 1]);
      return 1;
    }
    if (const std::string fault = StubFault(kind.stub); !fault.empty()) {
      std::fprintf(stderr, "%s: %s %s\n", argv[0], argv[i + 1], fault.c_str());
      return 1;
    }
    if (kind.stub.size() > kStubAim) {
      std::fprintf(stderr, "%s: warning: %s is %zu bytes, above %zu\n", argv[0], argv[i + 1],
                   kind.stub.size(), kStubAim);
    }
    kinds.push_back(std::move(kind));
  }
  // Version 2: self-restoring series made with these stubs are Type3.
  if (!WriteNew(argv[1], kv::BuildStubDataFile(2, 0, kinds))) {
    std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0], argv[1], std::strerror(errno));
    return 1;
  }
  return 0;
}
