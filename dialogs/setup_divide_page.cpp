#include "dialogs/setup_divide_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/dialog_helpers.h"
#include "dialogs/integer_field.h"
#include "dialogs/preset_line.h"
#include "dialogs/sized_list.h"

namespace kv {

namespace {

// The smallest size a new preset may have.
constexpr std::int32_t kMinPresetSize = 1024;
// The built-in presets show whole, without scrolling.
constexpr int kShownLines = 13;
// A recovery set numbers at most 32768 slices, one a piece.
constexpr int kMaxRecoveryPieces = 32768;

QStringList BuiltInLines() {
  QStringList lines;
  for (const SizePreset& preset : BuiltInPresets()) {
    lines << PresetLine(preset);
  }
  return lines;
}

}  // namespace

CSetupDividePage::CSetupDividePage(DivideSettings& settings)
    : CPropertyPage(QStringLiteral("分割設定")), settings_(settings) {
  sizeEdit_ = NameControl(new QLineEdit, ids::kPresetSizeEdit);
  labelEdit_ = NameControl(new QLineEdit, ids::kPresetLabelEdit);
  list_ = NameControl(new CSizedList(kShownLines, BuiltInLines()), ids::kPresetList);
  add_ = NameControl(new QPushButton(QStringLiteral("追加(A)")), ids::kPresetAddButton);
  delete_ = NameControl(new QPushButton(QStringLiteral("削除(&D)")), ids::kPresetDeleteButton);
  auto* standard =
      NameControl(new QPushButton(QStringLiteral("標準(&R)")), ids::kPresetStandardButton);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setDragDropMode(QAbstractItemView::InternalMove);
  add_->setEnabled(false);
  delete_->setEnabled(false);

  auto* group = new QGroupBox(QStringLiteral("分割サイズのプリセット値"));
  auto* grid = new QGridLayout(group);
  grid->addWidget(sizeEdit_, 0, 0);
  grid->addWidget(labelEdit_, 0, 1);
  grid->addWidget(list_, 1, 0, 3, 2);  // added in Tab order
  grid->addWidget(add_, 0, 2);
  grid->addWidget(delete_, 1, 2);
  grid->addWidget(standard, 2, 2);
  grid->setRowStretch(3, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(MakeRecoveryGroup());

  connect(sizeEdit_, &QLineEdit::textChanged, this, &CSetupDividePage::OnSizeTextChanged);
  connect(add_, &QPushButton::clicked, this, &CSetupDividePage::OnAdd);
  connect(delete_, &QPushButton::clicked, this, &CSetupDividePage::OnDelete);
  connect(standard, &QPushButton::clicked, this, [this] { FillList(BuiltInPresets()); });
  connect(list_, &QListWidget::itemSelectionChanged, this, &CSetupDividePage::OnSelectionChanged);
}

QGroupBox* CSetupDividePage::MakeRecoveryGroup() {
  recovery_ = NameControl(new QCheckBox(QStringLiteral("分割したファイルに修復データを付ける(&V)")),
                          ids::kRecoveryCheck);
  recovery_->setChecked(settings_.Recovery);
  recoveryPieces_ = new CUpDownEdit(ids::kRecoveryCountEdit, 1, kMaxRecoveryPieces);
  recoveryPieces_->SetValue(settings_.RecoveryPieces);
  auto* group = new QGroupBox(QStringLiteral("修復データ (PAR2)"));
  auto* grid = new QGridLayout(group);
  grid->addWidget(recovery_, 0, 0, 1, 3);
  grid->addWidget(
      LabelFor(QStringLiteral("失っても作り直せるファイルの数(&N)"), recoveryPieces_->Edit()), 1,
      0);
  grid->addWidget(recoveryPieces_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("個")), 1, 2);
  const auto follow = [this] { recoveryPieces_->setEnabled(recovery_->isChecked()); };
  connect(recovery_, &QCheckBox::toggled, this, follow);
  follow();
  return group;
}

void CSetupDividePage::OnFirstShow() {
  const std::size_t count = std::min(settings_.DivideSizePresets.size(), kMaxStoredPresets);
  FillList({settings_.DivideSizePresets.begin(),
            settings_.DivideSizePresets.begin() + static_cast<std::ptrdiff_t>(count)});
}

void CSetupDividePage::FillList(const std::vector<SizePreset>& presets) {
  list_->clear();
  for (const SizePreset& preset : presets) {
    list_->addItem(PresetLine(preset));
  }
}

void CSetupDividePage::OnSizeTextChanged() {
  add_->setEnabled(ReadSizeNumber(ToStd(sizeEdit_->text())) >= kMinPresetSize);
}

void CSetupDividePage::OnAdd() {
  if (sizeEdit_->text().contains(QLatin1Char('|'))) {
    ShowExclamation(this, QStringLiteral("「|」は使用できません"));
    return;
  }
  list_->addItem(PresetLine({ToStd(sizeEdit_->text()), ToStd(labelEdit_->text())}));
}

void CSetupDividePage::OnDelete() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) {
    return;
  }
  const int row = list_->row(selected.front());
  delete list_->takeItem(row);
  if (row < list_->count()) {
    list_->setCurrentRow(row);
  } else {
    list_->clearSelection();
  }
  delete_->setEnabled(!list_->selectedItems().isEmpty());
}

void CSetupDividePage::OnSelectionChanged() {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  delete_->setEnabled(!selected.isEmpty());
  if (selected.isEmpty()) {
    return;
  }
  const SizePreset preset = SplitPresetLine(selected.front()->text());
  sizeEdit_->setText(ToQ(preset.sizeText));
  labelEdit_->setText(ToQ(preset.label));
}

bool CSetupDividePage::OnKillActive() {
  if (!recovery_->isChecked()) {
    return true;
  }
  const auto error = IntegerFieldError(recoveryPieces_->Edit()->text(), 1, kMaxRecoveryPieces);
  if (error) {
    ShowExclamation(this, *error);
    recoveryPieces_->Edit()->setFocus();
    recoveryPieces_->Edit()->selectAll();
  }
  return !error;
}

bool CSetupDividePage::OnApply() {
  settings_.Recovery = recovery_->isChecked();
  if (!IntegerFieldError(recoveryPieces_->Edit()->text(), 1, kMaxRecoveryPieces)) {
    settings_.RecoveryPieces = recoveryPieces_->Edit()->text().toInt();
  }
  settings_.DivideSizePresets.clear();
  for (int row = 0; row < list_->count(); ++row) {
    settings_.DivideSizePresets.push_back(SplitPresetLine(list_->item(row)->text()));
  }
  return true;
}

}  // namespace kv
