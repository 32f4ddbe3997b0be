#pragma once
// "動作設定": the setup sheet over the general options, the size presets, the
// Type0 restore options, the self-restore kind (only when the stub data file
// offers kinds) and the default path lists. Build one for each opening; OK
// writes the fields of every page that was shown.

#include "core/divide_settings.h"
#include "core/stub_data_file.h"
#include "dialogs/property_sheet.h"

class QComboBox;

namespace kv {

class CSetupSheet : public CPropertySheet {
  Q_OBJECT

 public:
  CSetupSheet(DivideSettings& settings, const StubDataFile& stubs, QWidget* parent);
};

// What the main window does after the sheet closed with OK: the source and
// destination boxes offer the default paths anew, and the size box offers
// the presets while keeping its text.
void RefillAfterSetup(const DivideSettings& settings, QComboBox& source, QComboBox& destination,
                      QComboBox& size);

}  // namespace kv
