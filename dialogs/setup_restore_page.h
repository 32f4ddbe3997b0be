#pragma once
// "復元設定": the Type0 restore options, the default extension and the bytes
// cut from the head of the first and of every later piece.

#include "core/divide_settings.h"
#include "dialogs/property_sheet.h"

class QCheckBox;
class QLineEdit;

namespace kv {

class CUpDownEdit;

class CSetupRestorePage : public CPropertyPage {
  Q_OBJECT

 public:
  explicit CSetupRestorePage(DivideSettings& settings);

 protected:
  bool OnKillActive() override;
  bool OnApply() override;

 private:
  void UpdateCountsEnabled();

  DivideSettings& settings_;
  QLineEdit* ext_;
  QCheckBox* headCut_;
  CUpDownEdit* first_;
  CUpDownEdit* next_;
};

}  // namespace kv
