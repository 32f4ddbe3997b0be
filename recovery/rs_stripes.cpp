#include "recovery/rs_stripes.h"

#include <algorithm>

#include "recovery/gf16.h"
#include "recovery/two_threads.h"

namespace kv::par2 {

namespace {

// The outputs' share of a processor's cache: a stripe is cut into narrower
// ones whose sums stay there while every input is multiplied in.
constexpr std::size_t kCachedSums = 512 * 1024;

// The width the stripe is cut into: the sums of every output within the
// cache, and at least two pieces for two threads when there is room.
std::size_t PieceWidth(std::size_t width, std::size_t outputs) {
  const std::size_t cached =
      std::max<std::size_t>(kCachedSums / std::max<std::size_t>(outputs, 1), 64);
  const std::size_t half = (width / 2 + 63) / 64 * 64;
  return std::max<std::size_t>(std::min(cached / 64 * 64, half), 64);
}

}  // namespace

std::size_t StripeWidth(std::uint64_t sliceSize, std::size_t outputs, std::size_t budget) {
  const std::size_t perOutput = budget / std::max<std::size_t>(outputs, 1) / 4 * 4;
  return static_cast<std::size_t>(
      std::min<std::uint64_t>(sliceSize, std::max<std::size_t>(perOutput, 4)));
}

bool StripeAdder::AddInput(const SliceSource& slice, std::uint64_t from, std::size_t width,
                           Bytes& piece, std::vector<Bytes>& outputs, std::size_t at) {
  // Past the slice's data lie only zeros: they add nothing.
  const std::uint64_t held = slice.length > from ? slice.length - from : 0;
  const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(held, width));
  if (count == 0) {
    return true;
  }
  if (!slice.file->ReadAt(slice.offset + from, std::span(piece).first(count))) {
    return false;
  }
  // An odd end is a word's low byte; its high byte is padding. The piece,
  // a multiple of 4 wide or ending where the slice's data goes on, has room for it.
  if (count % 2 != 0) {
    piece[count] = 0;
  }
  for (std::size_t r = 0; r < exponents_.size(); ++r) {
    gf16::MultiplyAdd(gf16::Power(slice.constant, exponents_[r]), piece.data(),
                      outputs[r].data() + at, count + count % 2);
  }
  return true;
}

bool StripeAdder::Add(std::uint64_t stripeOffset, std::vector<Bytes>& outputs,
                      const StopCheck& stopAsked) {
  if (outputs.empty() || outputs.front().empty()) {
    return true;
  }
  const std::size_t width = outputs.front().size();
  const std::size_t pieceWidth = PieceWidth(width, outputs.size());
  const std::size_t pieces = (width + pieceWidth - 1) / pieceWidth;
  // Each thread takes a narrow stripe of every output in turn: no two write
  // the same bytes.
  return ForEachOnTwoThreads(
      pieces,
      [&](std::size_t k, unsigned thread, const StopCheck& stop) {
        const std::size_t at = k * pieceWidth;
        const std::size_t step = std::min(pieceWidth, width - at);
        Bytes& piece = pieces_[thread];
        piece.resize(pieceWidth);
        for (const SliceSource& slice : inputs_) {
          if (stop() || !AddInput(slice, stripeOffset + at, step, piece, outputs, at)) {
            return false;
          }
        }
        return true;
      },
      stopAsked);
}

}  // namespace kv::par2
