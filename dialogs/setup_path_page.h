#pragma once
// "デフォルトパス": the two default path lists offered in the main window's
// source and destination boxes.

#include <array>

#include "core/divide_settings.h"
#include "dialogs/property_sheet.h"

class QPushButton;

namespace kv {

class CPathDropList;

class CSetupPathPage : public CPropertyPage {
  Q_OBJECT

 public:
  explicit CSetupPathPage(DivideSettings& settings);

 protected:
  void OnFirstShow() override;
  bool OnApply() override;

 private:
  // One list with its three buttons.
  struct PathList {
    CPathDropList* list = nullptr;
    QPushButton* add = nullptr;
    QPushButton* edit = nullptr;
    QPushButton* remove = nullptr;
  };
  // controlIds: the list, then its add, edit and delete buttons.
  QWidget* BuildGroup(const QString& caption, int groupId, PathList& group,
                      const std::array<int, 4>& controlIds);
  void UpdateButtons(const PathList& group);
  void OnAdd(const PathList& group);
  void OnEdit(const PathList& group);
  void OnDelete(const PathList& group);

  DivideSettings& settings_;
  PathList divide_;
  PathList restore_;
};

}  // namespace kv
