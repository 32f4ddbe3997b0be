#pragma once
// Piece names: the extension schemes that number the pieces of a series, the
// proposed first-piece and restored names, recognition of a chosen file as
// the first piece of a series, and grouped decimal text for byte counts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/divide_settings.h"

namespace kv {

// How a piece number is written into the extension.
enum class PieceScheme {
  kThreeDigit,  // Type0: 000, 001, 002, ...
  kAddedChar,   // Type0 with an added character: a00, a01, a02, ...
  kDScheme,     // typed series (and the pieces after a self-restoring ".exe"): d01, d02, ...
};

// Decimal text with "," between groups of three digits: 1457664 -> "1,457,664".
std::string FormatGrouped(std::int64_t value);

// The name of piece `number` of the series `name` belongs to: the number text
// replaces everything after the last "." of the file name (for kAddedChar
// everything after the character that follows it). A name without "." gets
// "." and the number text appended.
std::string SetPieceNumber(std::string_view name, int number, PieceScheme scheme);

// The number written in the last `digits` characters of a piece name; 0 when
// they hold none.
int PieceNumberAtEnd(std::string_view name, std::size_t digits);
// The number SetPieceNumber wrote into `name`, however many digits it took
// (piece 1000 of a three-digit series is ".1000"); 0 when it holds none.
int PieceNumberOf(std::string_view name, PieceScheme scheme);

// Where the file name of a path starts: after the last "/" (or "\" of a Windows name).
std::size_t FileNameStart(std::string_view path);
std::string_view FileNamePart(std::string_view path);

// The scheme and the first piece number of a Type0 divide with these
// settings. An added character that cannot stand in a name (none, a blank, a
// separator, a control byte), or that would make the series read back as
// another ("0", ".", "d" or "D"), falls
// back to three digits, for the first piece and every later one alike; a
// DivideExt other than 1 starts at 0.
PieceScheme Type0Scheme(const DivideSettings& settings);
int Type0FirstNumber(const DivideSettings& settings);

// The extension of the first piece a divide with these settings makes
// (".exe", ".d01", ".000", ".001", ".x00", ".x01").
std::string FirstPieceExtension(const DivideSettings& settings, bool selfRestoring);

// The proposed first piece of dividing `source`: its file name with the first
// extension in place of its own, beside the source or, with DefaultDV, in the
// first "Restore" default folder.
std::string ProposeFirstPieceName(std::string_view source, const DivideSettings& settings,
                                  bool selfRestoring);

// Makes a destination end in the first extension: unchanged when it already
// does (the third-last character compared in lower case); otherwise the
// extension of its file name (of `source` when `dest` is empty) is replaced,
// or the first extension appended when the file name has none.
std::string EnforceFirstPieceExtension(std::string_view dest, std::string_view source,
                                       std::string_view firstExtension);

// The proposed restored name for a Type0 series: the first piece's name with
// its three-character number replaced by RsDefaultExt, moved into the second
// "Restore" default folder with DefaultRS.
std::string ProposeType0RestoredName(std::string_view firstPiece, const DivideSettings& settings);

// The proposed restored name for a typed series: the name recorded in the
// header, in the folder of the first piece (or the second "Restore" default
// folder with DefaultRS). Only the file name part of the recorded name is used.
std::string ProposeTypedRestoredName(std::string_view firstPiece, std::string_view storedName,
                                     const DivideSettings& settings);

enum class PieceNameKind {
  kFileToDivide,
  kTypedCandidate,  // ".d01" or ".exe": the header decides
  kType0First,      // first piece of a Type0 series
};

struct PieceRecognition {
  PieceNameKind kind = PieceNameKind::kFileToDivide;
  PieceScheme scheme = PieceScheme::kThreeDigit;  // Type0 only
  int firstNumber = 0;                            // Type0 only
  bool executable = false;  // a typed candidate named ".exe" (a self-restoring first piece)
};

// Classifies a chosen file by its extension (at most its first three characters count).
PieceRecognition RecognisePieceName(std::string_view name);

// True when the last three characters of `name` are "d01" or "exe" in any
// case: a first piece, plain or self-restoring.
bool EndsLikeTypedFirstPiece(std::string_view name);
// True when `name` ends in ".exe" in any case.
bool HasExeExtension(std::string_view name);

}  // namespace kv
