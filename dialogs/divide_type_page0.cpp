#include "dialogs/divide_type_page0.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "dialogs/dialog_helpers.h"

namespace kv {

namespace {

constexpr int kKindBySize = 0;
constexpr int kKindByString = 2;

QRadioButton* AddRadio(QButtonGroup* group, QLayout* layout, const char* caption, int id,
                       int value) {
  auto* radio = NameControl(new QRadioButton(QString::fromUtf8(caption)), id);
  group->addButton(radio, value);
  layout->addWidget(radio);
  return radio;
}

void CheckValue(QButtonGroup* group, int value) {
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) {
    button->setChecked(group->id(button) == value);
  }
  group->setExclusive(true);
}

}  // namespace

CDivideTypePage0::CDivideTypePage0()
    : CPropertyPage(QStringLiteral(" Type0 ")),
      kinds_(new QButtonGroup(this)),
      extStart_(new QButtonGroup(this)),
      stringTiming_(new QButtonGroup(this)),
      sizeTiming_(new QButtonGroup(this)) {
  auto* layout = new QGridLayout(this);
  layout->addWidget(BuildKindGroup(), 0, 0);
  layout->addWidget(BuildExtensionGroup(), 0, 1);
  layout->addWidget(BuildTimingGroup(), 1, 0, 1, 2);
  connect(kinds_, &QButtonGroup::idClicked, this, &CDivideTypePage0::OnKindClicked);
  connect(addChar_, &QCheckBox::clicked, this, &CDivideTypePage0::UpdateExtensionControls);
  connect(extChar_, &QLineEdit::textChanged, this, &CDivideTypePage0::UpdateExtensionControls);
  // Letters typed as the extension character appear in lower case.
  connect(extChar_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (text != text.toLower()) {
      extChar_->setText(text.toLower());
    }
  });
}

QWidget* CDivideTypePage0::BuildKindGroup() {
  auto* box = new QGroupBox(QStringLiteral("分割の種類(&T)"));
  auto* layout = new QVBoxLayout(box);
  AddRadio(kinds_, layout, "指定サイズで分割", ids::kSplitBySizeRadio, 0);
  AddRadio(kinds_, layout, "改行で分割", ids::kSplitByLineRadio, 1);
  AddRadio(kinds_, layout, "指定文字列で分割", ids::kSplitByStringRadio, 2);
  splitString_ = NameControl(new QLineEdit, ids::kSplitStringEdit);
  layout->addWidget(LabelFor(QStringLiteral("文字列"), splitString_));
  layout->addWidget(splitString_);
  return box;
}

QWidget* CDivideTypePage0::BuildExtensionGroup() {
  auto* box = NameControl(new QGroupBox(QStringLiteral("拡張子(&E)")), 1045);
  auto* layout = new QVBoxLayout(box);
  from000_ = AddRadio(extStart_, layout, "*.000～", ids::kExtFrom000Radio, 0);
  from001_ = AddRadio(extStart_, layout, "*.001～", ids::kExtFrom001Radio, 1);
  addChar_ = NameControl(new QCheckBox(QStringLiteral("文字を付加")), ids::kExtAddCharCheck);
  extChar_ = NameControl(new QLineEdit, ids::kExtCharEdit);
  extChar_->setMaxLength(1);
  // One printable ASCII character that can stand in a file name.
  extChar_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[!-.0-~]?")), extChar_));
  extChar_->setMaximumWidth(40);
  auto* row = new QHBoxLayout;
  row->addWidget(addChar_);
  row->addWidget(extChar_);
  layout->addLayout(row);
  return box;
}

QWidget* CDivideTypePage0::BuildTimingGroup() {
  auto* box = new QGroupBox(QStringLiteral("分割のタイミング(&M)"));
  auto* layout = new QHBoxLayout(box);
  AddRadio(stringTiming_, layout, "文字列の前", ids::kBeforeStringRadio, 0);
  AddRadio(stringTiming_, layout, "文字列の後", ids::kAfterStringRadio, 1);
  AddRadio(sizeTiming_, layout, "指定サイズ以内", ids::kWithinSizeRadio, 0)->setEnabled(false);
  AddRadio(sizeTiming_, layout, "指定サイズの後", ids::kAfterSizeRadio, 1)->setEnabled(false);
  return box;
}

void CDivideTypePage0::ShowValues(const DivideTypeValues& values) {
  CheckValue(kinds_, values.splitKind);
  splitString_->setText(values.splitString);
  CheckValue(extStart_, values.extStart);
  addChar_->setChecked(values.addChar);
  extChar_->setText(values.extChar);
  CheckValue(stringTiming_, values.stringTiming);
  CheckValue(sizeTiming_, values.sizeTiming);
  sizeTimingValue_ = values.sizeTiming;
  OnKindClicked(values.splitKind);
  UpdateExtensionControls();
}

void CDivideTypePage0::TakeValues(DivideTypeValues& values) const {
  values.splitKind = kinds_->checkedId();
  values.splitString = splitString_->text();
  values.extStart = extStart_->checkedId();
  values.addChar = addChar_->isChecked();
  values.extChar = extChar_->text();
  values.stringTiming = stringTiming_->checkedId();
  values.sizeTiming = sizeTimingValue_;
}

void CDivideTypePage0::FocusExtensionChar() {
  extChar_->setFocus();
}

void CDivideTypePage0::OnKindClicked(int kind) {
  splitString_->setEnabled(kind == kKindByString);
  for (QAbstractButton* radio : stringTiming_->buttons()) {
    radio->setEnabled(kind != kKindBySize);
  }
}

void CDivideTypePage0::UpdateExtensionControls() {
  extChar_->setEnabled(addChar_->isChecked());
  const auto [first, next] = ExtensionCaptions(addChar_->isChecked(), extChar_->text());
  from000_->setText(first);
  from001_->setText(next);
}

}  // namespace kv
