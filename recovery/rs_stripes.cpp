#include "recovery/rs_stripes.h"

#include <algorithm>

#include "recovery/gf16.h"
#include "recovery/two_threads.h"

namespace kv::par2 {

namespace {

// Read and multiplied at once: small enough to stay in cache across the outputs.
constexpr std::size_t kPiece = 64 * 1024;

}  // namespace

std::size_t StripeWidth(std::uint64_t sliceSize, std::size_t outputs, std::size_t budget) {
  const std::size_t perOutput = budget / std::max<std::size_t>(2 * outputs, 1) / 4 * 4;
  return static_cast<std::size_t>(
      std::min<std::uint64_t>(sliceSize, std::max<std::size_t>(perOutput, 4)));
}

bool StripeAdder::AddInput(const SliceSource& slice, std::uint64_t stripeOffset, unsigned thread,
                           std::vector<Bytes>& sums) {
  const std::size_t width = sums.front().size();
  // Past the slice's data lie only zeros: they add nothing.
  const std::uint64_t held = slice.length > stripeOffset ? slice.length - stripeOffset : 0;
  const std::size_t fromFile = static_cast<std::size_t>(std::min<std::uint64_t>(held, width));
  Bytes& piece = pieces_[thread];
  piece.resize(kPiece);
  for (std::size_t at = 0; at < fromFile; at += kPiece) {
    const std::size_t count = std::min(kPiece, fromFile - at);
    if (!slice.file->ReadAt(slice.offset + stripeOffset + at, std::span(piece).first(count))) {
      return false;
    }
    // An odd end is a word's low byte; its high byte is padding. The stripe,
    // a multiple of 4 wide, has room for it.
    if (count % 2 != 0) {
      piece[count] = 0;
    }
    const std::size_t words = count + count % 2;
    for (std::size_t r = 0; r < exponents_.size(); ++r) {
      gf16::MultiplyAdd(gf16::Power(slice.constant, exponents_[r]), piece.data(),
                        sums[r].data() + at, words);
    }
  }
  return true;
}

bool StripeAdder::Add(std::uint64_t stripeOffset, std::vector<Bytes>& outputs) {
  if (outputs.empty()) {
    return true;
  }
  const std::size_t width = outputs.front().size();
  partial_.resize(outputs.size());
  for (Bytes& sums : partial_) {
    sums.assign(width, 0);
  }
  const bool done = ForEachOnTwoThreads(
      inputs_.size(), [&](std::size_t index, unsigned thread, const StopCheck&) {
        return AddInput(inputs_[index], stripeOffset, thread, thread == 0 ? outputs : partial_);
      });
  for (std::size_t r = 0; done && r < outputs.size(); ++r) {
    gf16::MultiplyAdd(1, partial_[r].data(), outputs[r].data(), width);
  }
  return done;
}

}  // namespace kv::par2
