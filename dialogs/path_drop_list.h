#pragma once
// A list of default paths whose lines can be reordered by dragging and which
// takes files and folders dropped from outside, up to a line limit.

#include <QStringList>

#include "dialogs/sized_list.h"

namespace kv {

class CPathDropList : public CSizedList {
  Q_OBJECT

 public:
  CPathDropList(int id, int maxLines);
  // Appends the local paths in order while the list holds fewer lines than
  // the limit; a folder gets a trailing "/". Returns the number appended.
  int AppendDropped(const QStringList& paths);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  int maxLines_;
};

}  // namespace kv
