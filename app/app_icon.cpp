#include "app/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace kv {

namespace {

// Painted, so that no image plug-in is needed; the same drawing as res/kolvanto.svg.
QPixmap IconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  p.setPen(QPen(QColor(0x2b, 0x4a, 0x7a), 2));
  const QColor fills[3] = {QColor(0xd6, 0xe6, 0xf7), QColor(0xb3, 0xd1, 0xf0),
                           QColor(0x8f, 0xbb, 0xe8)};
  for (int i = 0; i < 3; ++i) {
    p.setBrush(fills[i]);
    p.drawRect(QRectF(6 + i * 3, 6 + i * 19, 44, 14));
  }
  p.setPen(QPen(QColor(0xd0, 0x40, 0x30), 3));
  p.drawLine(QPointF(54, 4), QPointF(54, 60));
  return pixmap;
}

}  // namespace

QIcon KolvantoIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) {
    icon.addPixmap(IconPixmap(size));
  }
  return icon;
}

}  // namespace kv
