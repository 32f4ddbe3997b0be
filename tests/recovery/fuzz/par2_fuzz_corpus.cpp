// Runs the PAR2 fuzz target over its seed corpus and over bytes changed from
// it in a fixed way (flips, cuts and runs of a byte), as a plain program in
// the test suite. With a folder named it also writes the seeds there, to
// start a libFuzzer run from:
//
//   par2_fuzz_corpus [SEED_FOLDER]

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/recovery/fuzz/par2_fuzz_seeds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// A fixed sequence of changes: the same run finds the same thing.
struct Changes {
  std::uint32_t state = 12345;
  std::uint32_t Next(std::uint32_t below) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % below;
  }
};

void RunChanged(const std::vector<std::uint8_t>& seed, Changes& changes) {
  std::vector<std::uint8_t> bytes = seed;
  switch (changes.Next(3)) {
    case 0:
      bytes[changes.Next(static_cast<std::uint32_t>(bytes.size()))] ^=
          static_cast<std::uint8_t>(1 + changes.Next(255));
      break;
    case 1:
      bytes.resize(changes.Next(static_cast<std::uint32_t>(bytes.size())));
      break;
    default: {
      const std::size_t at = changes.Next(static_cast<std::uint32_t>(bytes.size()));
      const std::size_t run = std::min<std::size_t>(bytes.size() - at, 1 + changes.Next(16));
      std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), run,
                  static_cast<std::uint8_t>(changes.Next(2) == 0 ? 0 : 0xFF));
    }
  }
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  std::string scratch = std::filesystem::temp_directory_path().string() + "/par2_fuzz.XXXXXX";
  if (::mkdtemp(scratch.data()) == nullptr) {
    std::perror(scratch.c_str());
    return 1;
  }
  const std::vector<kv::test::Seed> seeds = kv::test::MakePar2Seeds(scratch);
  std::filesystem::remove_all(scratch);
  Changes changes;
  int seedNumber = 0;
  for (const kv::test::Seed& seed : seeds) {
    LLVMFuzzerTestOneInput(seed.bytes.data(), seed.bytes.size());
    for (int k = 0; k < 50 && !seed.bytes.empty(); ++k) {
      RunChanged(seed.bytes, changes);
    }
    if (argc > 1) {
      std::ofstream(std::string(argv[1]) + "/seed" + std::to_string(++seedNumber), std::ios::binary)
          .write(reinterpret_cast<const char*>(seed.bytes.data()),
                 static_cast<std::streamsize>(seed.bytes.size()));
    }
  }
  std::printf("%zu passed, 0 failed: seeds of the PAR2 reader, each changed 50 ways\n",
              seeds.size());
  return seeds.size() > 20 ? 0 : 1;
}
