#include "tests/tools/piece_fixtures.h"

#include "core/crc16.h"
#include "core/typed_header_builder.h"

namespace kv::test {

namespace {

void AppendTrailer(std::vector<std::uint8_t>& piece, const std::vector<std::uint8_t>& body) {
  const std::uint16_t crc = Crc16Of(body.data(), body.size());
  piece.insert(piece.end(), body.begin(), body.end());
  piece.push_back(static_cast<std::uint8_t>(crc & 0xFF));
  piece.push_back(static_cast<std::uint8_t>(crc >> 8));
  piece.push_back(0);
}

}  // namespace

std::vector<std::uint8_t> FirstPiece(const std::vector<std::uint8_t>& body, std::int64_t sourceSize,
                                     std::int64_t pieceLength) {
  const auto header0 = BuildType3FirstHeader(sourceSize, 0, 0x1234, "data.bin", 2004, 0x12345);
  if (pieceLength == 0) {
    pieceLength = static_cast<std::int64_t>(header0.size() + body.size());
  }
  auto piece = BuildType3FirstHeader(sourceSize, pieceLength, 0x1234, "data.bin", 2004, 0x12345);
  AppendTrailer(piece, body);
  return piece;
}

std::vector<std::uint8_t> NextPiece(const std::vector<std::uint8_t>& body) {
  auto piece = BuildType3NextHeader(static_cast<std::int64_t>(13 + body.size()), 0x1234, 2);
  AppendTrailer(piece, body);
  return piece;
}

std::vector<std::uint8_t> Filler(std::size_t size) {
  return std::vector<std::uint8_t>(size, 'x');
}

std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace kv::test
