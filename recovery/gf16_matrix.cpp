#include "recovery/gf16_matrix.h"

#include <utility>

#include "recovery/gf16.h"

namespace kv::gf16 {

namespace {

// row[to] ^= factor * row[from], over both halves of the augmented rows.
void AddRow(std::vector<std::uint16_t>& m, std::vector<std::uint16_t>& inv, std::size_t n,
            std::size_t to, std::size_t from, std::uint16_t factor) {
  for (std::size_t c = 0; c < n; ++c) {
    m[to * n + c] ^= Multiply(factor, m[from * n + c]);
    inv[to * n + c] ^= Multiply(factor, inv[from * n + c]);
  }
}

}  // namespace

bool Invert(std::vector<std::uint16_t>& matrix, std::size_t n) {
  std::vector<std::uint16_t> inverse(n * n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    inverse[i * n + i] = 1;
  }
  for (std::size_t col = 0; col < n; ++col) {
    std::size_t pivot = col;
    while (pivot < n && matrix[pivot * n + col] == 0) {
      ++pivot;
    }
    if (pivot == n) {
      return false;
    }
    for (std::size_t c = 0; c < n; ++c) {
      std::swap(matrix[pivot * n + c], matrix[col * n + c]);
      std::swap(inverse[pivot * n + c], inverse[col * n + c]);
    }
    const std::uint16_t scale = Inverse(matrix[col * n + col]);
    for (std::size_t c = 0; c < n; ++c) {
      matrix[col * n + c] = Multiply(scale, matrix[col * n + c]);
      inverse[col * n + c] = Multiply(scale, inverse[col * n + c]);
    }
    for (std::size_t row = 0; row < n; ++row) {
      if (row != col && matrix[row * n + col] != 0) {
        AddRow(matrix, inverse, n, row, col, matrix[row * n + col]);
      }
    }
  }
  matrix = std::move(inverse);
  return true;
}

}  // namespace kv::gf16
