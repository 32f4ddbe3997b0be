#include "recovery/rs_stripes.h"

#include <algorithm>
#include <cstring>

#include "recovery/gf16.h"

namespace kv::par2 {

std::size_t StripeWidth(std::uint64_t sliceSize, std::size_t outputs, std::size_t budget) {
  const std::size_t perOutput = budget / std::max<std::size_t>(outputs + 1, 1) / 4 * 4;
  return static_cast<std::size_t>(
      std::min<std::uint64_t>(sliceSize, std::max<std::size_t>(perOutput, 4)));
}

bool ReadStripe(const SliceSource& slice, std::uint64_t stripeOffset, std::span<std::uint8_t> out) {
  const std::uint64_t held = slice.length > stripeOffset ? slice.length - stripeOffset : 0;
  const std::size_t fromFile = static_cast<std::size_t>(std::min<std::uint64_t>(held, out.size()));
  std::memset(out.data() + fromFile, 0, out.size() - fromFile);
  return fromFile == 0 || slice.file->ReadAt(slice.offset + stripeOffset, out.first(fromFile));
}

bool AddStripe(std::span<const SliceSource> inputs, std::span<const std::uint32_t> exponents,
               std::uint64_t stripeOffset, std::vector<Bytes>& outputs, Bytes& scratch) {
  const std::size_t width = outputs.empty() ? 0 : outputs.front().size();
  scratch.resize(width);
  for (const SliceSource& slice : inputs) {
    if (stripeOffset >= slice.length) {
      continue;  // only zeros here: they add nothing
    }
    if (!ReadStripe(slice, stripeOffset, scratch)) {
      return false;
    }
    for (std::size_t r = 0; r < exponents.size(); ++r) {
      gf16::MultiplyAdd(gf16::Power(slice.constant, exponents[r]), scratch.data(),
                        outputs[r].data(), width);
    }
  }
  return true;
}

}  // namespace kv::par2
