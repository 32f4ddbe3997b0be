#include "dialogs/setup_sheet.h"

#include <QComboBox>

#include "dialogs/dialog_helpers.h"
#include "dialogs/setup_divide_page.h"
#include "dialogs/setup_page.h"
#include "dialogs/setup_path_page.h"
#include "dialogs/setup_restore_page.h"
#include "dialogs/setup_self_restore_page.h"

namespace kv {

CSetupSheet::CSetupSheet(DivideSettings& settings, const StubDataFile& stubs, QWidget* parent)
    : CPropertySheet(QStringLiteral("動作設定"), parent) {
  AddPage(new CSetupPage(settings));
  AddPage(new CSetupDividePage(settings));
  AddPage(new CSetupRestorePage(settings));
  if (!stubs.KindName(0).empty()) {
    AddPage(new CSetupSelfRestorePage(settings, stubs));
  }
  AddPage(new CSetupPathPage(settings));
  FinishPages();
}

namespace {

void RefillPaths(QComboBox& box, const DefaultPathList& entries) {
  box.clear();
  for (const std::string& entry : UsedEntries(entries)) {
    box.addItem(ToQ(entry));
  }
}

}  // namespace

void RefillAfterSetup(const DivideSettings& settings, QComboBox& source, QComboBox& destination,
                      QComboBox& size) {
  // Emptying a box's list may also empty its text: the kept texts go back at the end.
  const QString sourceText = source.currentText();
  const QString destinationText = destination.currentText();
  const QString sizeText = size.currentText();
  RefillPaths(source, settings.DefaultPaths.Divide);
  RefillPaths(destination, settings.DefaultPaths.Restore);
  size.clear();
  for (const SizePreset& preset : settings.DivideSizePresets) {
    size.addItem(ToQ(preset.sizeText));
  }
  source.setEditText(sourceText);
  destination.setEditText(destinationText);
  size.setEditText(sizeText);
}

}  // namespace kv
