#pragma once
// The about box: the program's version and the stub data file's status.

#include <QDialog>
#include <string>

namespace kv {

class CAboutDlg final : public QDialog {
 public:
  CAboutDlg(const std::string& stubStatus, QWidget* parent);
};

}  // namespace kv
