#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QSettings>
#include <QString>
#include <QVariant>
#include <filesystem>
#include <string>
#include <vector>

#include "core/beside_executable.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/temp_dir.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

class SettingsStoreTest : public ::testing::Test {
 protected:
  SettingsStoreTest()
      : vendorDir_(temp_.Path() / "Orvik Software"),
        storeFile_(vendorDir_ / "Kolvanto.ini"),
        exeDir_(temp_.Path() / "bin"),
        store_(QString::fromStdString(storeFile_.string())) {
    fs::create_directories(exeDir_);
    fs::create_directories(temp_.Path() / "share" / "kolvanto");
    folders_ = BesideExecutableFolders(exeDir_);
  }

  DivideSettings Load(test::ScriptedPrompter& prompter) const {
    DivideSettings s;
    store_.LoadSettings(s, prompter, folders_);
    return s;
  }
  DivideSettings Load() const {
    test::ScriptedPrompter prompter;
    DivideSettings s = Load(prompter);
    EXPECT_TRUE(prompter.Messages().empty());
    return s;
  }

  // Writes stored values directly, as another run of the program would have.
  void Store(const std::vector<std::pair<const char*, QVariant>>& values) const {
    QSettings raw(QString::fromStdString(storeFile_.string()), QSettings::IniFormat);
    for (const auto& [key, value] : values) {
      raw.setValue(QString::fromUtf8(key), value);
    }
  }
  QVariant Raw(const char* key) const {
    QSettings raw(QString::fromStdString(storeFile_.string()), QSettings::IniFormat);
    return raw.value(QString::fromUtf8(key));
  }
  void WriteSettingsFile(const fs::path& folder, const std::string& text) const {
    test::WriteFileBytes((folder / "Kolvanto.ini").string(),
                         std::vector<std::uint8_t>(text.begin(), text.end()));
  }

  test::TempDir temp_;
  fs::path vendorDir_;
  fs::path storeFile_;
  fs::path exeDir_;
  std::vector<fs::path> folders_;
  SettingsStore store_;
};

TEST_F(SettingsStoreTest, NothingStoredStartsFromStoredDefaults) {
  const DivideSettings s = Load();
  EXPECT_EQ(s.DivideType, 3);
  EXPECT_EQ(s.DivideSize, "1457664");
  EXPECT_EQ(s.RemovableDrive, "");
  EXPECT_EQ(s.TimingSize, 1);
  EXPECT_EQ(s.DivideExt, 1);
  EXPECT_EQ(s.TimingString, 1);
  EXPECT_TRUE(s.FDAuto);
  EXPECT_FALSE(s.Recovery);
  EXPECT_EQ(s.RecoveryPieces, 1);
  ASSERT_EQ(s.DivideSizePresets.size(), 13u);
  EXPECT_EQ(s.DivideSizePresets.back().sizeText, "空き容量にあわせる");
  EXPECT_FALSE(store_.LoadSelfRestoreState());
  EXPECT_EQ(store_.LoadWindowPosition(), WindowPosition{});
  EXPECT_FALSE(fs::exists(storeFile_));  // loading writes nothing
}

TEST_F(SettingsStoreTest, OneLineSettingsFileIsImportedAndDeleted) {
  WriteSettingsFile(exeDir_, "[KolvantoSetup]\r\nDivideType=1\r\n");
  const DivideSettings s = Load();
  EXPECT_EQ(s.DivideType, 1);
  // Everything else keeps the values in force before loading.
  EXPECT_EQ(s.DivideExt, 1);
  EXPECT_EQ(s.DivideSize, "1457664Bytes (1.44MB)");
  EXPECT_EQ(s.RemovableDrive, "A");
  EXPECT_EQ(s.TimingSize, 0);
  ASSERT_EQ(s.DivideSizePresets.size(), 13u);
  EXPECT_EQ(s.DivideSizePresets[0].sizeText, "1,457,664Bytes (1.44MB)");
  EXPECT_FALSE(fs::exists(exeDir_ / "Kolvanto.ini"));
}

TEST_F(SettingsStoreTest, SettingsFileWithWrongHeaderIsDeletedUnread) {
  WriteSettingsFile(exeDir_, "KolvantoSetup\nDivideType=0\n");
  const DivideSettings s = Load();
  EXPECT_EQ(s.DivideType, 2);  // neither imported nor read from the store
  EXPECT_EQ(s.DivideSizePresets.size(), 13u);
  EXPECT_FALSE(fs::exists(exeDir_ / "Kolvanto.ini"));
}

