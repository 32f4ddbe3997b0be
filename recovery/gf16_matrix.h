#pragma once
// Square matrices over GF(2^16), row-major: the system a repair solves for
// the missing slices.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv::gf16 {

// Replaces the n×n `matrix` by its inverse (Gauss-Jordan); false, the matrix
// spoilt, when it is singular.
bool Invert(std::vector<std::uint16_t>& matrix, std::size_t n);

}  // namespace kv::gf16
