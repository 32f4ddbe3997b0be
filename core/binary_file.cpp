#include "core/binary_file.h"

#include <sys/stat.h>

namespace kv {

namespace {

// Each file belongs to one job thread, so the stream lock is not needed per step.
#if defined(__GLIBC__)
std::size_t ReadBytes(void* out, std::size_t n, std::FILE* f) {
  return fread_unlocked(out, 1, n, f);
}
std::size_t WriteBytes(const void* data, std::size_t n, std::FILE* f) {
  return fwrite_unlocked(data, 1, n, f);
}
#else
std::size_t ReadBytes(void* out, std::size_t n, std::FILE* f) {
  return std::fread(out, 1, n, f);
}
std::size_t WriteBytes(const void* data, std::size_t n, std::FILE* f) {
  return std::fwrite(data, 1, n, f);
}
#endif

#ifdef _WIN32
int SeekTo(std::FILE* f, std::int64_t pos) {
  return _fseeki64(f, pos, SEEK_SET);
}
std::int64_t Tell(std::FILE* f) {
  return _ftelli64(f);
}
#else
int SeekTo(std::FILE* f, std::int64_t pos) {
  return fseeko(f, static_cast<off_t>(pos), SEEK_SET);
}
std::int64_t Tell(std::FILE* f) {
  return static_cast<std::int64_t>(ftello(f));
}
#endif

}  // namespace

std::unique_ptr<BinaryFile> BinaryFile::Open(const std::string& path, Mode mode) {
  std::FILE* f = std::fopen(path.c_str(), mode == Mode::kRead ? "rb" : "wb");
  if (f == nullptr) {
    return nullptr;
  }
  return std::unique_ptr<BinaryFile>(new BinaryFile(f, path));
}

BinaryFile::BinaryFile(std::FILE* file, std::string path)
    : file_(file), path_(std::move(path)), buffer_(new char[kBufferSize]) {
  std::setvbuf(file_, buffer_.get(), _IOFBF, kBufferSize);
}

BinaryFile::~BinaryFile() {
  Close();
}

std::int64_t BinaryFile::Read(std::span<std::byte> out) {
  if (file_ == nullptr) {
    return -1;
  }
  const std::size_t n = ReadBytes(out.data(), out.size(), file_);
  if (n < out.size() && std::ferror(file_)) {
    return -1;
  }
  return static_cast<std::int64_t>(n);
}

bool BinaryFile::Seek(std::int64_t position) {
  return file_ != nullptr && position >= 0 && SeekTo(file_, position) == 0;
}

std::int64_t BinaryFile::Position() const {
  return file_ == nullptr ? -1 : Tell(file_);
}

std::int64_t BinaryFile::Size() const {
  if (file_ == nullptr) {
    return -1;
  }
  std::fflush(file_);
  struct stat st {};
  if (fstat(fileno(file_), &st) != 0) {
    return -1;
  }
  return static_cast<std::int64_t>(st.st_size);
}

bool BinaryFile::Write(std::span<const std::byte> data) {
  return file_ != nullptr && WriteBytes(data.data(), data.size(), file_) == data.size();
}

bool BinaryFile::Close() {
  if (file_ == nullptr) {
    return true;
  }
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

}  // namespace kv
