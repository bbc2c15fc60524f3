#include "platform/ui/Layout.h"

#include <algorithm>

#include "platform/ui/ClassInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Form.h"
#include "platform/ui/Menus.h"
#include "platform/ui/TextMetrics.h"

namespace platform {

struct LayoutAccess {
  static const TControl::AnchorBase& Base(const TControl& c) { return c.anchorBase_; }
  static void Rebase(TControl& c) { c.UpdateAnchorBase(); }
};

namespace {

struct TLayoutRect {
  int left, top, right, bottom;
};

// One axis of the anchors: the new start and extent.
void Anchor(bool low, bool high, int baseStart, int baseExtent, int baseParent, int parent, int& start,
            int& extent) {
  const int delta = parent - baseParent;
  start = baseStart;
  extent = baseExtent;
  if (low && high) extent = std::max(0, baseExtent + delta);
  else if (high) start = baseStart + delta;
  else if (!low) start = baseStart + delta / 2;
}

AnsiString BoundsText(const TControl& c) {
  return AnsiString("left ") + AnsiString(std::to_string(c.Left()).c_str()) + ", top " +
         AnsiString(std::to_string(c.Top()).c_str()) + ", width " + AnsiString(std::to_string(c.Width()).c_str()) +
         ", height " + AnsiString(std::to_string(c.Height()).c_str());
}

AnsiString NameOf(const TControl& c) {
  return c.Name().IsEmpty() ? AnsiString("(") + c.ClassName() + ")" : c.Name();
}

bool Intersect(const TControl& a, const TControl& b) {
  return a.Left() < b.Left() + b.Width() && b.Left() < a.Left() + a.Width() && a.Top() < b.Top() + b.Height() &&
         b.Top() < a.Top() + a.Height();
}

bool HasArea(const TControl& c) { return c.Width() > 0 && c.Height() > 0; }

void CheckChildren(const TWinControl& parent, std::vector<TLayoutProblem>& out) {
  std::vector<TControl*> shown;
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* c = parent.Controls(i);
    if (c->Visible() && HasArea(*c)) shown.push_back(c);
  }
  const bool pages = dynamic_cast<const TPageControl*>(&parent) != nullptr;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    TControl& c = *shown[i];
    if (c.Left() < 0 || c.Top() < 0 || c.Left() + c.Width() > parent.Width() ||
        c.Top() + c.Height() > parent.Height()) {
      out.push_back({TLayoutProblem::OutsideParent, &c, const_cast<TWinControl*>(&parent),
                     NameOf(c) + " leaves " + NameOf(parent) + " (" + BoundsText(c) + " in " +
                         AnsiString(std::to_string(parent.Width()).c_str()) + " x " +
                         AnsiString(std::to_string(parent.Height()).c_str()) + ")"});
    }
    if (pages) continue;  // the pages of a page control lie on each other by design
    for (std::size_t j = 0; j < i; ++j) {
      if (Intersect(c, *shown[j]))
        out.push_back({TLayoutProblem::Overlap, &c, shown[j], NameOf(c) + " overlaps " + NameOf(*shown[j])});
    }
  }
  for (int i = 0; i < parent.ControlCount(); ++i) {
    auto* w = dynamic_cast<TWinControl*>(parent.Controls(i));
    if (w && (w->Visible() || dynamic_cast<TTabSheet*>(w))) CheckChildren(*w, out);
  }
}

}  // namespace

TAlign AlignOf(const TControl& control) {
  const TPropInfo* p = control.ClassType().FindProperty("Align");
  if (!p || &p->PropType() != &EnumTypeInfo(alNone)) return alNone;
  const auto v = p->GetOrd(control);
  return v >= alNone && v <= alClient ? static_cast<TAlign>(v) : alNone;
}

void AlignControls(TWinControl& parent) {
  const int width = parent.Width();
  const int height = parent.Height();
  std::vector<TControl*> aligned[alClient + 1];
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* c = parent.Controls(i);
    const TAlign align = AlignOf(*c);
    if (align != alNone) {
      if (c->Visible()) aligned[align].push_back(c);
      continue;
    }
    const auto& base = LayoutAccess::Base(*c);
    if (c->Loading() || base.parentWidth <= 0 || base.parentHeight <= 0) {
      // Placed while the parent had no size: this is the parent's first.
      // A control still being read counts from the size its parent has
      // once the parent is read and laid out.
      LayoutAccess::Rebase(*c);
      continue;
    }
    const TAnchors anchors = c->Anchors();
    int left, top, w, h;
    Anchor(anchors.Contains(akLeft), anchors.Contains(akRight), base.left, base.width, base.parentWidth, width, left,
           w);
    Anchor(anchors.Contains(akTop), anchors.Contains(akBottom), base.top, base.height, base.parentHeight, height, top,
           h);
    c->SetBounds(left, top, w, h);
  }

  // stable_sort keeps z-order among equal positions.
  const auto by = [](auto key) { return [key](const TControl* a, const TControl* b) { return key(a) < key(b); }; };
  std::stable_sort(aligned[alTop].begin(), aligned[alTop].end(), by([](const TControl* c) { return c->Top(); }));
  std::stable_sort(aligned[alBottom].begin(), aligned[alBottom].end(),
                   by([](const TControl* c) { return -(c->Top() + c->Height()); }));
  std::stable_sort(aligned[alLeft].begin(), aligned[alLeft].end(), by([](const TControl* c) { return c->Left(); }));
  std::stable_sort(aligned[alRight].begin(), aligned[alRight].end(),
                   by([](const TControl* c) { return -(c->Left() + c->Width()); }));

  TLayoutRect r{0, 0, width, height};
  const auto w = [&] { return std::max(0, r.right - r.left); };
  const auto h = [&] { return std::max(0, r.bottom - r.top); };
  for (TControl* c : aligned[alTop]) {
    const int ch = c->Height();
    c->SetBounds(r.left, r.top, w(), ch);
    r.top += ch;
  }
  for (TControl* c : aligned[alBottom]) {
    const int ch = c->Height();
    c->SetBounds(r.left, r.bottom - ch, w(), ch);
    r.bottom -= ch;
  }
  for (TControl* c : aligned[alLeft]) {
    const int cw = c->Width();
    c->SetBounds(r.left, r.top, cw, h());
    r.left += cw;
  }
  for (TControl* c : aligned[alRight]) {
    const int cw = c->Width();
    c->SetBounds(r.right - cw, r.top, cw, h());
    r.right -= cw;
  }
  for (TControl* c : aligned[alClient]) c->SetBounds(r.left, r.top, w(), h());
}

bool AdjustAutoSize(TControl& control) {
  auto* label = dynamic_cast<TLabel*>(&control);
  if (!label || !label->AutoSize() || label->WordWrap() || label->Loading() || label->Destroying()) return false;
  AnsiString text = StripHotkey(label->Caption());
  if (text.IsEmpty()) text = " ";
  const TTextSize size = MeasureText(text, *label->Font());
  if (size.Width == label->Width() && size.Height == label->Height()) return false;
  int left = label->Left();
  if (label->Alignment() == taRightJustify) left += label->Width() - size.Width;
  label->SetBounds(left, label->Top(), size.Width, size.Height);
  return true;
}

std::ostream& operator<<(std::ostream& out, const TLayoutProblem& problem) { return out << problem.Text.c_str(); }

std::vector<TLayoutProblem> CheckLayout(const TCustomForm& form) {
  std::vector<TLayoutProblem> out;
  CheckChildren(form, out);
  return out;
}

}  // namespace platform
