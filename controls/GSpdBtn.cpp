#include "controls/GSpdBtn.h"

#include "platform/Exceptions.h"
#include "platform/FloatFormat.h"
#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Dialogs.h"

namespace kv {

using namespace platform;

int TButtonPictureLibrary::GetMaxBmpID() const { return ButtonPictureCount(); }

TBitmap TButtonPictureLibrary::LoadBmp(int number) const {
  TBitmap picture = ButtonPicture(number);
  if (picture.Empty()) throw Exception("Button picture " + IntToStr(number) + " cannot be read");
  return picture;
}

namespace {

const TButtonPictureLibrary* installedLibrary = nullptr;

}  // namespace

const TButtonPictureLibrary& ButtonPictureLibrary() {
  static const TButtonPictureLibrary platformPictures;
  return installedLibrary ? *installedLibrary : platformPictures;
}

const TButtonPictureLibrary* SetButtonPictureLibrary(const TButtonPictureLibrary* library) {
  const TButtonPictureLibrary* previous = installedLibrary;
  installedLibrary = library;
  return previous;
}

const TClassInfo& TGSpeedButton::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TGSpeedButton>("TGSpeedButton", TSpeedButton::StaticClass())
          .Integer("GlyphIndex", &TGSpeedButton::GlyphIndex, &TGSpeedButton::SetGlyphIndex).Default(0)
          .Integer("HintIndex", &TGSpeedButton::HintIndex, &TGSpeedButton::SetHintIndex).Default(0)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TGSpeedButton);

TGSpeedButton::TGSpeedButton(TComponent* owner) : TSpeedButton(owner) {}

void TGSpeedButton::SetGlyphIndex(int n) {
  if (n == glyphIndex_) return;
  glyphIndex_ = n;
  MarkChanged("GlyphIndex");
  // The number shows until a picture replaces it; the picture of the old
  // number goes even when the new one cannot be read.
  SetCaption(IntToStr(n));
  SetGlyph(TBitmap());
  try {
    const TButtonPictureLibrary& library = ButtonPictureLibrary();
    if (n <= 0 || n > library.GetMaxBmpID()) return;
    const TBitmap picture = library.LoadBmp(n);
    SetGlyph(picture);
    SetCaption("");
    SetNumGlyphs(picture.Height() > 0 ? picture.Width() / picture.Height() : 1);
  } catch (const Exception&) {
    MessageDlg("读取 BMP 发生错误", mtError, TMsgDlgButtons{mbOK});
  }
}

}  // namespace kv
