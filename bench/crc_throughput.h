#pragma once

namespace kv::bench {

// Prints, for every CRC-16 path this processor offers, the GB/s it folds
// from a buffer that stays in the cache and from one that does not.
void PrintCrcThroughput();

}  // namespace kv::bench
