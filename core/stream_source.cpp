#include "core/stream_source.h"

#include <filesystem>

namespace kv {

std::unique_ptr<StreamSource> StreamSource::Open(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return nullptr;
  }
  std::ifstream stream(path, std::ios::binary);
  const auto size = std::filesystem::file_size(path, error);
  if (!stream || error) {
    return nullptr;
  }
  return std::unique_ptr<StreamSource>(
      new StreamSource(std::move(stream), static_cast<std::int64_t>(size)));
}

std::int64_t StreamSource::Read(std::span<std::byte> out) {
  if (!stream_) {
    return -1;
  }
  stream_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  const auto got = static_cast<std::int64_t>(stream_.gcount());
  position_ += got;
  if (stream_.eof()) {
    stream_.clear();  // a short read at the end leaves the stream usable
  } else if (!stream_) {
    return -1;
  }
  return got;
}

bool StreamSource::Seek(std::int64_t position) {
  if (position < 0 || position > size_) {
    return false;
  }
  stream_.clear();
  if (!stream_.seekg(static_cast<std::streamoff>(position))) {
    return false;
  }
  position_ = position;
  return true;
}

}  // namespace kv
