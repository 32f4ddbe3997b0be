#include "bench/bench_report.h"

#include <algorithm>
#include <cstdio>

namespace kv::bench {
namespace {

double Median(std::vector<double> values) {
  if (values.empty()) {
    return 0;
  }
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Row {
  std::string job;
  std::string peer;
  std::string limit;  // "" for none
};

std::vector<Row> RowsFor(const std::string& s) {
  return {
      {"Type0 divide " + s, "split -b " + s, "copy_file_range"},
      {"Type3 divide " + s, "split -b " + s, "copy_file_range"},
      {"Type0 restore " + s, "cat Type0 " + s, "copy_file_range"},
      {"Type3 restore " + s, "cat Type3 " + s, "copy_file_range"},
      // The peer is a whole command like the others; the limit a read pass
      // in this process, without a program's start.
      {"Type3 check " + s, "cat >null Type3 " + s, "read Type3 " + s},
  };
}

// printf into a std::string.
template <typename... Args>
void Append(std::string& text, const char* format, Args... args) {
  char line[160];
  std::snprintf(line, sizeof line, format, args...);
  text += line;
}

double MedianOf(const std::map<std::string, std::vector<double>>& times, const std::string& name) {
  const auto found = times.find(name);
  return found == times.end() ? 0.0 : Median(found->second);
}

double Ratio(double a, double b) {
  return b > 0 ? a / b : 0.0;
}

}  // namespace

std::string JobTable(const std::map<std::string, std::vector<double>>& times,
                     const std::vector<std::string>& pieceSizes) {
  auto median = [&times](const std::string& name) { return MedianOf(times, name); };
  std::string text;
  Append(text, "%-20s %9s   %-18s %9s %6s   %-16s %9s %6s\n", "kolvanto-cli job", "time", "peer",
         "time", "ratio", "limit", "time", "ratio");
  for (const auto& size : pieceSizes) {
    for (const Row& row : RowsFor(size)) {
      const double job = median(row.job);
      const double peer = median(row.peer);
      Append(text, "%-20s %7.3f s   %-18s %7.3f s %6.2f", row.job.c_str(), job, row.peer.c_str(),
             peer, Ratio(job, peer));
      if (!row.limit.empty()) {
        const double limit = median(row.limit);
        Append(text, "   %-16s %7.3f s %6.2f", row.limit.c_str(), limit, Ratio(job, limit));
      }
      text += "\n";
    }
  }
  Append(text, "%-20s %7.3f s\n", "read source", median("read source"));
  return text;
}

namespace {

// Each pair's median times and their ratio: the peer's over ours ("faster")
// or ours over the peer's.
std::string PairTable(const std::map<std::string, std::vector<double>>& times,
                      const std::vector<std::pair<std::string, std::string>>& rows,
                      const char* peer, const char* ratio, bool peerOverOurs) {
  std::string text;
  Append(text, "%-32s %9s   %-28s %9s %8s\n", "kolvanto-cli", "time", peer, "time", ratio);
  for (const auto& [ours, theirs] : rows) {
    const double a = MedianOf(times, ours);
    const double b = MedianOf(times, theirs);
    Append(text, "%-32s %7.3f s   %-28s %7.3f s %7.2fx\n", ours.c_str(), a, theirs.c_str(), b,
           peerOverOurs ? Ratio(b, a) : Ratio(a, b));
  }
  return text;
}

}  // namespace

std::string RecoveryTable(const std::map<std::string, std::vector<double>>& times,
                          const std::vector<std::pair<std::string, std::string>>& rows) {
  return PairTable(times, rows, "par2", "faster", true);
}

std::string DivideRecoveryTable(const std::map<std::string, std::vector<double>>& times,
                                const std::vector<std::pair<std::string, std::string>>& rows) {
  return PairTable(times, rows, "without recovery", "longer", false);
}

}  // namespace kv::bench