TEST_F(SettingsStoreTest, SettingsFileFolders) {
  // The shared data folder is the second place looked in.
  const fs::path share = temp_.Path() / "share" / "kolvanto";
  WriteSettingsFile(share, "[KolvantoSetup]\nDivideType=0\n");
  EXPECT_EQ(Load().DivideType, 0);
  EXPECT_FALSE(fs::exists(share / "Kolvanto.ini"));

  // The executable's folder comes first; the other file stays.
  WriteSettingsFile(exeDir_, "[KolvantoSetup]\nDivideType=1\n");
  WriteSettingsFile(share, "[KolvantoSetup]\nDivideType=0\n");
  EXPECT_EQ(Load().DivideType, 1);
  EXPECT_TRUE(fs::exists(share / "Kolvanto.ini"));
}

TEST_F(SettingsStoreTest, StoredSettingsIgnoreTheSettingsFile) {
  Store({{"MajorVersion", 3}, {"MinorVersion", 12}, {"Settings/DivideType", 0}});
  WriteSettingsFile(exeDir_, "[KolvantoSetup]\nDivideType=1\n");
  EXPECT_EQ(Load().DivideType, 0);
  EXPECT_TRUE(fs::exists(exeDir_ / "Kolvanto.ini"));
}

TEST_F(SettingsStoreTest, OtherValuesOutOfRangeStayAsStored) {
  Store({{"MajorVersion", 3},
         {"KvRestore/Type", 9},
         {"Type0/Type", 7},
         {"Type0/DivideExt", -1},
         {"Type0/TimingSize", 0},
         {"Settings/FDAuto", "not a number"}});
  const DivideSettings s = Load();
  EXPECT_EQ(s.RestoreNo, 9);
  EXPECT_EQ(s.Type0Type, 7);
  EXPECT_EQ(s.DivideExt, -1);
  EXPECT_EQ(s.TimingSize, 1);  // never read
  EXPECT_TRUE(s.FDAuto);       // unreadable: its default
}

// A value no job could use falls back to its default, and one warning names
// each such value with the value now used.
TEST_F(SettingsStoreTest, UnusableValuesFallBackWithAWarning) {
  struct Case {
    const char* key;
    QVariant stored;
    const char* warning;  // empty: kept without a word
  };
  const Case cases[] = {
      {"Settings/DivideType", 7, "設定 DivideType の値が正しくないため、3 を使います。"},
      {"Settings/DivideType", -1, "設定 DivideType の値が正しくないため、3 を使います。"},
      {"Settings/DivideType", "99999999999",
       "設定 DivideType の値が正しくないため、3 を使います。"},
      {"Settings/DivideType", "abc", "設定 DivideType の値が正しくないため、3 を使います。"},
      {"Settings/DivideType", 0, ""},
      {"Settings/DivideSize", 500, "設定 DivideSize の値が正しくないため、1457664 を使います。"},
      {"Settings/DivideSize", "abc", "設定 DivideSize の値が正しくないため、1457664 を使います。"},
      {"Settings/DivideSize", -5, "設定 DivideSize の値が正しくないため、1457664 を使います。"},
      {"Settings/DivideSize", "99999999999999",
       "設定 DivideSize の値が正しくないため、1457664 を使います。"},
      {"Settings/DivideSize", "1099511627777",
       "設定 DivideSize の値が正しくないため、1457664 を使います。"},
      {"Settings/DivideSize", "1099511627776", ""},
      {"Settings/DivideSize", "4294967295", ""},
      {"Settings/DivideSize", 1024, ""},
      {"Settings/DivideSize", "空き容量にあわせる", ""},
      {"Settings/HeadCutFirst", -20, "設定 HeadCutFirst の値が正しくないため、0 を使います。"},
      {"Settings/HeadCutNext", "x", "設定 HeadCutNext の値が正しくないため、0 を使います。"},
      {"Settings/HeadCutNext", 0, ""},
  };
  for (const Case& c : cases) {
    fs::remove(storeFile_);
    Store({{"MajorVersion", 3}, {"Settings/DivideType", 3}, {c.key, c.stored}});
    test::ScriptedPrompter prompter;
    prompter.SetFallback(Answer::kOk);
    const DivideSettings s = Load(prompter);
    const std::vector<Message> shown = prompter.Messages();
    if (std::string(c.warning).empty()) {
      EXPECT_TRUE(shown.empty()) << c.key << " " << c.stored.toString().toStdString();
      continue;
    }
    ASSERT_EQ(shown.size(), 1u) << c.key << " " << c.stored.toString().toStdString();
    EXPECT_EQ(shown[0].text, c.warning);
    EXPECT_EQ(shown[0].icon, Icon::kWarning);
    EXPECT_EQ(s.DivideType, 3);
    EXPECT_EQ(s.DivideSize, "1457664");
    EXPECT_EQ(s.HeadCutFirst, 0);
    EXPECT_EQ(s.HeadCutNext, 0);
  }
}

