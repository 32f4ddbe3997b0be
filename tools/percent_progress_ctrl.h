#pragma once
// The main window's progress bar: draws itself without flicker inside a
// one-pixel frame, with a centred text (the percentage unless a window text is
// set) whose colour is inverted where it lies over the filled part, as long as
// that reads. Redraws only when the filled width in pixels changes.

#include <QColor>
#include <QProgressBar>
#include <QString>

namespace kv {

// The contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);
// `preferred` where it reads on `fill` (a contrast of at least 4.5:1),
// otherwise black or white, whichever contrasts more with `fill`.
QColor ReadableOn(const QColor& preferred, const QColor& fill);

class CPercentProgressCtrl : public QProgressBar {
 public:
  explicit CPercentProgressCtrl(QWidget* parent = nullptr);

  void SetRange(int lower, int upper);
  // Returns the previous position.
  int SetPos(int position);
  void SetShowText(bool on);
  // A text shown instead of the percentage; empty shows the percentage again.
  void SetWindowText(const QString& text);
  const QString& WindowText() const { return text_; }

  // What is drawn: the filled width for the current size, and the centred text.
  int BarWidth() const;
  QString DisplayText() const;
  bool ShowsText() const { return showText_; }
  // The text's colours under the current palette.
  QColor TextOverBar() const;
  QColor TextOverBackground() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  double Fraction() const;

  int position_ = 0;
  int lower_ = 0;
  int upper_ = 100;
  QString text_;
  bool showText_ = false;
  int lastBarWidth_ = -1;
};

}  // namespace kv
