#pragma once
// Stub data files for tests, laid out by the same writer the build uses.

#include "core/stub_data_writer.h"

namespace kv::test {

using TestStubKind = StubDataEntry;
using kv::BuildStubDataFile;

}  // namespace kv::test
