#pragma once
// "自己復元": the default self-restore kind and whether other systems' stubs
// record the source under its short name.

#include "core/divide_settings.h"
#include "core/stub_data_file.h"
#include "dialogs/property_sheet.h"

class QCheckBox;
class QListWidget;

namespace kv {

class CSetupSelfRestorePage : public CPropertyPage {
  Q_OBJECT

 public:
  CSetupSelfRestorePage(DivideSettings& settings, const StubDataFile& stubs);

 protected:
  bool OnApply() override;

 private:
  DivideSettings& settings_;
  QListWidget* kinds_;
  QCheckBox* shortName_;
};

}  // namespace kv
