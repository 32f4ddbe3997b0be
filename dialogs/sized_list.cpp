#include "dialogs/sized_list.h"

#include <QStyle>
#include <algorithm>

namespace kv {

namespace {

// Room an item takes beside its text: the view's item margins.
constexpr int kItemMargin = 8;

}  // namespace

CSizedList::CSizedList(int lines, const QStringList& sampleLines)
    : lines_(lines), samples_(sampleLines) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QSize CSizedList::sizeHint() const {
  const QFontMetrics metrics = fontMetrics();
  const int frame = 2 * frameWidth();
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  const int row = std::max(count() > 0 ? sizeHintForRow(0) : 0, metrics.height() + 2);
  int widest = 0;
  for (const QString& line : samples_) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  return {widest + kItemMargin + frame + scrollBar, lines_ * row + frame};
}

}  // namespace kv
