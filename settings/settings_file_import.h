#pragma once
// The one-time import of the settings file "Kolvanto.ini" that may ship beside
// the program: read line by line into the settings record, then deleted.

#include <cstddef>
#include <filesystem>
#include <istream>
#include <optional>
#include <span>
#include <string>

#include "core/divide_settings.h"

namespace kv {

inline constexpr const char* kSettingsFileName = "Kolvanto.ini";
inline constexpr const char* kSettingsFileHeader = "[KolvantoSetup]";

// Longest piece of a line read at a time; the rest of a longer line is read as a line of its own.
inline constexpr std::size_t kFirstLineLimit = 998;
inline constexpr std::size_t kOtherLineLimit = 798;

// Reads the next piece of a line: at most `limit` characters, ending after the
// first line end ("\n", or "\r\n" taken as one "\n"). False at the end of input.
bool ReadLinePiece(std::istream& in, std::size_t limit, std::string& piece);

// Applies one settings-file line (its line end still on) to the record; lines
// that match no key, and keys whose value has no place in the record, change nothing.
void ApplySettingsLine(std::string_view line, DivideSettings& settings);

// Applies a whole settings file. False, with nothing applied, when the first
// line does not begin with the header.
bool ApplySettingsFile(std::istream& in, DivideSettings& settings);

// The first of `folders` holding a settings file that can be opened for reading.
std::optional<std::filesystem::path> FindSettingsFile(
    std::span<const std::filesystem::path> folders);

// Imports the file and deletes it, whether or not its header was right. A file
// that cannot be deleted stays. False when the file cannot be opened (nothing changes).
bool ImportSettingsFile(const std::filesystem::path& file, DivideSettings& settings);

}  // namespace kv
