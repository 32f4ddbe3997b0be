#pragma once
// The recovery jobs timed beside Debian's par2 on the same pieces, with the
// same slice size (one slice a piece) and the same count of recovery slices:
// kolvanto-cli protect against par2 create, and kolvanto-cli repair of one
// lost piece against par2 repair.

#include <string>
#include <utility>
#include <vector>

#include "bench/bench_steps.h"

namespace kv::bench {

struct RecoveryCase {
  std::string name;  // its folder, and its steps' names
  int pieces = 0;
  long long pieceBytes = 0;  // a multiple of 4
  int recovery = 0;
  bool withRepair = false;  // also time rebuilding a lost piece
  bool withDivide = false;  // also time dividing the pieces' bytes with and without recovery
};

// 20 pieces of 10 MiB with 1 recovery slice (and a repair), 100 pieces of
// 2 MiB with 10; smaller pieces when the source holds less.
std::vector<RecoveryCase> RecoveryCases(long long sourceBytes);

// Cuts the source into each case's pieces, in a folder of the case's name
// for kolvanto-cli and another for par2. False with a message when it cannot.
bool MakeRecoveryPieces(const BenchPlace& place, const std::vector<RecoveryCase>& cases);

// The steps, kolvanto-cli's before par2's; `rows` gets each pair's names,
// `divideRows` those of the divides with and without recovery (Type0, Type3).
std::vector<Step> RecoverySteps(const BenchPlace& place, const std::vector<RecoveryCase>& cases,
                                std::vector<std::pair<std::string, std::string>>& rows,
                                std::vector<std::pair<std::string, std::string>>& divideRows);

// Whether Debian's par2 can be run here.
bool Par2Present(const BenchPlace& place);

}  // namespace kv::bench
