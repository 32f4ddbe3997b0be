#include "dialogs/path_drop_list.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "dialogs/dialog_helpers.h"

namespace kv {

namespace {

bool FromOutside(const QDropEvent* event, const QWidget* list) {
  return event->source() != list && event->mimeData()->hasUrls();
}

}  // namespace

namespace {

// What a list shows without scrolling: a few lines of an ordinary path.
constexpr int kShownLines = 5;
const char* const kSamplePath = "/media/user/USB-DISK/backup/";

}  // namespace

CPathDropList::CPathDropList(int id, int maxLines)
    : CSizedList(kShownLines, {QString::fromLatin1(kSamplePath)}), maxLines_(maxLines) {
  NameControl(this, id);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragDropMode(QAbstractItemView::InternalMove);
  viewport()->setAcceptDrops(true);
}

int CPathDropList::AppendDropped(const QStringList& paths) {
  int appended = 0;
  for (const QString& path : paths) {
    if (count() >= maxLines_) {
      break;
    }
    const QFileInfo info(path);
    const QString absolute = info.absoluteFilePath();
    addItem(info.isDir() && !absolute.endsWith(QLatin1Char('/')) ? absolute + QLatin1Char('/')
                                                                 : absolute);
    ++appended;
  }
  return appended;
}

void CPathDropList::dragEnterEvent(QDragEnterEvent* event) {
  if (FromOutside(event, this)) {
    event->acceptProposedAction();
    return;
  }
  QListWidget::dragEnterEvent(event);
}

void CPathDropList::dragMoveEvent(QDragMoveEvent* event) {
  if (FromOutside(event, this)) {
    event->acceptProposedAction();
    return;
  }
  QListWidget::dragMoveEvent(event);
}

void CPathDropList::dropEvent(QDropEvent* event) {
  if (!FromOutside(event, this)) {
    QListWidget::dropEvent(event);  // a line moved inside the list
    return;
  }
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      paths.push_back(url.toLocalFile());
    }
  }
  AppendDropped(paths);
  event->acceptProposedAction();
}

}  // namespace kv