TEST_F(SettingsStoreTest, SmallSizesAreUsableForType0AndEveryFallBackIsNamed) {
  Store({{"MajorVersion", 3}, {"Settings/DivideType", 0}, {"Settings/DivideSize", 500}});
  EXPECT_EQ(Load().DivideSize, "500");

  Store({{"Settings/DivideType", 12}, {"Settings/HeadCutFirst", -1}});
  test::ScriptedPrompter prompter;
  prompter.SetFallback(Answer::kOk);
  const DivideSettings s = Load(prompter);
  EXPECT_EQ(s.DivideType, 3);
  EXPECT_EQ(s.DivideSize, "1457664");  // too small once the type is a typed one
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0].text,
            "設定 DivideType の値が正しくないため、3 を使います。\n"
            "設定 DivideSize の値が正しくないため、1457664 を使います。\n"
            "設定 HeadCutFirst の値が正しくないため、0 を使います。");
}

struct VersionCase {
  int major;
  int minor;
  bool warns;
};

class NewerVersionTest : public SettingsStoreTest,
                         public ::testing::WithParamInterface<VersionCase> {};

TEST_P(NewerVersionTest, WarnsOnlyForANewerVersion) {
  Store({{"MajorVersion", GetParam().major},
         {"MinorVersion", GetParam().minor},
         {"Settings/DivideType", 1}});
  test::ScriptedPrompter prompter;
  prompter.SetFallback(Answer::kOk);
  const DivideSettings s = Load(prompter);
  EXPECT_EQ(s.DivideType, 1);  // loading goes on either way
  if (!GetParam().warns) {
    EXPECT_TRUE(prompter.Messages().empty());
    return;
  }
  ASSERT_EQ(prompter.Messages().size(), 1u);
  const Message m = prompter.Messages()[0];
  EXPECT_EQ(m.text,
            "　現在の記録されている設定は、より新しいバージョンの設定です。\nそのため、正しく引き継"
            "がれないかもしれません。");
  EXPECT_EQ(m.caption, "Kolvanto");
  EXPECT_EQ(m.icon, Icon::kWarning);
  EXPECT_EQ(m.buttons, Buttons::kOk);
}

INSTANTIATE_TEST_SUITE_P(Versions, NewerVersionTest,
                         ::testing::Values(VersionCase{3, 12, false}, VersionCase{3, 13, true},
                                           VersionCase{4, 0, true}, VersionCase{2, 99, false}));

DivideSettings EveryFieldChanged() {
  DivideSettings s;
  s.DivideType = 0;
  s.DivideSize = "2,000,000Bytes (2MB)";
  s.FDAuto = false;
  s.RemovableDrive = "/media/usb;/run/media/ann/SD";
  s.EndMessage = true;
  s.DefaultDV = true;
  s.DefaultRS = true;
  s.SelfRestore = true;
  s.Type0Type = 2;
  s.DivideExt = 0;
  s.DivideExtAddC = true;
  s.DivideExtChar = 'Q';
  s.TimingString = 0;
  s.TimingSize = 0;
  s.DivideString = "@page, \"end\"; 改ページ";
  s.RsDefaultExt = "txt";
  s.HeadCut = true;
  s.HeadCutFirst = 512;
  s.HeadCutNext = 128;
  s.RestoreNo = 5;
  s.ShortFileName = true;
  s.Recovery = true;
  s.RecoveryPieces = 3;
  s.DivideSizePresets = {{"100,000Bytes", "小さい"}, {"空き容量にあわせる", ""}};
  s.DefaultPaths.Divide[0] = "/home/ann/in/";
  s.DefaultPaths.Divide[1] = "/home/ann/a, b.dat";
  s.DefaultPaths.Restore[0] = "/home/ann/out/";
  return s;
}

