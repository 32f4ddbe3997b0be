#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <utility>
#include <variant>

#include "core/program_version.h"
#include "core/text_fill.h"
#include "settings/settings_file_import.h"
#include "settings/settings_ranges.h"
#include "settings/settings_table.h"
#include "settings/settings_texts.h"

namespace kv {
namespace {

namespace st = settings_table;

constexpr const char* kOrganization = "Orvik Software";
constexpr const char* kApplication = "Kolvanto";
// Reading a window edge with this default tells a stored edge from a missing one.
constexpr int kNoWindowEdge = 0x0FFFFFFF;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// A number as stored; missing or not a number reads as `fallback`.
int ReadNumber(const QSettings& s, const QString& key, int fallback) {
  const QVariant value = s.value(key);
  if (!value.isValid()) {
    return fallback;
  }
  bool ok = false;
  const int number = value.toInt(&ok);
  return ok ? number : fallback;
}

bool ReadFlag(const QSettings& s, const QString& key, bool fallback) {
  return ReadNumber(s, key, fallback ? 1 : 0) != 0;
}

// A text as stored. An unquoted text with commas comes back from an INI file
// as a list: its parts are joined again.
std::string ReadText(const QSettings& s, const QString& key, const std::string& fallback) {
  const QVariant value = s.value(key);
  if (!value.isValid()) {
    return fallback;
  }
  if (value.typeId() == QMetaType::QStringList) {
    return value.toStringList().join(QLatin1Char(',')).toStdString();
  }
  return value.toString().toStdString();
}

QString Key(const char* key) {
  return QLatin1String(key);
}

// One overload per kind of field: numbers, flags, character codes and texts.
void LoadField(const QSettings& s, const QString& key, int& field, int fallback) {
  field = ReadNumber(s, key, fallback);
}
void LoadField(const QSettings& s, const QString& key, bool& field, bool fallback) {
  field = ReadFlag(s, key, fallback);
}
void LoadField(const QSettings& s, const QString& key, char& field, char fallback) {
  field = static_cast<char>(ReadNumber(s, key, fallback));
}
void LoadField(const QSettings& s, const QString& key, std::string& field,
               const std::string& fallback) {
  field = ReadText(s, key, fallback);
}

QVariant StoredForm(int field) {
  return field;
}
QVariant StoredForm(bool field) {
  return int{field};
}
QVariant StoredForm(char field) {
  return int{static_cast<unsigned char>(field)};
}
QVariant StoredForm(const std::string& field) {
  return Q(field);
}

void LoadPlainSettings(const QSettings& s, DivideSettings& settings) {
  const DivideSettings defaults = DivideSettings::StoredDefaults();
  for (const st::SettingDescriptor& setting : st::PlainSettings()) {
    std::visit(
        [&](auto member) {
          switch (setting.onLoad) {
            case st::OnLoad::kRead:
              LoadField(s, Key(setting.key), settings.*member, defaults.*member);
              break;
            case st::OnLoad::kSetDefault:
              settings.*member = defaults.*member;
              break;
            case st::OnLoad::kSkip:
              break;
          }
        },
        setting.field);
  }
}

void SavePlainSettings(QSettings& s, const DivideSettings& settings) {
  for (const st::SettingDescriptor& setting : st::PlainSettings()) {
    std::visit([&](auto member) { s.setValue(Key(setting.key), StoredForm(settings.*member)); },
               setting.field);
  }
}

// A list ends at its first empty or missing value; the entries after it are cleared.
void LoadDefaultPaths(const QSettings& s, DefaultPathLists& paths) {
  for (const st::DefaultPathKeys& run : st::DefaultPathRuns()) {
    DefaultPathList& list = paths.*run.list;
    bool ended = false;
    for (std::size_t i = 0; i < run.keys.count; ++i) {
      if (!ended) {
        list[i] = ReadText(s, run.keys.Key(i), "");
        ended = list[i].empty();
      } else {
        list[i].clear();
      }
    }
  }
}

// The entries up to the first empty one are written; every later key is deleted.
void SaveDefaultPaths(QSettings& s, const DefaultPathLists& paths) {
  for (const st::DefaultPathKeys& run : st::DefaultPathRuns()) {
    const DefaultPathList& list = paths.*run.list;
    bool ended = false;
    for (std::size_t i = 0; i < run.keys.count; ++i) {
      ended = ended || list[i].empty();
      if (ended) {
        s.remove(run.keys.Key(i));
      } else {
        s.setValue(run.keys.Key(i), Q(list[i]));
      }
    }
  }
}

void LoadPresets(const QSettings& s, std::vector<SizePreset>& presets) {
  presets.clear();
  const st::NumberedKeys& keys = st::PresetKeys();
  for (std::size_t i = 0; i < keys.count; ++i) {
    const std::string stored = ReadText(s, keys.Key(i), "");
    if (stored.empty()) {
      break;
    }
    presets.push_back(SplitPreset(stored));
  }
}

void SavePresets(QSettings& s, const std::vector<SizePreset>& presets) {
  const st::NumberedKeys& keys = st::PresetKeys();
  for (std::size_t i = 0; i < keys.count; ++i) {
    if (i < presets.size()) {
      s.setValue(keys.Key(i), Q(JoinPreset(presets[i])));
    } else {
      s.remove(keys.Key(i));
    }
  }
}

std::optional<int> ReadWindowEdge(const QSettings& s, const char* key) {
  const int edge = ReadNumber(s, Key(key), kNoWindowEdge);
  return edge != kNoWindowEdge ? std::optional<int>(edge) : std::nullopt;
}

}  // namespace

SettingsStore::SettingsStore() = default;

SettingsStore::SettingsStore(QString iniFile) : iniFile_(std::move(iniFile)) {}

QString SettingsStore::FileName() const {
  if (!iniFile_.isEmpty()) {
    return iniFile_;
  }
#ifdef _WIN32
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(kOrganization),
                   QLatin1String(kApplication))
      .fileName();
#else
  // The user's own INI file, named without opening it. Only this file is
  // read: no organisation-wide or system file can stand in its way.
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return folder + QLatin1Char('/') + QLatin1String(kOrganization) + QLatin1Char('/') +
         QLatin1String(kApplication) + QStringLiteral(".ini");
#endif
}

