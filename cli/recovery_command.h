#pragma once
// "kolvanto-cli protect" and "kolvanto-cli repair": PAR2 recovery files beside
// a series already on disk, and the pieces rebuilt from them.

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>

namespace kv {

class RecoveryTap;

// "protect FIRST_PIECE --recovery N" and "repair PATH", declared on `app`.
class RecoveryCommands {
 public:
  explicit RecoveryCommands(CLI::App& app);
  // The exit status of the one that was parsed; nothing when neither was.
  std::optional<int> RunParsed() const;

 private:
  CLI::App* protect_;
  CLI::App* repair_;
  std::string path_;
  std::uint32_t recoverable_ = 0;
};

// Writes NAME.par2 and its volumes so that `recoverable` pieces can be
// rebuilt. 0 done, 1 a file could not be read or written, 2 refused.
int RunProtectCommand(const std::string& firstPiece, std::uint32_t recoverable);

// After a divide with --recovery: the recovery files `tap` wrote while
// dividing, or, when it did not compute them (null, or the pieces broke
// their prediction) and the pieces are on a fixed drive, those written by
// reading the pieces back. 0 done, 1 not written (on removable media the
// pieces are whole all the same), 2 refused.
int ReportDivideRecovery(const RecoveryTap* tap, const std::string& firstPiece,
                         std::uint32_t recoverable, bool piecesOnFixedDrive);

// Rebuilds the missing and damaged pieces of the series of a first piece or
// a ".par2" file. 0 repaired or nothing to do, 1 not repairable, 2 neither
// a first piece nor a recovery file.
int RunRepairCommand(const std::string& path);

}  // namespace kv