TEST_F(SettingsStoreTest, RoundTripOfEveryField) {
  const DivideSettings saved = EveryFieldChanged();
  const RecentFileList recent{"/a/one.d01", "", "/a/three, with comma.000"};
  const auto written = store_.SaveSettings(saved, WindowPosition{-40, 75}, recent);
  EXPECT_EQ(written, 2000000);

  const DivideSettings s = Load();
  EXPECT_EQ(s.DivideType, 0);
  EXPECT_EQ(s.DivideSize, "2000000");  // stored as the number read from the text
  EXPECT_FALSE(s.FDAuto);
  EXPECT_EQ(s.RemovableDrive, "/media/usb;/run/media/ann/SD");
  EXPECT_TRUE(s.EndMessage);
  EXPECT_TRUE(s.DefaultDV);
  EXPECT_TRUE(s.DefaultRS);
  EXPECT_FALSE(s.SelfRestore);  // not part of loading; read on its own
  EXPECT_TRUE(store_.LoadSelfRestoreState());
  EXPECT_EQ(s.Type0Type, 2);
  EXPECT_EQ(s.DivideExt, 0);
  EXPECT_TRUE(s.DivideExtAddC);
  EXPECT_EQ(s.DivideExtChar, 'Q');
  EXPECT_EQ(s.TimingString, 0);
  EXPECT_EQ(s.TimingSize, 1);
  EXPECT_EQ(s.DivideString, "@page, \"end\"; 改ページ");
  EXPECT_EQ(s.RsDefaultExt, "txt");
  EXPECT_TRUE(s.HeadCut);
  EXPECT_EQ(s.HeadCutFirst, 512);
  EXPECT_EQ(s.HeadCutNext, 128);
  EXPECT_EQ(s.RestoreNo, 5);
  EXPECT_TRUE(s.ShortFileName);
  EXPECT_TRUE(s.Recovery);
  EXPECT_EQ(s.RecoveryPieces, 3);
  EXPECT_EQ(s.DivideSizePresets, saved.DivideSizePresets);
  EXPECT_EQ(s.DefaultPaths.Divide[1], "/home/ann/a, b.dat");
  EXPECT_EQ(s.DefaultPaths.Divide[2], "");
  EXPECT_EQ(s.DefaultPaths.Restore[0], "/home/ann/out/");
  EXPECT_EQ(store_.LoadWindowPosition(), (WindowPosition{-40, 75}));
  EXPECT_EQ(store_.LoadRecentFiles(), recent);

  // The stored names and forms.
  EXPECT_EQ(Raw("MajorVersion").toInt(), 3);
  EXPECT_EQ(Raw("MinorVersion").toInt(), 12);
  EXPECT_EQ(Raw("Settings/DivideSize").toString(), QStringLiteral("2000000"));
  EXPECT_EQ(Raw("Settings/DivideSize00").toString(), QStringLiteral("100,000Bytes|小さい"));
  EXPECT_EQ(Raw("Settings/DivideSize01").toString(), QStringLiteral("空き容量にあわせる|"));
  EXPECT_EQ(Raw("Type0/DivideExtChar").toInt(), 81);
  EXPECT_EQ(Raw("Type0/TimingSize").toInt(), 0);
  EXPECT_EQ(Raw("Type0/Type").toInt(), 2);
  EXPECT_EQ(Raw("KvRestore/Type").toInt(), 5);
  EXPECT_EQ(Raw("KvRestore/ShortFileName").toInt(), 1);
  EXPECT_EQ(Raw("DefaultPath/Divide-1").toString(), QStringLiteral("/home/ann/in/"));
  EXPECT_EQ(Raw("DefaultPath/Restore-1").toString(), QStringLiteral("/home/ann/out/"));
  EXPECT_EQ(Raw("Window/Left").toInt(), -40);
  EXPECT_EQ(Raw("Recent File List/File3").toString(), QStringLiteral("/a/three, with comma.000"));
  EXPECT_FALSE(Raw("Recent File List/File2").isValid());
}

