#pragma once
// " Type0 ": how a Type0 series is cut (by size, at a line end or at a
// string), where the cut falls and how the piece extensions are numbered.

#include "dialogs/divide_type_values.h"
#include "dialogs/property_sheet.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace kv {

class CDivideTypePage0 : public CPropertyPage {
  Q_OBJECT

 public:
  CDivideTypePage0();
  void ShowValues(const DivideTypeValues& values);
  void TakeValues(DivideTypeValues& values) const;
  // Puts the focus on the extension character edit.
  void FocusExtensionChar();

 private:
  QWidget* BuildKindGroup();
  QWidget* BuildExtensionGroup();
  QWidget* BuildTimingGroup();
  void OnKindClicked(int kind);
  void UpdateExtensionControls();

  QButtonGroup* kinds_;
  QLineEdit* splitString_;
  QButtonGroup* extStart_;
  QRadioButton* from000_;
  QRadioButton* from001_;
  QCheckBox* addChar_;
  QLineEdit* extChar_;
  QButtonGroup* stringTiming_;
  QButtonGroup* sizeTiming_;
  int sizeTimingValue_ = 0;  // carried through: its radios are never enabled
};

}  // namespace kv
