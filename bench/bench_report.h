#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kv::bench {

// The table of, per piece size, each job's median time beside its peer's
// and the kernel copy's (the check beside a read-only pass), with the ratios.
std::string JobTable(const std::map<std::string, std::vector<double>>& times,
                     const std::vector<std::string>& pieceSizes);

// Each pair of (ours, par2's) step names with their median times and how
// many times faster ours is.
std::string RecoveryTable(const std::map<std::string, std::vector<double>>& times,
                          const std::vector<std::pair<std::string, std::string>>& rows);

// Each pair of (divide with recovery, the same divide without) step names
// with their median times and how many times as long the first takes.
std::string DivideRecoveryTable(const std::map<std::string, std::vector<double>>& times,
                                const std::vector<std::pair<std::string, std::string>>& rows);

}  // namespace kv::bench