// Every plain value under the name another run (or an older version) reads it by.
TEST_F(SettingsStoreTest, EveryPlainValueUnderItsStoredName) {
  store_.SaveSettings(EveryFieldChanged(), WindowPosition{3, 4}, RecentFileList{});
  const std::pair<const char*, QVariant> expected[] = {
      {"Settings/DivideType", 0},
      {"Settings/DivideSize", QStringLiteral("2000000")},
      {"Settings/FDAuto", 0},
      {"Settings/RemovableDrive", QStringLiteral("/media/usb;/run/media/ann/SD")},
      {"Settings/EndMessage", 1},
      {"Settings/DefaultDV", 1},
      {"Settings/DefaultRS", 1},
      {"Settings/SelfRestore", 1},
      {"Settings/HeadCut", 1},
      {"Settings/HeadCutFirst", 512},
      {"Settings/HeadCutNext", 128},
      {"Type0/Type", 2},
      {"Type0/DivideExt", 0},
      {"Type0/DivideExtAddC", 1},
      {"Type0/DivideExtChar", 81},
      {"Type0/TimingString", 0},
      {"Type0/TimingSize", 0},
      {"Type0/DivideString", QStringLiteral("@page, \"end\"; 改ページ")},
      {"Type0/RsDefaultExt", QStringLiteral("txt")},
      {"KvRestore/Type", 5},
      {"KvRestore/ShortFileName", 1},
      {"Settings/Recovery", 1},
      {"Settings/RecoveryPieces", 3},
      {"Window/Top", 4},
  };
  for (const auto& [key, value] : expected) {
    const QVariant raw = Raw(key);
    if (value.typeId() == QMetaType::Int) {
      EXPECT_EQ(raw.toInt(), value.toInt()) << key;
    } else {
      EXPECT_EQ(raw.toStringList().join(QLatin1Char(',')), value.toString()) << key;
    }
  }
  // Nothing else is written: the versions, these, "Window/Left", two presets, three folders.
  QSettings raw(QString::fromStdString(storeFile_.string()), QSettings::IniFormat);
  EXPECT_EQ(static_cast<std::size_t>(raw.allKeys().size()), 2 + std::size(expected) + 1 + 2 + 3);
}

TEST_F(SettingsStoreTest, FitToFreeSpaceIsStoredAsItIs) {
  DivideSettings s;
  s.DivideSize = "空き容量にあわせる";
  EXPECT_EQ(store_.SaveSettings(s, {}, {}), std::nullopt);
  EXPECT_EQ(Raw("Settings/DivideSize").toString(), QStringLiteral("空き容量にあわせる"));
  EXPECT_EQ(Load().DivideSize, "空き容量にあわせる");
}

TEST_F(SettingsStoreTest, SavingFewerPresetsDeletesTheRest) {
  DivideSettings s;
  s.DivideSizePresets = BuiltInPresets();  // thirteen
  store_.SaveSettings(s, {}, {});
  s.DivideSizePresets = {{"1,000Bytes", "a"}, {"2,000Bytes", ""}, {"3,000Bytes", "c"}};
  store_.SaveSettings(s, {}, {});
  EXPECT_EQ(Raw("Settings/DivideSize02").toString(), QStringLiteral("3,000Bytes|c"));
  for (int n = 3; n <= 99; ++n) {
    const std::string key =
        "Settings/DivideSize" + std::string(n < 10 ? "0" : "") + std::to_string(n);
    EXPECT_FALSE(Raw(key.c_str()).isValid()) << key;
  }
  EXPECT_EQ(Load().DivideSizePresets, s.DivideSizePresets);

  s.DivideSizePresets.clear();
  store_.SaveSettings(s, {}, {});
  EXPECT_FALSE(Raw("Settings/DivideSize00").isValid());
  EXPECT_EQ(Load().DivideSizePresets.size(), 13u);  // the built-in ones
}

