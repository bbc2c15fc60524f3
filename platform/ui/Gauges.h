// Gauges, headless: TGauge, a bar (or pie, or needle) showing how far a
// piece of work has come.
//
// Progress stays within MinValue..MaxValue: a value outside is clamped, and
// so is Progress when the range changes (after the whole resource is read
// for a gauge read from one). A MinValue above MaxValue is stored and
// Progress then stays at MinValue. PercentDone is the share of the range
// done, 0..100 (0 for an empty range). ForeColor fills the done part and
// BackColor the rest; ShowText draws the percentage.
#pragma once

#include "platform/ui/Control.h"

namespace platform {

enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
const TTypeInfo& EnumTypeInfo(TGaugeKind);

class TGauge : public TControl {
  PLATFORM_CLASS(TGauge)

 public:
  explicit TGauge(TComponent* owner);

  int MinValue() const { return minValue_; }
  void SetMinValue(int v);
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int v);
  int Progress() const { return progress_; }
  void SetProgress(int v);
  // Progress + delta, clamped.
  void AddProgress(int delta);
  int PercentDone() const;

  TGaugeKind Kind() const { return kind_; }
  void SetKind(TGaugeKind v) { ChangeProperty(kind_, v, "Kind"); }
  TColor ForeColor() const { return foreColor_; }
  void SetForeColor(TColor v) { ChangeProperty(foreColor_, v, "ForeColor"); }
  TColor BackColor() const { return backColor_; }
  void SetBackColor(TColor v) { ChangeProperty(backColor_, v, "BackColor"); }
  bool ShowText() const { return showText_; }
  void SetShowText(bool v) { ChangeProperty(showText_, v, "ShowText"); }

 protected:
  void Loaded() override;

 private:
  int Clamped(long long v) const;
  void StoreProgress(int v);

  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 0;
  TGaugeKind kind_ = gkHorizontalBar;
  TColor foreColor_ = clBlack;
  TColor backColor_ = clWhite;
  bool showText_ = true;
};

}  // namespace platform
