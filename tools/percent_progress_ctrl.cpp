#include "tools/percent_progress_ctrl.h"

#include <QPainter>
#include <QPixmap>

namespace kv {

CPercentProgressCtrl::CPercentProgressCtrl(QWidget* parent) : QProgressBar(parent) {
  const QPalette& p = palette();
  barColour_ = p.color(QPalette::Highlight);
  backgroundColour_ = p.color(QPalette::Button);
  textOverBackground_ = barColour_;
  textOverBar_ = QColor::fromRgb(~barColour_.rgb() & 0xFFFFFF);
  // The whole control is painted every time: nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  QProgressBar::setRange(0, 100);
}

void CPercentProgressCtrl::SetRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  if (lower < upper) {
    QProgressBar::setRange(lower, upper);
  }
}

double CPercentProgressCtrl::Fraction() const {
  return static_cast<double>(position_ - lower_) / static_cast<double>(upper_ - lower_);
}

int CPercentProgressCtrl::BarWidth() const {
  if (lower_ >= upper_) {
    return 0;
  }
  return static_cast<int>(static_cast<double>(width()) * Fraction());
}

int CPercentProgressCtrl::SetPos(int position) {
  const int previous = position_;
  position_ = position;
  const int barWidth = BarWidth();
  if (barWidth != lastBarWidth_) {
    lastBarWidth_ = barWidth;
    repaint();
  }
  return previous;
}

void CPercentProgressCtrl::SetShowText(bool on) {
  if (on != showText_) {
    update();
  }
  showText_ = on;
}

void CPercentProgressCtrl::SetWindowText(const QString& text) {
  if (text != text_) {
    text_ = text;
    update();
  }
}

QString CPercentProgressCtrl::DisplayText() const {
  if (!text_.isEmpty()) {
    return text_;
  }
  return QString::number(static_cast<int>(Fraction() * 100.0)) + QLatin1Char('%');
}

void CPercentProgressCtrl::paintEvent(QPaintEvent* /*event*/) {
  if (lower_ >= upper_) {
    return;
  }
  // Drawn off-screen and copied in one step, so the bar never flickers.
  QPixmap canvas(size() * devicePixelRatio());
  canvas.setDevicePixelRatio(devicePixelRatio());
  QPainter painter(&canvas);
  const QRect client = rect();
  const QRect bar(client.left(), client.top(), BarWidth(), client.height());
  const QRect rest(bar.right() + 1, client.top(), client.width() - bar.width(), client.height());
  painter.fillRect(bar, barColour_);
  painter.fillRect(rest, backgroundColour_);
  if (showText_) {
    const QString text = DisplayText();
    painter.setFont(font());
    painter.setClipRect(bar);
    painter.setPen(textOverBar_);
    painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, text);
    painter.setClipRect(rest);
    painter.setPen(textOverBackground_);
    painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, text);
  }
  painter.end();
  QPainter(this).drawPixmap(0, 0, canvas);
}

void CPercentProgressCtrl::resizeEvent(QResizeEvent* event) {
  lastBarWidth_ = -1;
  QProgressBar::resizeEvent(event);
}

}  // namespace kv
