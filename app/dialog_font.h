#pragma once
// The dialog font of the main window and the dialog units measured in it: a
// horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height.

#include <QFont>
#include <QRect>

namespace kv {

// The desktop's UI font at 9 points; a Japanese UI font in its place when
// the desktop's font has no Japanese glyphs.
QFont JapaneseDialogFont();

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  int X(int units) const { return (units * baseWidth_ + 2) / 4; }
  int Y(int units) const { return (units * baseHeight_ + 4) / 8; }
  QRect Rect(int x, int y, int width, int height) const {
    return {X(x), Y(y), X(width), Y(height)};
  }

 private:
  int baseWidth_;
  int baseHeight_;
};

}  // namespace kv
