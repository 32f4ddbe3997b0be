#pragma once
// The self-restore stub data file "Kolvanto.dat": its version, its up to six
// kinds of restoring stub, and the copy of one stub to the front of a
// self-restoring first piece. The file stays open for reading once loaded.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/byte_sink.h"
#include "core/byte_source.h"
#include "core/job_state.h"

namespace kv {

inline constexpr char kStubDataFileName[] = "Kolvanto.dat";
inline constexpr int kMaxStubKinds = 6;

// One kind of stub: its display name, its byte count and where it lies in the file.
struct StubKind {
  std::string name;
  std::uint32_t stubSize = 0;
  std::int64_t offset = 0;
};

// Why a kind's stub cannot start a self-restoring series.
enum class StubFault {
  kNone,
  kPastEnd,       // the directory's sizes run past the end of the file
  kHoldsPattern,  // the stub holds the first-piece pattern a reader takes for the header
  kUnreadable,    // the stub's bytes could not be read
};

class StubDataFile {
 public:
  StubDataFile() = default;

  // Reads the version and the kind directory of the file at `path`. True when
  // the kinds may be offered (also with an empty directory); on false the
  // status text says why and no kind is usable.
  bool LoadStubDataFile(const std::string& path);

  // Appends kind k's stub to `piece`, unchanged. False when k is not a usable
  // kind or on an input/output error; bytes that were not read are never written.
  bool CopyStub(int kind, ByteSink& piece);

  // Looks at kind k's stub before a divide copies it: every kind's stub must
  // lie within the file, and k's must not hold the first-piece pattern (a
  // restore would find it in front of the real header). Reads the stub.
  StubFault CheckStub(int kind);
  // The file loaded last (empty before a load).
  const std::string& Path() const { return path_; }

  // The line shown in the About box: the version line or why the file is unusable.
  const std::string& StatusText() const { return statusText_; }
  int Major() const { return major_; }
  int Minor() const { return minor_; }
  // The piece format of self-restoring series: Type2 for version 1 stubs, Type3 for version 2.
  SplitType SeriesSplitType() const { return major_ == 1 ? SplitType::kType2 : SplitType::kType3; }

  // Usable kinds: those before the first empty name.
  int KindCount() const;
  // The kind's name; empty when k is outside the usable kinds.
  std::string KindName(int kind) const;
  std::vector<std::string> KindNames() const;
  // The kind's stub size; 0 when k is outside the usable kinds.
  std::uint32_t StubSize(int kind) const;
  // The directory as read; after the seven-kind failure its first name is empty.
  const std::vector<StubKind>& Kinds() const { return kinds_; }
  // File offset of the first byte behind the directory end (0 before a successful load).
  std::int64_t FirstStubOffset() const { return firstStubOffset_; }

  // A selected kind index still at -1 (never chosen) becomes 0 once the
  // directory has been read (a success or the seven-kind failure).
  int SelectedKindAfterLoad(int selectedKind) const;

 private:
  bool Fail(const char* status);
  // The two version bytes and the status line they give; false when not usable.
  bool ReadVersion();
  // The kinds' names and sizes, up to the 0 that ends the list.
  bool ReadDirectory();
  // The kind `kind` when it is offered (within the kinds before the first nameless one).
  const StubKind* Offered(int kind) const;

  std::unique_ptr<ByteSource> file_;
  std::string path_;
  std::string statusText_;
  int major_ = 0;
  int minor_ = 0;
  std::vector<StubKind> kinds_;
  std::int64_t firstStubOffset_ = 0;
  bool directoryRead_ = false;
};

// The kind-name substrings that matter elsewhere (exact case).
// True when a series made with this kind records the 8.3 source name.
bool RecordsShortName(const std::string& kindName);
// True when this kind restores only sources of at most 0x7FFFFFFF bytes.
bool LimitedTo2GB(const std::string& kindName);

}  // namespace kv