bool SettingsStore::Usable() const {
  // Reading a pipe or a device would wait for a writer that never comes.
  const QFileInfo file(FileName());
  return !file.exists() || file.isFile();
}

std::unique_ptr<QSettings> SettingsStore::Open() const {
  if (!Usable()) {
    return nullptr;
  }
#ifdef _WIN32
  if (iniFile_.isEmpty()) {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QLatin1String(kOrganization), QLatin1String(kApplication));
  }
#endif
  return std::make_unique<QSettings>(FileName(), QSettings::IniFormat);
}

void SettingsStore::LoadSettings(DivideSettings& settings, Prompter& prompter,
                                 std::span<const std::filesystem::path> settingsFileFolders) const {
  const auto s = Open();
  if (s == nullptr) {
    // Neither read nor imported: a settings file imported now could not be kept.
    settings = DivideSettings::StoredDefaults();
    Message m = MakeMessage(FormatText(kUnusableStoreText, FileName().toStdString().c_str()),
                            Buttons::kOk, Icon::kWarning);
    m.subject = FileName().toStdString();
    prompter.Ask(m);
    return;
  }
  const int major = ReadNumber(*s, Key(st::kMajorVersionKey), 0);
  bool imported = false;
  if (major == 0) {
    if (const auto file = FindSettingsFile(settingsFileFolders)) {
      imported = ImportSettingsFile(*file, settings);
    }
  }
  if (!imported) {
    const int minor = ReadNumber(*s, Key(st::kMinorVersionKey), 0);
    if (major > kProgramVersionMajor ||
        (major == kProgramVersionMajor && minor > kProgramVersionMinor)) {
      prompter.Ask(MakeMessage(kNewerSettingsText, Buttons::kOk, Icon::kWarning));
    }
    LoadPlainSettings(*s, settings);
    LoadDefaultPaths(*s, settings.DefaultPaths);
    LoadPresets(*s, settings.DivideSizePresets);
  }
  if (settings.DivideSizePresets.empty()) {
    settings.DivideSizePresets = BuiltInPresets();
  }
  ReportFallBacks(FallBackUnusableValues(settings, imported ? nullptr : s.get()), prompter);
}

bool SettingsStore::LoadSelfRestoreState() const {
  const bool fallback = DivideSettings::StoredDefaults().SelfRestore;
  const auto s = Open();
  return s != nullptr ? ReadFlag(*s, Key(st::kSelfRestoreKey), fallback) : fallback;
}

WindowPosition SettingsStore::LoadWindowPosition() const {
  const auto s = Open();
  if (s == nullptr) {
    return {};
  }
  return WindowPosition{ReadWindowEdge(*s, st::kWindowLeftKey),
                        ReadWindowEdge(*s, st::kWindowTopKey)};
}

