#include "tools/check_report.h"

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "core/job_state.h"
#include "platform/file_helpers.h"
#include "tools/validity_check.h"
#include "tools/validity_listing.h"
#include "tools/validity_sort.h"

namespace kv {

namespace {

constexpr const char* kNoPieceFilesText = "チェックできる分割ファイルがありません";

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

// Why a named path cannot be checked; empty when it can be read (or listed).
std::string UnreadableReason(const std::string& path, bool folder) {
  if (folder) {
    std::error_code ec;
    const std::filesystem::directory_iterator listing(path, ec);
    return ec ? ec.message() : std::string();
  }
  const Status readable = IsReadable(path);
  return readable ? std::string() : readable.Error().error.message();
}

}  // namespace

std::vector<std::string> ExpandCheckPaths(const std::vector<std::string>& paths,
                                          std::vector<std::string>* unreadable) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    std::error_code ec;
    const bool folder = !path.empty() && std::filesystem::is_directory(path, ec);
    std::string reason = unreadable != nullptr ? UnreadableReason(path, folder) : std::string();
    if (folder) {
      const std::string base = path.back() == '/' ? path : path + "/";
      const std::vector<std::string> names = ListCandidateFiles(path);
      // A medium that did not mount leaves an empty folder: nothing checked is no pass.
      if (names.empty() && reason.empty()) {
        reason = kNoPieceFilesText;
      }
      for (const std::string& name : names) {
        files.push_back(base + name);
      }
    } else {
      files.push_back(path);
    }
    if (unreadable != nullptr && !reason.empty()) {
      unreadable->push_back(path + ": " + reason);
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
  CheckReport report;
  report.files = ExpandCheckPaths(paths, &report.unreadable);
  BodySummer summer;
  for (std::string file : report.files) {
    const CheckVerdict verdict = CheckPieceFile(file, runState, summer);
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
  report.exitStatus = report.unreadable.empty() ? 0 : 1;
  for (const Judged& j : judged) {
    report.lines.push_back(FormatCheckLine(j.verdict, j.name));
    if (VerdictMark(j.verdict) != "○") {
      report.exitStatus = 1;
      report.failed.push_back(j.name);
    }
  }
  return report;
}

}  // namespace kv
