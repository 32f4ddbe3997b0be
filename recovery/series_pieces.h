#pragma once
// The files a series' recovery data protects and the names of its recovery
// files: the pieces by file name, from the first one on while the next
// number is there, and NAME.par2 / NAME.volF+C.par2 beside them, NAME being
// the first piece's name without its extension.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct SeriesPieces {
  std::string folder;              // ends in "/" unless empty (the current folder)
  std::vector<std::string> names;  // file names, first piece first
  std::string setName;             // NAME
};

// The pieces standing beside `firstPiece` (which must be there); false when
// its name is not that of a first piece (".d01", ".exe", ".000", ".001", ".x00", ".x01").
bool FindSeriesPieces(const std::string& firstPiece, SeriesPieces& pieces);

// NAME of a set named after `fileName`: a first piece loses its extension,
// a recovery file ".par2" and a ".volF+C" or ".volF-C" before it.
std::string SetNameOf(std::string_view fileName);
bool IsRecoveryFileName(std::string_view fileName);

std::string IndexFileName(std::string_view setName);
// par2cmdline's volume names: the first exponent padded to the digits of the
// set's recovery count (plus its first exponent), the count to those of the
// largest volume's count.
std::string VolumeFileName(std::string_view setName, std::uint32_t firstExponent,
                           std::uint32_t count, int exponentDigits, int countDigits);

}  // namespace kv
