#pragma once
// What the recovery data beside a series can do for it, for the series line
// of "kolvanto-cli check".

#include <string>

namespace kv {

// ", repairable: P pieces missing, recovery for R" or ", not repairable: K
// more recovery blocks needed" when NAME.par2 (or a volume) stands beside
// `firstPiece` and a piece is missing or damaged; "" otherwise.
std::string RecoveryRemark(const std::string& firstPiece);

}  // namespace kv
