#include "tools/percent_progress_ctrl.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// The contrast the text must have against what it is drawn on.
constexpr double kReadableContrast = 4.5;

double RelativeLuminance(const QColor& colour) {
  const auto linear = [](float channel) {
    return channel <= 0.03928F ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
         0.0722 * linear(colour.blueF());
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& preferred, const QColor& fill) {
  if (ContrastRatio(preferred, fill) >= kReadableContrast) {
    return preferred;
  }
  const QColor black(Qt::black);
  const QColor white(Qt::white);
  return ContrastRatio(black, fill) >= ContrastRatio(white, fill) ? black : white;
}

CPercentProgressCtrl::CPercentProgressCtrl(QWidget* parent) : QProgressBar(parent) {
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

QColor CPercentProgressCtrl::TextOverBar() const {
  const QColor bar = palette().color(QPalette::Highlight);
  return ReadableOn(QColor::fromRgb(~bar.rgb() & 0xFFFFFF), bar);
}

QColor CPercentProgressCtrl::TextOverBackground() const {
  const QPalette& p = palette();
  return ReadableOn(p.color(QPalette::Highlight), p.color(QPalette::Button));
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
  painter.fillRect(bar, palette().color(QPalette::Highlight));
  painter.fillRect(rest, palette().color(QPalette::Button));
  if (showText_) {
    const QString text = DisplayText();
    painter.setFont(font());
    painter.setClipRect(bar);
    painter.setPen(TextOverBar());
    painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, text);
    painter.setClipRect(rest);
    painter.setPen(TextOverBackground());
    painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, text);
  }
  // The frame shows where the bar is while it is empty.
  painter.setClipping(false);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(client.adjusted(0, 0, -1, -1));
  painter.end();
  QPainter(this).drawPixmap(0, 0, canvas);
}

void CPercentProgressCtrl::resizeEvent(QResizeEvent* event) {
  lastBarWidth_ = -1;
  QProgressBar::resizeEvent(event);
}

}  // namespace kv
