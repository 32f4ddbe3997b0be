#include "dialogs/divide_type_sheet.h"

#include "dialogs/dialog_helpers.h"
#include "dialogs/divide_type_page0.h"
#include "dialogs/divide_type_page_m.h"

namespace kv {

namespace {

constexpr int kType0PageIndex = 1;

}  // namespace

CDivideTypeSheet::CDivideTypeSheet(QWidget* parent)
    : CPropertySheet(QStringLiteral("分割タイプ設定"), parent),
      general_(new CDivideTypePageM),
      type0_(new CDivideTypePage0) {
  AddPage(general_);
  AddPage(type0_);
  FinishPages();
  general_->SetApplyStep([this] { return !applyStep_ || applyStep_(*this); });
}

void CDivideTypeSheet::Load(DivideSettings& settings) {
  values_ = LoadDivideTypeValues(settings);
  general_->ShowValues(values_);
  type0_->ShowValues(values_);
  Restart();
}

int CDivideTypeSheet::Run(DivideSettings& settings) {
  Load(settings);
  return exec();
}

void CDivideTypeSheet::ShowExtensionCharEdit() {
  SetActivePage(kType0PageIndex);
  type0_->FocusExtensionChar();
}

void CDivideTypeSheet::accept() {
  // A page never shown keeps the values it was loaded with.
  if (general_->WasShown()) {
    general_->TakeValues(values_);
  }
  if (type0_->WasShown()) {
    type0_->TakeValues(values_);
  }
  CPropertySheet::accept();
}

bool TakeOverDivideType(CDivideTypeSheet& sheet, DivideSettings& settings) {
  if (MissingExtensionChar(sheet.Values())) {
    ShowExclamation(&sheet, QStringLiteral("分割ファイルの拡張子を指定して下さい"));
    sheet.ShowExtensionCharEdit();
    return false;
  }
  StoreDivideTypeValues(sheet.Values(), settings);
  return true;
}

}  // namespace kv
