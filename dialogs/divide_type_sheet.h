#pragma once
// "分割タイプ設定": the divide type sheet. It never writes the settings itself:
// on OK it hands its values to an apply step (the main window's), which
// either takes them over or refuses and keeps the sheet open. Kept for the
// whole run and reloaded before each showing.

#include <functional>

#include "core/divide_settings.h"
#include "dialogs/divide_type_values.h"
#include "dialogs/property_sheet.h"

namespace kv {

class CDivideTypePageM;
class CDivideTypePage0;

class CDivideTypeSheet : public CPropertySheet {
  Q_OBJECT

 public:
  // Answers OK: true when the values were taken over and the sheet may close.
  using ApplyStep = std::function<bool(CDivideTypeSheet&)>;

  explicit CDivideTypeSheet(QWidget* parent);
  void SetApplyStep(ApplyStep step) { applyStep_ = std::move(step); }

  // Loads the pages from `settings` (see LoadDivideTypeValues) and makes
  // " 全般 " the active page.
  void Load(DivideSettings& settings);
  // Load, then show modally. The caller re-analyses its source afterwards,
  // however the sheet closed.
  int Run(DivideSettings& settings);

  // The values as the pages hold them at the apply step.
  const DivideTypeValues& Values() const { return values_; }
  // Makes " Type0 " the active page and focuses its extension character edit.
  void ShowExtensionCharEdit();

 public slots:
  void accept() override;

 private:
  CDivideTypePageM* general_;
  CDivideTypePage0* type0_;
  DivideTypeValues values_;
  ApplyStep applyStep_;
};

// The main window's apply step: refuses a Type0 series with "文字を付加" and
// no character (message owned by the sheet, which turns to its " Type0 "
// page), otherwise stores the sheet's values into `settings`.
bool TakeOverDivideType(CDivideTypeSheet& sheet, DivideSettings& settings);

}  // namespace kv
