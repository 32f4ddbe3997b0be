#pragma once
// "分割設定": the divide-size presets, added, deleted, reordered by dragging
// or reset to the built-in ones; and the recovery data a divide adds.

#include "core/divide_settings.h"
#include "dialogs/property_sheet.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kv {

class CUpDownEdit;

class CSetupDividePage : public CPropertyPage {
  Q_OBJECT

 public:
  explicit CSetupDividePage(DivideSettings& settings);

 protected:
  void OnFirstShow() override;
  bool OnKillActive() override;
  bool OnApply() override;

 private:
  void FillList(const std::vector<SizePreset>& presets);
  void OnSizeTextChanged();
  void OnAdd();
  void OnDelete();
  void OnSelectionChanged();
  QGroupBox* MakeRecoveryGroup();

  DivideSettings& settings_;
  QLineEdit* sizeEdit_;
  QLineEdit* labelEdit_;
  QListWidget* list_;
  QPushButton* add_;
  QPushButton* delete_;
  QCheckBox* recovery_ = nullptr;
  CUpDownEdit* recoveryPieces_ = nullptr;
};

}  // namespace kv
