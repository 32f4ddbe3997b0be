#include "tools/check_report.h"

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "core/job_state.h"
#include "tools/validity_check.h"
#include "tools/validity_listing.h"
#include "tools/validity_sort.h"

namespace kv {

namespace {

struct Judged {
  std::string name;
  CheckVerdict verdict = CheckVerdict::kOk;
  std::string_view Text(int column) const {
    switch (column) {
      case kVerdictColumn:
        return VerdictMark(verdict);
      case kRemarkColumn:
        return VerdictRemark(verdict);
      default:
        return name;
    }
  }
};

}  // namespace

std::vector<std::string> ExpandCheckPaths(const std::vector<std::string>& paths) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    std::error_code ec;
    if (!path.empty() && std::filesystem::is_directory(path, ec)) {
      const std::string base = path.back() == '/' ? path : path + "/";
      for (const std::string& name : ListCandidateFiles(path)) {
        files.push_back(base + name);
      }
    } else {
      files.push_back(path);
    }
  }
  return files;
}

std::string FormatCheckLine(CheckVerdict verdict, std::string_view name) {
  std::string line(VerdictMark(verdict));
  const std::string_view remark = VerdictRemark(verdict);
  if (!remark.empty()) {
    line += ' ';
    line += remark;
  }
  line += ' ';
  line += name;
  return line;
}

CheckReport MakeCheckReport(const std::vector<std::string>& paths,
                            const CheckReportOptions& options) {
  const std::atomic<int> runState{kRunRunning};  // nothing cancels a shell check
  std::vector<Judged> judged;
  for (std::string& file : ExpandCheckPaths(paths)) {
    const CheckVerdict verdict = CheckPieceFile(file, runState);
    judged.push_back(Judged{.name = std::move(file), .verdict = verdict});
  }
  if (options.sortColumn >= kNameColumn && options.sortColumn <= kRemarkColumn) {
    const int key = options.sortColumn + (options.reverse ? kDescendingKey : 0);
    std::stable_sort(judged.begin(), judged.end(), [&](const Judged& a, const Judged& b) {
      return CompareForKey(key, a.Text(options.sortColumn), b.Text(options.sortColumn)) < 0;
    });
  } else if (options.reverse) {
    std::reverse(judged.begin(), judged.end());
  }
  CheckReport report;
  for (const Judged& j : judged) {
    report.lines.push_back(FormatCheckLine(j.verdict, j.name));
    if (j.verdict != CheckVerdict::kOk) {
      report.exitStatus = 1;
    }
  }
  return report;
}

}  // namespace kv
