#pragma once
// Turns a source name read from a piece header (untrusted bytes) into a file
// name this system may create: a single path component in UTF-8.

#include <optional>
#include <string>
#include <string_view>

#include "core/code_page.h"

namespace kv {

// The longest source name a reader keeps, in recorded bytes. Writers store a
// path component, which never exceeds this; a longer record is broken.
constexpr std::size_t kMaxRecordedNameBytes = 259;

// Returns the usable name, or nothing when the recorded name is broken.
// - A name that is not valid UTF-8 was written under a Japanese system code
//   page: it is converted with `fromCodePage` (bytes it refuses, or any
//   such name when there is no converter, are read as Latin-1, so no name is
//   lost to its encoding).
// - Only the text after the last "/" or "\" is kept.
// - The characters SafeFileName replaces become "_".
// - An empty result, "." or ".." makes it broken.
std::optional<std::string> SanitizeRecordedName(std::string_view recorded,
                                                CodePageToUtf8 fromCodePage = nullptr);

// The name as a divide records it and a restore creates it: every byte below
// 0x20, 0x7F, each of " * / : < > ? \ |, each C1 control (U+0080-U+009F) and
// each bidirectional override (U+202A-U+202E, U+2066-U+2069) becomes one "_".
// With `blankEnds`, so does every blank at either end (a Type2 header cannot
// hold them there).
std::string SafeFileName(std::string_view name, bool blankEnds = false);

// The name a divide records for the source at `path`: its last component
// (after the last "/"; a "\" is a character of a name here, not a
// separator) made safe by SafeFileName.
std::string RecordedSourceName(std::string_view path, bool blankEnds = false);

}  // namespace kv
