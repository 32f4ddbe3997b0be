#pragma once
// Keeps the settings record, the window position and the recent-files list
// between runs in the user's settings store (QSettings "Orvik Software",
// "Kolvanto": an INI file in the user's configuration folder, the registry on
// Windows), with the run's switches that keep the store from being written.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include <QString>

#include "core/divide_settings.h"
#include "core/prompter.h"

class QSettings;

namespace kv {

// The main window's stored top-left corner; a value not stored is absent.
struct WindowPosition {
  std::optional<int> left;
  std::optional<int> top;
  bool operator==(const WindowPosition&) const = default;
};

// The recent-files list, entry 0 the most recent; empty entries are unused.
inline constexpr std::size_t kRecentFileCount = 8;
using RecentFileList = std::array<std::string, kRecentFileCount>;

class SettingsStore {
 public:
  // The current user's own store.
  SettingsStore();
  // A store kept in the INI file at `iniFile`; the folder holding it plays the vendor folder.
  explicit SettingsStore(QString iniFile);

  // Fills the record once at startup. With nothing stored yet, a settings file
  // found in the first of `settingsFileFolders` that has one is imported and
  // deleted; otherwise the stored values are read (warning first through
  // `prompter` when they come from a newer version). Presets fall back to the built-in ones.
  // A divide type, divide size or head cut no job could use falls back to its
  // default, with a warning. A store file that is no regular file is not
  // opened: the stored defaults are used, with a warning.
  void LoadSettings(DivideSettings& settings, Prompter& prompter,
                    std::span<const std::filesystem::path> settingsFileFolders) const;

  // The stored state of the self-restore check box; the window asks for it
  // only when the stub data file has loaded.
  bool LoadSelfRestoreState() const;

  WindowPosition LoadWindowPosition() const;
  RecentFileList LoadRecentFiles() const;

  // Writes everything (nothing when the store is not usable). Returns the divide size written when
  // `DivideSize` is a number, for the job record to take over; nothing for fit-to-free-space.
  std::optional<std::int64_t> SaveSettings(const DivideSettings& settings,
                                           const WindowPosition& window,
                                           const RecentFileList& recentFiles) const;

  // "今回の設定を次回起動時に引き継がない": returns the new state (the menu's check mark).
  bool ToggleNoCarryOver() { return noCarryOver_ = !noCarryOver_; }
  bool NoCarryOver() const { return noCarryOver_; }
  bool SkipSaveOnExit() const { return skipSaveOnExit_; }

  // At exit: saves unless saving was switched off for this run or the store
  // is not usable. True when it saved.
  bool SaveOnExit(const DivideSettings& settings, const WindowPosition& window,
                  const RecentFileList& recentFiles,
                  std::optional<std::int64_t>* writtenDivideSize = nullptr) const;

  // "レジストリを削除して終了": asks, deletes the store, asks again. True when
  // the main window is to close (saving at exit is then switched off).
  bool DeleteSettingsAndExit(Prompter& prompter);

  // The file holding the store (empty when the store is the Windows registry).
  QString FileName() const;

 private:
  // False when something other than a regular file stands at the store's name.
  bool Usable() const;
  // Nothing when the store is not usable.
  std::unique_ptr<QSettings> Open() const;
  void DeleteStore() const;

  QString iniFile_;  // empty: the user's own store
  bool noCarryOver_ = false;
  bool skipSaveOnExit_ = false;
};

}  // namespace kv