TEST_F(SettingsStoreTest, StoredListsEndAtTheFirstEmptyEntry) {
  // A preset without "|" has an empty label; the list stops at a gap.
  Store({{"MajorVersion", 3},
         {"Settings/DivideSize00", "5,000Bytes"},
         {"Settings/DivideSize01", "6,000Bytes|x|y"},
         {"Settings/DivideSize03", "8,000Bytes|after the gap"},
         {"DefaultPath/Divide-1", "/in/"},
         {"DefaultPath/Divide-3", "/after/gap/"}});
  const DivideSettings s = Load();
  EXPECT_EQ(s.DivideSizePresets,
            (std::vector<SizePreset>{{"5,000Bytes", ""}, {"6,000Bytes", "x|y"}}));
  EXPECT_EQ(s.DefaultPaths.Divide[0], "/in/");
  EXPECT_EQ(s.DefaultPaths.Divide[2], "");

  // Saving: an empty entry ends the list and deletes every later number.
  DivideSettings t;
  t.DefaultPaths.Restore[0] = "/r1/";
  t.DefaultPaths.Restore[3] = "/r4/";
  store_.SaveSettings(t, {}, {});
  EXPECT_FALSE(Raw("DefaultPath/Divide-3").isValid());
  EXPECT_EQ(Raw("DefaultPath/Restore-1").toString(), QStringLiteral("/r1/"));
  EXPECT_FALSE(Raw("DefaultPath/Restore-4").isValid());
}

TEST_F(SettingsStoreTest, WindowEdgesCountOnlyWhenStored) {
  Store({{"Window/Left", 10}});
  EXPECT_EQ(store_.LoadWindowPosition(), (WindowPosition{10, std::nullopt}));
  Store({{"Window/Top", 0x0FFFFFFF}});  // reads as the "not stored" marker
  EXPECT_EQ(store_.LoadWindowPosition(), (WindowPosition{10, std::nullopt}));
  Store({{"Window/Top", 0}});
  EXPECT_EQ(store_.LoadWindowPosition(), (WindowPosition{10, 0}));
}

TEST_F(SettingsStoreTest, NoCarryOverWritesNothing) {
  EXPECT_FALSE(store_.NoCarryOver());
  EXPECT_TRUE(store_.ToggleNoCarryOver());
  EXPECT_FALSE(store_.SaveOnExit(EveryFieldChanged(), WindowPosition{1, 2}, {"/a/b"}));
  EXPECT_FALSE(fs::exists(storeFile_));

  EXPECT_FALSE(store_.ToggleNoCarryOver());
  std::optional<std::int64_t> written;
  EXPECT_TRUE(store_.SaveOnExit(EveryFieldChanged(), WindowPosition{1, 2}, {"/a/b"}, &written));
  EXPECT_EQ(written, 2000000);
  EXPECT_EQ(Raw("Recent File List/File1").toString(), QStringLiteral("/a/b"));
}

TEST_F(SettingsStoreTest, ImportThenExitWithoutCarryingOver) {
  WriteSettingsFile(exeDir_, "[KolvantoSetup]\nDivideType=1\n");
  const DivideSettings first = Load();
  EXPECT_EQ(first.DivideType, 1);
  store_.ToggleNoCarryOver();
  EXPECT_FALSE(store_.SaveOnExit(first, {}, {}));

  SettingsStore nextRun(QString::fromStdString(storeFile_.string()));
  DivideSettings s;
  test::ScriptedPrompter prompter;
  nextRun.LoadSettings(s, prompter, folders_);
  EXPECT_EQ(s.DivideType, 3);
  EXPECT_FALSE(nextRun.NoCarryOver());
}

TEST_F(SettingsStoreTest, DeleteAnsweredNoChangesNothing) {
  store_.SaveSettings(EveryFieldChanged(), {}, {});
  test::ScriptedPrompter prompter;
  prompter.Script({Answer::kNo});
  EXPECT_FALSE(store_.DeleteSettingsAndExit(prompter));
  EXPECT_TRUE(fs::exists(storeFile_));
  EXPECT_EQ(Raw("Settings/DivideType").toInt(), 0);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  const Message m = prompter.Messages()[0];
  EXPECT_EQ(m.text,
            "レジストリから、Kolvantoの設定内容を消去します。１度消去された設定は元に戻せません。"
            "\n消去してもよろしいですか？");
  EXPECT_EQ(m.caption, "Kolvanto");
  EXPECT_EQ(m.buttons, Buttons::kYesNo);
  EXPECT_EQ(m.icon, Icon::kQuestion);
}