RecentFileList SettingsStore::LoadRecentFiles() const {
  const auto s = Open();
  const st::NumberedKeys& keys = st::RecentFileKeys();
  RecentFileList files;
  for (std::size_t i = 0; i < keys.count && s != nullptr; ++i) {
    files[i] = ReadText(*s, keys.Key(i), "");
  }
  return files;
}

std::optional<std::int64_t> SettingsStore::SaveSettings(const DivideSettings& settings,
                                                        const WindowPosition& window,
                                                        const RecentFileList& recentFiles) const {
  const auto s = Open();
  if (s == nullptr) {
    return std::nullopt;  // nothing is written over what stands in the store's place
  }
  s->setValue(Key(st::kMajorVersionKey), kProgramVersionMajor);
  s->setValue(Key(st::kMinorVersionKey), kProgramVersionMinor);

  // A size text is stored as the number read from it; fit-to-free-space as it is.
  std::optional<std::int64_t> divideSize;
  DivideSettings stored = settings;
  if (!IsFitToFreeSpace(settings.DivideSize)) {
    divideSize = ReadSizeNumber(settings.DivideSize);
    stored.DivideSize = std::to_string(*divideSize);
  }
  SavePlainSettings(*s, stored);
  SaveDefaultPaths(*s, settings.DefaultPaths);
  SavePresets(*s, settings.DivideSizePresets);

  if (window.left) {
    s->setValue(Key(st::kWindowLeftKey), *window.left);
  }
  if (window.top) {
    s->setValue(Key(st::kWindowTopKey), *window.top);
  }

  // The list is written anew: the used entries under their own numbers.
  s->remove(Key(st::kRecentFilesGroup));
  const st::NumberedKeys& keys = st::RecentFileKeys();
  for (std::size_t i = 0; i < keys.count; ++i) {
    if (!recentFiles[i].empty()) {
      s->setValue(keys.Key(i), Q(recentFiles[i]));
    }
  }
  s->sync();
  return divideSize;
}

bool SettingsStore::SaveOnExit(const DivideSettings& settings, const WindowPosition& window,
                               const RecentFileList& recentFiles,
                               std::optional<std::int64_t>* writtenDivideSize) const {
  if (noCarryOver_ || skipSaveOnExit_ || !Usable()) {
    return false;
  }
  const auto divideSize = SaveSettings(settings, window, recentFiles);
  if (writtenDivideSize != nullptr) {
    *writtenDivideSize = divideSize;
  }
  return true;
}

void SettingsStore::DeleteStore() const {
  QString file;
  bool native = false;
  {
    const auto s = Open();
    if (s == nullptr) {
      return;
    }
    s->clear();
    s->sync();
    file = s->fileName();
    native = s->format() == QSettings::NativeFormat;
  }
  // Failures are not reported: whatever could not be removed stays.
  if (native) {
#ifdef _WIN32
    QSettings vendor(QStringLiteral("HKEY_CURRENT_USER\\Software\\") + QLatin1String(kOrganization),
                     QSettings::NativeFormat);
    vendor.remove(QLatin1String(kApplication));
    const bool vendorEmpty = vendor.childGroups().isEmpty() && vendor.childKeys().isEmpty();
    vendor.sync();
    if (vendorEmpty) {
      QSettings software(QStringLiteral("HKEY_CURRENT_USER\\Software"), QSettings::NativeFormat);
      software.remove(QLatin1String(kOrganization));
    }
#endif
    return;
  }
  QFile::remove(file);
  // The vendor folder goes when nothing else is left in it (rmdir refuses otherwise).
  QDir().rmdir(QFileInfo(file).absolutePath());
}

bool SettingsStore::DeleteSettingsAndExit(Prompter& prompter) {
  if (prompter.Ask(MakeMessage(kDeleteSettingsQuestion, Buttons::kYesNo, Icon::kQuestion)) !=
      Answer::kYes) {
    return false;
  }
  DeleteStore();
  if (prompter.Ask(MakeMessage(kSettingsDeletedQuestion, Buttons::kYesNo, Icon::kQuestion)) !=
      Answer::kYes) {
    return false;
  }
  skipSaveOnExit_ = true;
  prompter.Ask(MakeMessage(kThanksText, Buttons::kOk, Icon::kInformation));
  return true;
}

}  // namespace kv
