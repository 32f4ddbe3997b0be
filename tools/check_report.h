#pragma once
// The validity check from a shell: expands the named paths as the check
// list would, judges each file, sorts like the list and makes one line per
// file. The front end only parses its options and prints.

#include <string>
#include <string_view>
#include <vector>

#include "tools/validity_verdict.h"

namespace kv {

struct CheckReportOptions {
  // kNameColumn, kVerdictColumn or kRemarkColumn; -1 keeps the listing order.
  int sortColumn = -1;
  // Descending under the sort column; without one, the listing order reversed.
  bool reverse = false;
};

struct CheckReport {
  std::vector<std::string> lines;   // "mark remark name", no line end
  int exitStatus = 0;               // 0 when every verdict is "○", else 1
  std::vector<std::string> files;   // the judged files, in listing order
  std::vector<std::string> failed;  // those among them whose verdict is not "○"
  // "PATH: reason" for each named path that cannot be read or listed, or
  // that is a folder holding no file to check.
  std::vector<std::string> unreadable;
};

// A folder becomes its candidate files (folder + "/" + name) in listing
// order; anything else stands for itself. A path that cannot be read or
// listed, and a folder without a candidate file, adds "PATH: reason" to
// `unreadable` when given.
std::vector<std::string> ExpandCheckPaths(const std::vector<std::string>& paths,
                                          std::vector<std::string>* unreadable = nullptr);

// "mark remark name"; the remark and its blank are left out when empty.
std::string FormatCheckLine(CheckVerdict verdict, std::string_view name);

CheckReport MakeCheckReport(const std::vector<std::string>& paths,
                            const CheckReportOptions& options);

}  // namespace kv
