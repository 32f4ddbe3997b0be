#include "app/recent_files.h"

#include <algorithm>

#include "platform/file_helpers.h"

namespace kv {

namespace {

// Characters, not bytes: a Japanese name counts one per character.
std::size_t CharacterCount(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

bool NamesSameFile(const std::string& a, const std::string& b) {
  return a == b || SameFile(a, b);
}

}  // namespace

void AddRecent(RecentFileList& list, const std::string& name) {
  if (name.empty()) {
    return;
  }
  auto found = std::find_if(list.begin(), list.end(),
                            [&](const std::string& entry) { return NamesSameFile(entry, name); });
  if (found == list.end()) {
    found = list.end() - 1;  // the oldest entry falls off
  }
  std::move_backward(list.begin(), found, found + 1);
  list.front() = name;
}

std::string RecentDisplayName(const std::string& fullName, const std::string& currentFolder,
                              std::size_t limit) {
  const std::size_t slash = fullName.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : fullName.substr(0, slash);
  const std::string file = slash == std::string::npos ? fullName : fullName.substr(slash + 1);
  if (folder == currentFolder || (folder.empty() && slash == 0 && currentFolder == "/")) {
    return file;
  }
  if (CharacterCount(fullName) <= limit) {
    return fullName;
  }
  // Keep the first folder and as many of the last folders as fit; drop the
  // middle; with nothing to spare the file name stands alone.
  const std::size_t firstEnd = fullName.find('/', 1);
  const std::string head = fullName.substr(0, firstEnd) + "/...";
  std::string tail = "/" + file;
  std::size_t cut = slash;
  while (cut > firstEnd) {
    const std::size_t previous = fullName.rfind('/', cut - 1);
    const std::string longer = fullName.substr(previous, cut - previous) + tail;
    if (previous <= firstEnd || CharacterCount(head + longer) > limit) {
      break;
    }
    tail = longer;
    cut = previous;
  }
  const std::string shortened = head + tail;
  return CharacterCount(shortened) <= limit ? shortened : file;
}

}  // namespace kv
