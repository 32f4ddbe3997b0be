#pragma once
// The capacity-shortage dialog: the next piece does not fit on the medium.
// Retry checks again; the two shell buttons open the file manager at the
// medium and the disk utility for it, and leave the dialog open.

#include <QDialog>

#include "core/prompter.h"

namespace kv {

class ShellActions;

class CCapacityShortageDlg final : public QDialog {
 public:
  // exec() results.
  static constexpr int kRetry = 4;
  static constexpr int kCancel = QDialog::Rejected;

  CCapacityShortageDlg(const CapacityShortage& request, ShellActions& shell, QWidget* parent);
};

}  // namespace kv
