#include "app/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <utility>

#include "app/settings_file_import.h"
#include "app/settings_texts.h"
#include "core/program_version.h"

namespace kv {
namespace {

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

QString PresetKey(std::size_t n) {
  return QStringLiteral("Settings/DivideSize%1").arg(static_cast<int>(n), 2, 10, QLatin1Char('0'));
}

QString DefaultPathKey(const char* listName, std::size_t n) {
  return QStringLiteral("DefaultPath/%1-%2").arg(QLatin1String(listName)).arg(n);
}

QString RecentKey(std::size_t n) {
  return QStringLiteral("Recent File List/File%1").arg(n);
}

struct NamedList {
  const char* name;
  DefaultPathList DefaultPathLists::*list;
};
constexpr NamedList kDefaultPathLists[] = {{"Divide", &DefaultPathLists::Divide},
                                           {"Restore", &DefaultPathLists::Restore}};

void LoadDefaultPaths(const QSettings& s, DefaultPathLists& paths) {
  for (const NamedList& named : kDefaultPathLists) {
    DefaultPathList& list = paths.*named.list;
    bool ended = false;
    for (std::size_t n = 1; n <= kDefaultPathEntries; ++n) {
      if (!ended) {
        list[n - 1] = ReadText(s, DefaultPathKey(named.name, n), "");
        ended = list[n - 1].empty();
      } else {
        list[n - 1].clear();
      }
    }
  }
}

void LoadPresets(const QSettings& s, std::vector<SizePreset>& presets) {
  presets.clear();
  for (std::size_t n = 0; n < kMaxStoredPresets; ++n) {
    const std::string stored = ReadText(s, PresetKey(n), "");
    if (stored.empty()) {
      break;
    }
    presets.push_back(SplitPreset(stored));
  }
}

}  // namespace

SettingsStore::SettingsStore() = default;

SettingsStore::SettingsStore(QString iniFile) : iniFile_(std::move(iniFile)) {}

std::unique_ptr<QSettings> SettingsStore::Open() const {
  if (!iniFile_.isEmpty()) {
    return std::make_unique<QSettings>(iniFile_, QSettings::IniFormat);
  }
#ifdef _WIN32
  constexpr auto kFormat = QSettings::NativeFormat;
#else
  constexpr auto kFormat = QSettings::IniFormat;
#endif
  return std::make_unique<QSettings>(kFormat, QSettings::UserScope, QLatin1String(kOrganization),
                                     QLatin1String(kApplication));
}

QString SettingsStore::FileName() const {
  return Open()->fileName();
}

void SettingsStore::LoadSettings(DivideSettings& settings, Prompter& prompter,
                                 std::span<const std::filesystem::path> settingsFileFolders) const {
  const auto s = Open();
  const int major = ReadNumber(*s, QStringLiteral("MajorVersion"), 0);
  bool imported = false;
  if (major == 0) {
    if (const auto file = FindSettingsFile(settingsFileFolders)) {
      imported = ImportSettingsFile(*file, settings);
    }
  }
  if (!imported) {
    const int minor = ReadNumber(*s, QStringLiteral("MinorVersion"), 0);
    if (major > kProgramVersionMajor ||
        (major == kProgramVersionMajor && minor > kProgramVersionMinor)) {
      prompter.Ask(MakeMessage(kNewerSettingsText, Buttons::kOk, Icon::kWarning));
    }

    const DivideSettings d = DivideSettings::StoredDefaults();
    settings.DivideType = ReadNumber(*s, QStringLiteral("Settings/DivideType"), d.DivideType);
    settings.DivideSize = ReadText(*s, QStringLiteral("Settings/DivideSize"), d.DivideSize);
    settings.RemovableDrive =
        ReadText(*s, QStringLiteral("Settings/RemovableDrive"), d.RemovableDrive);
    settings.Type0Type = ReadNumber(*s, QStringLiteral("Type0/Type"), d.Type0Type);
    settings.EndMessage = ReadFlag(*s, QStringLiteral("Settings/EndMessage"), d.EndMessage);
    settings.DefaultDV = ReadFlag(*s, QStringLiteral("Settings/DefaultDV"), d.DefaultDV);
    settings.DefaultRS = ReadFlag(*s, QStringLiteral("Settings/DefaultRS"), d.DefaultRS);
    settings.DivideExt = ReadNumber(*s, QStringLiteral("Type0/DivideExt"), d.DivideExt);
    settings.TimingString = ReadNumber(*s, QStringLiteral("Type0/TimingString"), d.TimingString);
    settings.TimingSize = 1;  // fixed; the stored value is not read
    settings.DivideString = ReadText(*s, QStringLiteral("Type0/DivideString"), d.DivideString);
    settings.RsDefaultExt = ReadText(*s, QStringLiteral("Type0/RsDefaultExt"), d.RsDefaultExt);
    settings.DivideExtAddC = ReadFlag(*s, QStringLiteral("Type0/DivideExtAddC"), d.DivideExtAddC);
    settings.DivideExtChar =
        static_cast<char>(ReadNumber(*s, QStringLiteral("Type0/DivideExtChar"), d.DivideExtChar));
    settings.HeadCut = ReadFlag(*s, QStringLiteral("Settings/HeadCut"), d.HeadCut);
    settings.HeadCutFirst = ReadNumber(*s, QStringLiteral("Settings/HeadCutFirst"), d.HeadCutFirst);
    settings.HeadCutNext = ReadNumber(*s, QStringLiteral("Settings/HeadCutNext"), d.HeadCutNext);
    settings.RestoreNo = ReadNumber(*s, QStringLiteral("KvRestore/Type"), d.RestoreNo);
    settings.ShortFileName =
        ReadFlag(*s, QStringLiteral("KvRestore/ShortFileName"), d.ShortFileName);
    settings.FDAuto = ReadFlag(*s, QStringLiteral("Settings/FDAuto"), d.FDAuto);
    LoadDefaultPaths(*s, settings.DefaultPaths);
    LoadPresets(*s, settings.DivideSizePresets);
  }
  if (settings.DivideSizePresets.empty()) {
    settings.DivideSizePresets = BuiltInPresets();
  }
}

bool SettingsStore::LoadSelfRestoreState() const {
  return ReadFlag(*Open(), QStringLiteral("Settings/SelfRestore"), false);
}

WindowPosition SettingsStore::LoadWindowPosition() const {
  const auto s = Open();
  WindowPosition position;
  if (const int left = ReadNumber(*s, QStringLiteral("Window/Left"), kNoWindowEdge);
      left != kNoWindowEdge) {
    position.left = left;
  }
  if (const int top = ReadNumber(*s, QStringLiteral("Window/Top"), kNoWindowEdge);
      top != kNoWindowEdge) {
    position.top = top;
  }
  return position;
}

RecentFileList SettingsStore::LoadRecentFiles() const {
  const auto s = Open();
  RecentFileList files;
  for (std::size_t n = 1; n <= kRecentFileCount; ++n) {
    files[n - 1] = ReadText(*s, RecentKey(n), "");
  }
  return files;
}

std::optional<std::int32_t> SettingsStore::SaveSettings(const DivideSettings& settings,
                                                        const WindowPosition& window,
                                                        const RecentFileList& recentFiles) const {
  const auto s = Open();
  s->setValue(QStringLiteral("MajorVersion"), kProgramVersionMajor);
  s->setValue(QStringLiteral("MinorVersion"), kProgramVersionMinor);

  std::optional<std::int32_t> divideSize;
  std::string storedSize = settings.DivideSize;
  if (!IsFitToFreeSpace(settings.DivideSize)) {
    divideSize = ReadSizeNumber(settings.DivideSize);
    storedSize = std::to_string(*divideSize);
  }
  s->setValue(QStringLiteral("Settings/DivideType"), settings.DivideType);
  s->setValue(QStringLiteral("Settings/DivideSize"), Q(storedSize));
  s->setValue(QStringLiteral("Settings/FDAuto"), int{settings.FDAuto});
  s->setValue(QStringLiteral("Settings/RemovableDrive"), Q(settings.RemovableDrive));
  s->setValue(QStringLiteral("Settings/EndMessage"), int{settings.EndMessage});
  s->setValue(QStringLiteral("Settings/DefaultDV"), int{settings.DefaultDV});
  s->setValue(QStringLiteral("Settings/DefaultRS"), int{settings.DefaultRS});
  s->setValue(QStringLiteral("Settings/SelfRestore"), int{settings.SelfRestore});

  s->setValue(QStringLiteral("Type0/Type"), settings.Type0Type);
  s->setValue(QStringLiteral("Type0/DivideExt"), settings.DivideExt);
  s->setValue(QStringLiteral("Type0/DivideExtAddC"), int{settings.DivideExtAddC});
  s->setValue(QStringLiteral("Type0/DivideExtChar"),
              int{static_cast<unsigned char>(settings.DivideExtChar)});
  s->setValue(QStringLiteral("Type0/TimingString"), settings.TimingString);
  s->setValue(QStringLiteral("Type0/TimingSize"), settings.TimingSize);
  s->setValue(QStringLiteral("Type0/DivideString"), Q(settings.DivideString));
  s->setValue(QStringLiteral("Type0/RsDefaultExt"), Q(settings.RsDefaultExt));

  for (const NamedList& named : kDefaultPathLists) {
    const DefaultPathList& list = settings.DefaultPaths.*named.list;
    bool ended = false;
    for (std::size_t n = 1; n <= kDefaultPathEntries; ++n) {
      ended = ended || list[n - 1].empty();
      if (ended) {
        s->remove(DefaultPathKey(named.name, n));
      } else {
        s->setValue(DefaultPathKey(named.name, n), Q(list[n - 1]));
      }
    }
  }

  for (std::size_t n = 0; n < kMaxStoredPresets; ++n) {
    if (n < settings.DivideSizePresets.size()) {
      s->setValue(PresetKey(n), Q(JoinPreset(settings.DivideSizePresets[n])));
    } else {
      s->remove(PresetKey(n));
    }
  }

  s->setValue(QStringLiteral("KvRestore/Type"), settings.RestoreNo);
  s->setValue(QStringLiteral("KvRestore/ShortFileName"), int{settings.ShortFileName});
  s->setValue(QStringLiteral("Settings/HeadCut"), int{settings.HeadCut});
  s->setValue(QStringLiteral("Settings/HeadCutFirst"), settings.HeadCutFirst);
  s->setValue(QStringLiteral("Settings/HeadCutNext"), settings.HeadCutNext);

  if (window.left) {
    s->setValue(QStringLiteral("Window/Left"), *window.left);
  }
  if (window.top) {
    s->setValue(QStringLiteral("Window/Top"), *window.top);
  }

  // The list is written anew: the used entries under their own numbers.
  s->remove(QStringLiteral("Recent File List"));
  for (std::size_t n = 1; n <= kRecentFileCount; ++n) {
    if (!recentFiles[n - 1].empty()) {
      s->setValue(RecentKey(n), Q(recentFiles[n - 1]));
    }
  }
  s->sync();
  return divideSize;
}

bool SettingsStore::SaveOnExit(const DivideSettings& settings, const WindowPosition& window,
                               const RecentFileList& recentFiles,
                               std::optional<std::int32_t>* writtenDivideSize) const {
  if (noCarryOver_ || skipSaveOnExit_) {
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
