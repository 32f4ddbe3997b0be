#include "dialogs/divide_type_page_m.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/dialog_helpers.h"

namespace kv {

CDivideTypePageM::CDivideTypePageM()
    : CPropertyPage(QStringLiteral(" 全般 ")), types_(new QButtonGroup(this)) {
  auto* typeBox = NameControl(new QGroupBox(QStringLiteral("分割タイプ(&T)")), 1030);
  auto* typeLayout = new QVBoxLayout(typeBox);
  const int radioIds[] = {ids::kType0Radio, ids::kType1Radio, ids::kType2Radio, ids::kType3Radio};
  for (int type = 0; type < 4; ++type) {
    auto* radio = NameControl(new QRadioButton(QStringLiteral("Type%1").arg(type)), radioIds[type]);
    types_->addButton(radio, type);
    typeLayout->addWidget(radio);
  }
  auto* descriptionBox = new QGroupBox(QStringLiteral("説明"));
  description_ = NameControl(new QLabel, ids::kTypeDescription);
  description_->setWordWrap(true);
  description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  (new QVBoxLayout(descriptionBox))->addWidget(description_);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(typeBox);
  layout->addWidget(descriptionBox, 1);
  connect(types_, &QButtonGroup::idClicked, this,
          [this](int type) { description_->setText(DivideTypeDescription(type)); });
}

void CDivideTypePageM::ShowValues(const DivideTypeValues& values) {
  // An unknown type checks no radio; the group may only be emptied while non-exclusive.
  types_->setExclusive(false);
  for (QAbstractButton* button : types_->buttons()) {
    button->setChecked(types_->id(button) == values.splitType);
  }
  types_->setExclusive(true);
  description_->setText(DivideTypeDescription(values.splitType));
}

void CDivideTypePageM::TakeValues(DivideTypeValues& values) const {
  values.splitType = types_->checkedId();
}

bool CDivideTypePageM::OnApply() {
  return !applyStep_ || applyStep_();
}

}  // namespace kv
