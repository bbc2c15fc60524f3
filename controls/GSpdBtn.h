// TGSpeedButton: a speed button whose picture is chosen by number from the
// shared library of button pictures.
//
// GlyphIndex n (a change only; the same number does nothing): the caption
// becomes n as text; 0, or a number above the library's highest one,
// clears the glyph; otherwise picture n becomes the glyph, the caption is
// cleared and NumGlyphs is the picture's width divided by its height. A
// picture that cannot be read shows "读取 BMP 发生错误" (error, OK
// button) and the button keeps its number as caption and no picture, so a
// button without a loadable picture shows its number. HintIndex is only stored.
//
// The picture library is the platform's numbered button pictures
// (ButtonPicture, picture 8 the look-up picture); SetButtonPictureLibrary
// puts another numbered set in its place.
#pragma once

#include "platform/ui/ToolBar.h"

namespace kv {

using platform::AnsiString;
using platform::TBitmap;

// A numbered set of button pictures, numbered from 1.
class TButtonPictureLibrary {
 public:
  virtual ~TButtonPictureLibrary() = default;
  // The highest picture number.
  virtual int GetMaxBmpID() const;
  // Picture number; raises when it cannot be read.
  virtual TBitmap LoadBmp(int number) const;
};

// The library the buttons read from now (never null).
const TButtonPictureLibrary& ButtonPictureLibrary();
// Installs library (null: the platform's pictures) and returns the one it
// replaced (null when that was the platform's).
const TButtonPictureLibrary* SetButtonPictureLibrary(const TButtonPictureLibrary* library);

class TGSpeedButton : public platform::TSpeedButton {
  PLATFORM_CLASS(TGSpeedButton)

 public:
  explicit TGSpeedButton(platform::TComponent* owner);

  int GlyphIndex() const { return glyphIndex_; }
  void SetGlyphIndex(int n);
  int HintIndex() const { return hintIndex_; }
  void SetHintIndex(int v) { ChangeProperty(hintIndex_, v, "HintIndex"); }

 private:
  int glyphIndex_ = 0;
  int hintIndex_ = 0;
};

}  // namespace kv
