#pragma once
// The pieces a divide at a fixed size is going to write, known before the
// first of them is: each piece's file name, length and the digest of its
// first 16 KiB, laid out as the engines lay them out (stub, headers, the
// source's bytes at their offsets, a short Type3 piece's trailer). The
// recovery data computed while dividing rests on them, and checks each
// piece against them as it is written.

#include <optional>
#include <vector>

#include "recovery/series_accumulator.h"

namespace kv {

struct DivideSettings;
class JobState;
class StubDataFile;

// True when the job's pieces are known before it runs: a fixed divide size,
// no piece lengthened to a line end or string, no earlier run gone on from,
// a source that can be looked at beforehand (no stream).
bool PiecesKnownBeforehand(const DivideSettings& settings, const JobState& job);

// The pieces, first piece first, named as in the job's folder; nothing when
// they are not known beforehand or the source or stub cannot be read.
std::optional<std::vector<par2::ExpectedFile>> PredictPieces(const DivideSettings& settings,
                                                             const JobState& job,
                                                             StubDataFile& stubs);

}  // namespace kv