TEST_F(SettingsStoreTest, DeleteAndExitRemovesFileAndEmptyVendorFolder) {
  store_.SaveSettings(EveryFieldChanged(), {}, {});
  test::ScriptedPrompter prompter;
  prompter.Script({Answer::kYes, Answer::kYes, Answer::kOk});
  EXPECT_TRUE(store_.DeleteSettingsAndExit(prompter));
  EXPECT_FALSE(fs::exists(storeFile_));
  EXPECT_FALSE(fs::exists(vendorDir_));
  EXPECT_TRUE(store_.SkipSaveOnExit());
  EXPECT_FALSE(store_.SaveOnExit(EveryFieldChanged(), {}, {}));
  EXPECT_FALSE(fs::exists(storeFile_));

  const std::vector<std::string> expected{
      "Kolvanto|レジストリから、Kolvantoの設定内容を消去します。１度消去された設定は元に戻せ"
      "ません。\n消去してもよろしいですか？",
      "Kolvanto|レジストリから、Kolvantoの設定内容を消去しました。\nこのまま終了すると、完全に"
      "設定内容が失われます。\n終了してよろしいですか？",
      "Kolvanto|ご利用ありがとうございました。\nまたのご利用をお待ちしています。"};
  EXPECT_EQ(prompter.Transcript(), expected);
  EXPECT_EQ(prompter.Messages()[1].icon, Icon::kQuestion);
  EXPECT_EQ(prompter.Messages()[2].icon, Icon::kInformation);
  EXPECT_EQ(prompter.Messages()[2].buttons, Buttons::kOk);
}

TEST_F(SettingsStoreTest, DeleteThenStayKeepsSavingAtExit) {
  store_.SaveSettings(EveryFieldChanged(), {}, {});
  test::WriteFileBytes((vendorDir_ / "Other.ini").string(), {'x'});
  test::ScriptedPrompter prompter;
  prompter.Script({Answer::kYes, Answer::kNo});
  EXPECT_FALSE(store_.DeleteSettingsAndExit(prompter));
  EXPECT_EQ(prompter.Messages().size(), 2u);
  EXPECT_FALSE(fs::exists(storeFile_));
  EXPECT_TRUE(fs::exists(vendorDir_ / "Other.ini"));  // the vendor folder is not empty
  EXPECT_EQ(Load().DivideType, 3);                    // nothing stored any more

  EXPECT_FALSE(store_.SkipSaveOnExit());
  EXPECT_TRUE(store_.SaveOnExit(EveryFieldChanged(), {}, {}));
  EXPECT_EQ(Raw("Settings/DivideType").toInt(), 0);
}

TEST(BesideExecutable, ExecutableFolderThenSharedDataFolder) {
  const auto folders = BesideExecutableFolders("/opt/kolvanto/bin");
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0], std::filesystem::path("/opt/kolvanto/bin"));
  EXPECT_EQ(folders[1], std::filesystem::path("/opt/kolvanto/share/kolvanto"));
}

// A pipe (or a device) at the store's name would block the first read for
// good: it is neither read nor written, and the defaults are used.
TEST_F(SettingsStoreTest, AStoreThatIsNoRegularFileIsLeftAlone) {
  fs::create_directories(vendorDir_);
  ASSERT_EQ(::mkfifo(storeFile_.c_str(), 0600), 0);
  WriteSettingsFile(exeDir_, "[KolvantoSetup]\nDivideType=1\n");
  test::ScriptedPrompter prompter;
  prompter.SetFallback(Answer::kOk);
  DivideSettings s;
  store_.LoadSettings(s, prompter, folders_);
  EXPECT_EQ(s.DivideType, 3);
  EXPECT_EQ(s.DivideSize, "1457664");
  EXPECT_EQ(s.DivideSizePresets.size(), 13u);
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(
      prompter.Messages()[0].text,
      "設定ファイルが通常のファイルではないため、既定の設定を使います。\n" + storeFile_.string());
  EXPECT_EQ(prompter.Messages()[0].icon, Icon::kWarning);
  EXPECT_TRUE(fs::exists(exeDir_ / "Kolvanto.ini"));  // not imported into a store it cannot keep

  EXPECT_FALSE(store_.LoadSelfRestoreState());
  EXPECT_EQ(store_.LoadWindowPosition(), WindowPosition{});
  EXPECT_EQ(store_.LoadRecentFiles(), RecentFileList{});
  EXPECT_FALSE(store_.SaveOnExit(EveryFieldChanged(), {}, {}));
  EXPECT_TRUE(fs::is_fifo(storeFile_));
}

}  // namespace
}  // namespace kv
