#include "cli/check_command.h"

#include <cstdio>

#include "cli/recovery_status.h"
#include "cli/terminal_escape.h"
#include "tools/check_report.h"
#include "tools/series_walk.h"
#include "tools/validity_sort.h"

namespace kv {

int RunCheckCommand(const CheckCommandOptions& options) {
  CheckReportOptions reportOptions;
  reportOptions.reverse = options.reverse;
  if (options.sort == "name") {
    reportOptions.sortColumn = kNameColumn;
  } else if (options.sort == "verdict") {
    reportOptions.sortColumn = kVerdictColumn;
  } else if (options.sort == "remark") {
    reportOptions.sortColumn = kRemarkColumn;
  }
  const CheckReport report = MakeCheckReport(options.paths, reportOptions);
  for (const std::string& line : report.lines) {
    std::printf("%s\n", EscapeForTerminal(line).c_str());
  }
  int status = report.exitStatus;
  for (const SeriesSummary& series : SummariseSeries(report.files, report.failed)) {
    const std::string line = FormatSeriesLine(series) + RecoveryRemark(series.firstPiece);
    std::printf("%s\n", EscapeForTerminal(line).c_str());
    status = series.complete ? status : 1;
  }
  std::fflush(stdout);
  for (const std::string& error : report.unreadable) {
    std::fprintf(stderr, "%s\n", EscapeForTerminal(error).c_str());
  }
  return status;
}

}  // namespace kv
