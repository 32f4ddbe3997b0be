#pragma once
// What the machine and the process allow a job that sizes its work to them:
// the memory there is, and how many files may be open at once.

#include <cstdint>

namespace kv {

// The machine's memory in bytes; 0 when it cannot be told.
std::uint64_t MemoryBytes();

// How many files the process may hold open at once; `fallback` when it cannot be told.
std::uint64_t OpenFilesAllowed(std::uint64_t fallback);

}  // namespace kv
