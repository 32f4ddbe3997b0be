#include "core/stub_data_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "core/job_progress.h"
#include "core/stream_source.h"
#include "core/typed_header_builder.h"

namespace kv {

namespace {

constexpr char kNotInstalled[] = "自己復元型分割データ  Not installed";
constexpr char kVersionLine[] = "自己復元型分割データ  ver. %d.%02d";
constexpr char kUnsupported[] = "Kolvanto.datはサポート外のバージョンです";
constexpr char kDamaged[] = "Kolvanto.datは壊れています";

constexpr auto kCopyBlock = static_cast<std::size_t>(kStepSize);

int SignedByte(int b) {
  return b >= 0x80 ? b - 0x100 : b;
}

}  // namespace

bool StubDataFile::Fail(const char* status) {
  statusText_ = status;
  kinds_.clear();
  firstStubOffset_ = 0;
  file_.reset();
  return false;
}

bool StubDataFile::LoadStubDataFile(const std::string& path) {
  file_.reset();
  kinds_.clear();
  firstStubOffset_ = 0;
  directoryRead_ = false;
  major_ = 0;
  minor_ = 0;
  path_ = path;

  file_ = StreamSource::Open(path);
  if (!file_) {
    return Fail(kNotInstalled);
  }
  return ReadVersion() && ReadDirectory();
}

bool StubDataFile::ReadVersion() {
  const int majorByte = file_->ReadByte();
  const int minorByte = file_->ReadByte();
  if (majorByte < 0 || minorByte < 0) {
    return Fail(kDamaged);
  }
  major_ = SignedByte(majorByte);
  minor_ = SignedByte(minorByte);
  const bool minorValid = minor_ >= 0 && minor_ <= 99;
  if ((major_ == 1 || major_ == 2) && minorValid) {
    char line[64];
    std::snprintf(line, sizeof line, kVersionLine, major_, minor_);
    statusText_ = line;
    return true;
  }
  if (major_ >= 3 && major_ <= 9 && minorValid) {
    return Fail(kUnsupported);
  }
  return Fail(kDamaged);
}

bool StubDataFile::ReadDirectory() {
  // Names ended by 0, each followed by a little-endian size; a 0 where a name
  // would start ends the list. Running out of bytes anywhere in it means the
  // file is damaged.
  std::int64_t offset = 2;
  std::int64_t stubOffset = 0;  // relative to the first stub
  int b = file_->ReadByte();
  ++offset;
  while (b != 0) {
    if (b < 0) {
      return Fail(kDamaged);
    }
    if (static_cast<int>(kinds_.size()) == kMaxStubKinds) {
      // The kinds read so far are not offered.
      statusText_ = kDamaged;
      kinds_.front().name.clear();
      directoryRead_ = true;
      return false;
    }
    StubKind kind;
    for (; b != 0; b = file_->ReadByte(), ++offset) {
      if (b < 0) {
        return Fail(kDamaged);
      }
      kind.name.push_back(static_cast<char>(b));
    }
    std::array<std::byte, 4> size{};
    if (!file_->ReadExact(size)) {
      return Fail(kDamaged);
    }
    offset += 4;
    kind.stubSize = static_cast<std::uint32_t>(size[0]) | static_cast<std::uint32_t>(size[1]) << 8 |
                    static_cast<std::uint32_t>(size[2]) << 16 |
                    static_cast<std::uint32_t>(size[3]) << 24;
    kind.offset = stubOffset;
    stubOffset += kind.stubSize;
    kinds_.push_back(std::move(kind));
    b = file_->ReadByte();
    ++offset;
  }
  firstStubOffset_ = offset;
  for (StubKind& kind : kinds_) {
    kind.offset += firstStubOffset_;
  }
  directoryRead_ = true;
  return true;
}

int StubDataFile::KindCount() const {
  std::size_t count = 0;
  while (count < kinds_.size() && !kinds_[count].name.empty()) {
    ++count;
  }
  return static_cast<int>(count);
}

const StubKind* StubDataFile::Offered(int kind) const {
  return kind >= 0 && kind < KindCount() ? &kinds_[static_cast<std::size_t>(kind)] : nullptr;
}

std::string StubDataFile::KindName(int kind) const {
  const StubKind* offered = Offered(kind);
  return offered != nullptr ? offered->name : std::string();
}

std::vector<std::string> StubDataFile::KindNames() const {
  std::vector<std::string> names;
  for (int k = 0; k < KindCount(); ++k) {
    names.push_back(Offered(k)->name);
  }
  return names;
}

std::uint32_t StubDataFile::StubSize(int kind) const {
  const StubKind* offered = Offered(kind);
  return offered != nullptr ? offered->stubSize : 0;
}

int StubDataFile::SelectedKindAfterLoad(int selectedKind) const {
  return directoryRead_ && selectedKind == -1 ? 0 : selectedKind;
}

bool StubDataFile::CopyStub(int kind, ByteSink& piece) {
  const StubKind* offered = Offered(kind);
  if (!file_ || offered == nullptr || !file_->Seek(offered->offset)) {
    return false;
  }
  std::array<std::byte, kCopyBlock> block;
  std::uint32_t remaining = offered->stubSize;
  while (remaining > 0) {
    const std::size_t step = remaining > kCopyBlock ? kCopyBlock : remaining;
    const std::span<std::byte> part(block.data(), step);
    if (!file_->ReadExact(part) || !piece.Write(part)) {
      return false;
    }
    remaining -= static_cast<std::uint32_t>(step);
  }
  return true;
}

StubFault StubDataFile::CheckStub(int kind) {
  const StubKind* offered = Offered(kind);
  if (!file_ || offered == nullptr) {
    return StubFault::kUnreadable;
  }
  std::int64_t end = firstStubOffset_;
  for (const StubKind& each : kinds_) {
    end += each.stubSize;
  }
  if (end > file_->Size()) {
    return StubFault::kPastEnd;
  }
  if (!file_->Seek(offered->offset)) {
    return StubFault::kUnreadable;
  }
  // Each block is searched with the pattern's length less one byte of the
  // block before it, so a pattern across a block boundary is found too.
  const std::string_view pattern = kType3FirstPattern;
  std::string window;
  std::array<std::byte, kCopyBlock> block;
  std::uint32_t remaining = offered->stubSize;
  while (remaining > 0) {
    const std::size_t step = remaining > kCopyBlock ? kCopyBlock : remaining;
    if (!file_->ReadExact(std::span(block.data(), step))) {
      return StubFault::kUnreadable;
    }
    window.append(reinterpret_cast<const char*>(block.data()), step);
    if (window.find(pattern) != std::string::npos) {
      return StubFault::kHoldsPattern;
    }
    window.erase(0, window.size() - std::min(window.size(), pattern.size() - 1));
    remaining -= static_cast<std::uint32_t>(step);
  }
  return StubFault::kNone;
}

bool RecordsShortName(const std::string& kindName) {
  for (const char* mark : {"Win16", "WIN16", "MS-DOS", "Win3.1", "WIN3.1"}) {
    if (kindName.find(mark) != std::string::npos) {
      return true;
    }
  }
  return false;
}

bool LimitedTo2GB(const std::string& kindName) {
  return kindName.find("DOS") != std::string::npos && kindName.find("Win") == std::string::npos;
}

}  // namespace kv
