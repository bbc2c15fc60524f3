#include "platform/ui/Gauges.h"

#include <algorithm>

#include "platform/ui/ClassBuilder.h"

namespace platform {

const TTypeInfo& EnumTypeInfo(TGaugeKind) {
  static const TTypeInfo t =
      TTypeInfo::Enumeration("TGaugeKind", {"gkText", "gkHorizontalBar", "gkVerticalBar", "gkPie", "gkNeedle"});
  return t;
}

const TClassInfo& TGauge::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TGauge>("TGauge", TControl::StaticClass())
          .Integer("MinValue", &TGauge::MinValue, &TGauge::SetMinValue).Default(0)
          .Integer("MaxValue", &TGauge::MaxValue, &TGauge::SetMaxValue).Default(100)
          .Integer("Progress", &TGauge::Progress, &TGauge::SetProgress).Default(0)
          .Enumeration("Kind", &TGauge::Kind, &TGauge::SetKind).Default(gkHorizontalBar)
          .Integer("ForeColor", ColorTypeInfo(), &TGauge::ForeColor, &TGauge::SetForeColor).Default(clBlack)
          .Integer("BackColor", ColorTypeInfo(), &TGauge::BackColor, &TGauge::SetBackColor).Default(clWhite)
          .Boolean("ShowText", &TGauge::ShowText, &TGauge::SetShowText).Default(true)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TGauge);

TGauge::TGauge(TComponent* owner) : TControl(owner) { SetBounds(0, 0, 100, 100); }

int TGauge::Clamped(long long v) const {
  if (maxValue_ < minValue_) return minValue_;
  return static_cast<int>(std::clamp<long long>(v, minValue_, maxValue_));
}

void TGauge::StoreProgress(int v) {
  ChangeProperty(progress_, v, "Progress");
}

void TGauge::SetMinValue(int v) {
  ChangeProperty(minValue_, v, "MinValue");
  if (!Loading()) StoreProgress(Clamped(progress_));
}

void TGauge::SetMaxValue(int v) {
  ChangeProperty(maxValue_, v, "MaxValue");
  if (!Loading()) StoreProgress(Clamped(progress_));
}

void TGauge::SetProgress(int v) { StoreProgress(Loading() ? v : Clamped(v)); }

void TGauge::AddProgress(int delta) { StoreProgress(Clamped(static_cast<long long>(progress_) + delta)); }

int TGauge::PercentDone() const {
  const long long range = static_cast<long long>(maxValue_) - minValue_;
  if (range <= 0) return 0;
  return static_cast<int>((static_cast<long long>(progress_) - minValue_) * 100 / range);
}

void TGauge::Loaded() {
  TControl::Loaded();
  StoreProgress(Clamped(progress_));
}

}  // namespace platform
