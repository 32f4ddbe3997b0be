#pragma once
// " 全般 ": the split type, with a description of the checked type.

#include <functional>

#include "dialogs/divide_type_values.h"
#include "dialogs/property_sheet.h"

class QButtonGroup;
class QLabel;

namespace kv {

class CDivideTypePageM : public CPropertyPage {
  Q_OBJECT

 public:
  CDivideTypePageM();
  void ShowValues(const DivideTypeValues& values);
  void TakeValues(DivideTypeValues& values) const;
  // Answers the apply step: true when the values were taken over.
  void SetApplyStep(std::function<bool()> step) { applyStep_ = std::move(step); }

 protected:
  bool OnApply() override;

 private:
  QButtonGroup* types_;
  QLabel* description_;
  std::function<bool()> applyStep_;
};

}  // namespace kv
