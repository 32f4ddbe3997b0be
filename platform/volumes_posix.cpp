#include <sys/statvfs.h>

#include <cerrno>

#include "platform/volumes.h"

namespace kv {

FreeSpace SystemVolumes::QueryFreeSpace(const std::string& fileName) {
  FreeSpace answer;
  answer.folder = FolderOfFile(fileName);
  struct statvfs st {};
  if (statvfs(answer.folder.c_str(), &st) != 0) {
    answer.error = errno;
    return answer;
  }
  answer.ready = true;
  answer.bytes = SaturatedFreeBytes(st.f_bavail, st.f_frsize);
  answer.largestFile = LargestFileIn(answer.folder);
  return answer;
}

}  // namespace kv
