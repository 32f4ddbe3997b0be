// The main window's menu bar and accelerators, the self-restore kind menu
// built from the stub data file, and the recent-files items.

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>

#include "app/divide_dlg.h"
#include "app/recent_files.h"
#include "app/window_texts.h"
#include "core/stub_data_file.h"
#include "core/text_fill.h"
#include "dialogs/command_ids.h"

namespace kv {

namespace wt = window_texts;

namespace {

QString Name(int id) {
  return QString::fromStdString(ids::ObjectName(id));
}

}  // namespace

QAction* CDivideDlg::AddCommand(QMenu* menu, const char* text, int id,
                                void (CDivideDlg::*handler)()) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setObjectName(Name(id));
  connect(action, &QAction::triggered, this, handler);
  return action;
}

void CDivideDlg::BuildMenus() {
  menuBar_ = new QMenuBar(this);
  const char* titles[] = {wt::kFileMenu, wt::kExecuteMenu, wt::kSettingsMenu, wt::kToolsMenu,
                          wt::kHelpMenu};
  for (std::size_t i = 0; i < menus_.size(); ++i) {
    menus_[i] = menuBar_->addMenu(QString::fromUtf8(titles[i]));
    menus_[i]->setObjectName(QStringLiteral("menu%1").arg(i));
  }
  QMenu* file = menus_[0];
  AddCommand(file, wt::kChooseSourceItem, ids::kSourceBrowse, &CDivideDlg::ChooseSource)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  AddCommand(file, wt::kChooseDestinationItem, ids::kDestinationBrowse,
             &CDivideDlg::ChooseDestination)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  file->addSeparator();
  recentFirst_ = file->addAction(QString::fromUtf8(wt::kRecentPlaceholder));
  recentFirst_->setObjectName(Name(ids::kFirstRecentCommand));
  recentFirst_->setEnabled(false);
  connect(recentFirst_, &QAction::triggered, this, [this] { OpenRecent(0); });
  file->addSeparator();
  noCarryOverAction_ =
      AddCommand(file, wt::kNoCarryOverItem, ids::kNoCarryOverCommand, &CDivideDlg::OnNoCarryOver);
  noCarryOverAction_->setCheckable(true);
  file->addSeparator();
  AddCommand(file, wt::kExitItem, ids::kCloseButton, &CDivideDlg::OnCancel);
  AddCommand(file, wt::kDeleteSettingsItem, ids::kDeleteSettingsCommand,
             &CDivideDlg::OnDeleteSettings);

  QMenu* execute = menus_[1];
  AddCommand(execute, wt::kUpdateItem, ids::kUpdateButton, &CDivideDlg::OnAnalyse)
      ->setShortcut(QKeySequence(Qt::Key_F5));
  AddCommand(execute, wt::kExecuteItem, ids::kExecuteButton, &CDivideDlg::OnExecute)
      ->setShortcut(QKeySequence(Qt::Key_F7));
  execute->addSeparator();
  selfRestoreAction_ = AddCommand(execute, wt::kSelfRestoreItem, ids::kSelfRestoreCommand,
                                  &CDivideDlg::OnSelfRestore);
  selfRestoreAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F7));
  selfRestoreAction_->setEnabled(false);
  kindMenu_ = execute->addMenu(QString::fromUtf8(wt::kKindSubmenu));
  kindMenu_->setObjectName(QStringLiteral("kindMenu"));
  kindMenu_->menuAction()->setEnabled(false);
  QAction* placeholder = kindMenu_->addAction(QString::fromUtf8(wt::kNoKindItem));
  placeholder->setObjectName(Name(ids::kNoKindPlaceholder));
  placeholder->setEnabled(false);

  AddCommand(menus_[2], wt::kSetupItem, ids::kSetupCommand, &CDivideDlg::OnSetup);
  AddCommand(menus_[2], wt::kDivideTypeItem, ids::kDivideTypeCommand, &CDivideDlg::OnDivideType);
  AddCommand(menus_[3], wt::kValidityCheckItem, ids::kValidityCheckCommand,
             &CDivideDlg::OnValidityCheck);
  AddCommand(menus_[3], wt::kProtectSeriesItem, ids::kProtectSeriesCommand,
             &CDivideDlg::OnProtectSeries);
  AddCommand(menus_[3], wt::kRepairSeriesItem, ids::kRepairSeriesCommand,
             &CDivideDlg::OnRepairSeries);

  QMenu* help = menus_[4];
  // F1 is the desktop's help key rather than an accelerator of the window.
  AddCommand(help, wt::kHelpContentsItem, ids::kHelpContentsCommand, &CDivideDlg::OnHelpContents)
      ->setShortcut(QKeySequence(Qt::Key_F1));
  AddCommand(help, wt::kHelpSearchItem, ids::kHelpSearchCommand, &CDivideDlg::OnHelpSearch);
  AddCommand(help, wt::kHelpOnHelpItem, ids::kHelpOnHelpCommand, &CDivideDlg::OnHelpOnHelp);
  help->addSeparator();
  AddCommand(help, wt::kHomePageItem, ids::kHomePageCommand, &CDivideDlg::OnHomePage);
  AddCommand(help, wt::kAboutItem, ids::kAboutCommand, &CDivideDlg::OnAbout);
}

void CDivideDlg::LoadStubData() {
  StubDataFile& stubs = context_.stubs;
  if (!stubs.LoadStubDataFile(context_.stubDataFile)) {
    return;
  }
  selfRestoreCheck_->setEnabled(true);
  selfRestoreCheck_->setChecked(context_.store.LoadSelfRestoreState());
  context_.settings.SelfRestore = selfRestoreCheck_->isChecked();
  selfRestoreAction_->setEnabled(true);
  kindMenu_->menuAction()->setEnabled(true);
  kindMenu_->clear();
  for (int i = 0; i < stubs.KindCount(); ++i) {
    const std::string text = FormatText(wt::kKindItem, stubs.KindName(i).c_str(), i + 1);
    QAction* item = kindMenu_->addAction(QString::fromStdString(text));
    item->setObjectName(Name(ids::kFirstKindCommand + i));
    connect(item, &QAction::triggered, this, [this, i] { planner_->CreateSelfRestoringKind(i); });
  }
}

void CDivideDlg::RebuildRecentMenu() {
  QMenu* file = menus_[0];
  for (QAction* item : recentItems_) {
    file->removeAction(item);
    item->deleteLater();
  }
  recentItems_.clear();
  const std::string currentFolder = QDir::currentPath().toStdString();
  // The items follow the first one in list order, up to the separator after them.
  const QList<QAction*> actions = file->actions();
  QAction* after = actions.at(actions.indexOf(recentFirst_) + 1);
  for (std::size_t k = 0; k < recent_.size(); ++k) {
    if (recent_[k].empty()) {
      continue;
    }
    // A "&" in a file name is shown, not taken as a mnemonic.
    const QString text = QString::fromStdString(RecentDisplayName(recent_[k], currentFolder))
                             .replace(u'&', QStringLiteral("&&"));
    if (k == 0) {
      recentFirst_->setText(text);
      recentFirst_->setEnabled(true);
      continue;
    }
    auto* item = new QAction(text, file);
    const int n = static_cast<int>(k);
    item->setObjectName(Name(ids::kFirstRecentCommand + n));
    connect(item, &QAction::triggered, this, [this, n] { OpenRecent(n); });
    file->insertAction(after, item);
    recentItems_.push_back(item);
  }
}

}  // namespace kv
