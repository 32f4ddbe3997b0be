#pragma once
// The program's main window: the source, destination and size boxes, the
// job summary, the buttons, progress bar and status field, the menu bar and
// its accelerators. It is the job planner's view: every job runs through
// the planner, as it does for the command line.

#include <QDialog>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plan/job_planner.h"
#include "plan/plan_view.h"
#include "plan/series_recovery_commands.h"
#include "settings/settings_store.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace kv {

class CDivideTypeSheet;
class CHelpWindow;
class CPercentProgressCtrl;
class DesktopPrompter;
class ShellActions;

// What the main window works with; the application object owns all of it.
struct WindowContext {
  DivideSettings& settings;
  JobState& job;
  StubDataFile& stubs;
  SettingsStore& store;
  Volumes& volumes;
  ShellActions& shell;
  WorkerEntry worker;
  std::string stubDataFile;  // full name of Kolvanto.dat
  std::vector<std::filesystem::path> settingsFileFolders;
  std::string program;        // this executable, started again for extra dropped files
  std::string initialSource;  // from the command line; empty for none
};

class CDivideDlg final : public QDialog, public PlanView {
 public:
  explicit CDivideDlg(const WindowContext& context, QWidget* parent = nullptr);
  // Saves the settings unless saving was switched off for this run.
  ~CDivideDlg() override;

  // True while a job runs: the settings commands do nothing then.
  bool JobRunning() const;

  // --- PlanView. ---
  void PullTexts(MainWindowTexts& texts) override;
  void ShowTexts(const MainWindowTexts& texts) override;
  void SetBusy(bool busy) override;
  void AddRecentFile(const std::string& source) override;
  void PostSelfRestoreCommand() override;
  void StartJobTimer() override;
  void StopJobTimer() override;

  const RecentFileList& RecentFiles() const { return recent_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  enum class Box { kSource, kDestination };

  // Construction: controls at their dialog-unit places, menus, accelerators.
  void BuildControls(QWidget* client);
  void BuildMenus();
  QAction* AddCommand(QMenu* menu, const char* text, int id, void (CDivideDlg::*handler)());
  void ConnectControls();
  void ApplyStoredPosition();
  // Initialisation steps after the controls exist.
  void InitDialog();
  void LoadStubData();
  void FillSizeList();
  void FillDefaultPathLists();

  // Commands.
  void OnCancel();
  void OnAnalyse();
  void OnExecute();
  void OnSelfRestore();
  void OnSetup();
  void OnDivideType();
  void OnValidityCheck();
  void OnProtectSeries();
  void OnRepairSeries();
  void OnNoCarryOver();
  void OnDeleteSettings();
  void OnHelpContents();
  void OnHelpSearch();
  void OnHelpOnHelp();
  void OnHomePage();
  void OnAbout();
  void CloseWindow();
  // Recovery commands: a first piece (or recovery file) chosen, and a
  // command run off the user interface thread under `status`, then its
  // closing box.
  using RecoveryCommand = std::function<RecoveryCommandEnd(const std::function<bool()>& stopAsked)>;
  std::string ChooseSeriesFile(const char* title, const char* filters);
  void RunRecoveryCommand(const char* status, const RecoveryCommand& command);

  // File selection.
  void ChooseSource();
  void ChooseDestination();
  void MergeDefaultFolder(Box box);
  void MergeTick(Box box);
  void DropFiles(const std::vector<std::string>& files);
  void OpenRecent(int n);
  void RebuildRecentMenu();
  void SetBoxText(Box box, const std::string& text);
  QComboBox* BoxWidget(Box box) const;
  CHelpWindow& Help();

  WindowContext context_;
  std::unique_ptr<DesktopPrompter> prompter_;
  std::unique_ptr<JobPlanner> planner_;
  RecentFileList recent_{};
  bool closeAllowed_ = false;
  bool recoveryRunning_ = false;

  QMenuBar* menuBar_ = nullptr;
  std::array<QMenu*, 5> menus_{};
  QMenu* kindMenu_ = nullptr;
  QAction* recentFirst_ = nullptr;
  std::vector<QAction*> recentItems_;
  QAction* selfRestoreAction_ = nullptr;
  QAction* noCarryOverAction_ = nullptr;

  QComboBox* sourceBox_ = nullptr;
  QPushButton* sourceBrowse_ = nullptr;
  QComboBox* destinationBox_ = nullptr;
  QPushButton* destinationBrowse_ = nullptr;
  QPlainTextEdit* information_ = nullptr;
  QComboBox* sizeBox_ = nullptr;
  QCheckBox* selfRestoreCheck_ = nullptr;
  QPushButton* updateButton_ = nullptr;
  QPushButton* executeButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  CPercentProgressCtrl* progress_ = nullptr;
  QLabel* status_ = nullptr;

  QTimer* jobTimer_ = nullptr;
  // Default-folder merges: the text a box is to take, and the timer that puts it there.
  std::array<std::string, 2> pendingText_;
  std::array<QTimer*, 2> mergeTimer_{};
  // Each box's text as last typed or set, before a list selection replaced it.
  std::array<std::string, 2> boxText_;
  CHelpWindow* help_ = nullptr;
  // Kept for the whole run: it remembers its last page between showings.
  CDivideTypeSheet* divideTypeSheet_ = nullptr;
};

}  // namespace kv
