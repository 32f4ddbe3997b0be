#pragma once
// "一般設定": end message, removable-drive detection, default-path rules and
// the list of removable mount points.

#include "core/divide_settings.h"
#include "dialogs/property_sheet.h"

class QCheckBox;
class QLineEdit;

namespace kv {

class CSetupPage : public CPropertyPage {
  Q_OBJECT

 public:
  explicit CSetupPage(DivideSettings& settings);

 protected:
  bool OnApply() override;

 private:
  DivideSettings& settings_;
  QCheckBox* endMessage_;
  QCheckBox* fdAuto_;
  QCheckBox* defaultDv_;
  QCheckBox* defaultRs_;
  QLineEdit* removableDrive_;
};

}  // namespace kv
