#pragma once
// A list whose preferred size is a number of lines as wide as its widest sample line,
// instead of the toolkit's fixed default, so that a page opens as large as
// its lists need and no larger.

#include <QListWidget>
#include <QStringList>

namespace kv {

class CSizedList : public QListWidget {
  Q_OBJECT

 public:
  CSizedList(int lines, const QStringList& sampleLines);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 private:
  int lines_;
  QStringList samples_;
};

}  // namespace kv
