// The common controls of the class library, headless: TPageControl with
// its TTabSheet pages, TStatusBar with its TStatusPanel panels, and
// TProgressBar.
//
// Page controls: a tab sheet placed in a page control (its parent) is one
// of its pages, in the order placed; PageIndex moves it. ActivePage set by
// code changes the page at once and runs no events, as the class library
// does. A page chosen by the user (UserSelectPage, which the renderer
// calls) runs OnChanging first, which may refuse the change, then OnChange.
// The user cannot choose a page whose TabVisible is false or that is
// disabled, nor any page of a page control that is hidden or disabled.
// Only the active page is visible. When the user's choice hides the
// focused control, the focus moves to the first control of the new page
// (the page control itself when the page has none). Pages fill the page
// control below the tabs.
//
// Status bars: Panels is a collection published as "Panels"; with
// SimplePanel the bar shows SimpleText alone.
//
// Progress bars: Position stays within Min..Max (clamped after the whole
// resource is read); StepIt advances by Step
// and starts over from Min when it passes Max.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/Collection.h"
#include "platform/ui/Control.h"
#include "platform/ui/StdCtrls.h"

namespace platform {

// (Sender, var AllowChange)
using TTabChangingEvent = TEvent<"TTabChangingEvent", TObject*, bool&>;

class TPageControl;

class TTabSheet : public TWinControl {
  PLATFORM_CLASS(TTabSheet)

 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return pageControl_; }
  // Makes the sheet a page of pageControl (its parent); nullptr takes it out.
  void SetPageControl(TPageControl* pageControl);
  // The position among the pages; -1 outside a page control. Setting it
  // moves the page (clamped to the pages).
  int PageIndex() const;
  void SetPageIndex(int index);
  // Whether the page has a tab the user can choose.
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v) { ChangeProperty(tabVisible_, v, "TabVisible"); }

  // A page control as the parent makes this one of its pages.
  void SetParent(TWinControl* parent) override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

class TPageControl : public TWinControl {
  PLATFORM_CLASS(TPageControl)

 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;

  int PageCount() const { return static_cast<int>(pages_.size()); }
  // The page at index; nullptr for an index out of range.
  TTabSheet* Pages(int index) const;
  TTabSheet* ActivePage() const { return activePage_; }
  // Changes the page without running OnChanging / OnChange; a sheet that
  // is not a page of this control is ignored. nullptr shows no page.
  void SetActivePage(TTabSheet* page);
  // -1 when there is no active page.
  int ActivePageIndex() const;
  // An index out of range leaves no active page.
  void SetActivePageIndex(int index) { SetActivePage(Pages(index)); }

  // The user chooses page index (a click on its tab). False when the
  // choice is dropped (the control hidden or disabled, the index out of
  // range, the page's tab hidden, the page disabled or already active) or
  // refused by OnChanging.
  bool UserSelectPage(int index);
  // The user steps to the next (previous) page the user can choose,
  // wrapping around, through UserSelectPage; false when there is none or
  // the change was refused.
  bool SelectNextPage(bool goForward);
  // Resolved by the platform's layout (Layout.h).
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { ChangeProperty(align_, v, "Align"); }

  TTabChangingEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  void Resize() override;

 private:
  friend class TTabSheet;
  void PlacePage(TTabSheet* page);
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void MovePage(TTabSheet* page, int index);
  void ShowActivePage();

  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
  TAlign align_ = alNone;
};

class TStatusPanel : public TCollectionItem {
  PLATFORM_CLASS(TStatusPanel)

 public:
  explicit TStatusPanel(TCollection* collection) : TCollectionItem(collection) {}

  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& v) { ChangeProperty(text_, v, "Text"); }
  int Width() const { return width_; }
  void SetWidth(int v) { ChangeProperty(width_, v < 0 ? 0 : v, "Width"); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { ChangeProperty(alignment_, v, "Alignment"); }

  AnsiString DisplayName() const override { return text_.IsEmpty() ? TCollectionItem::DisplayName() : text_; }
  void Assign(const TPersistent& source) override;

 private:
  AnsiString text_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
};

using TStatusPanels = TCollectionOf<TStatusPanel>;

class TStatusBar : public TWinControl {
  PLATFORM_CLASS(TStatusBar)

 public:
  explicit TStatusBar(TComponent* owner);

  TStatusPanels* Panels() const { return panels_.get(); }
  void SetPanels(const TStatusPanels& panels) { panels_->Assign(panels); }
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool v) { ChangeProperty(simplePanel_, v, "SimplePanel"); }
  const AnsiString& SimpleText() const { return simpleText_; }
  void SetSimpleText(const AnsiString& v) { ChangeProperty(simpleText_, v, "SimpleText"); }
  // Resolved by the platform's layout (Layout.h).
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { ChangeProperty(align_, v, "Align"); }

 private:
  std::unique_ptr<TStatusPanels> panels_ = std::make_unique<TStatusPanels>();
  bool simplePanel_ = false;
  AnsiString simpleText_;
  TAlign align_ = alBottom;
};

class TProgressBar : public TWinControl {
  PLATFORM_CLASS(TProgressBar)

 public:
  explicit TProgressBar(TComponent* owner);

  int Min() const { return min_; }
  // A Min above Max (or Max below Min) is stored; Position then stays at
  // Min until the range is sound again.
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const { return position_; }
  // Clamped to Min..Max.
  void SetPosition(int v);
  int Step() const { return step_; }
  void SetStep(int v) { ChangeProperty(step_, v, "Step"); }

  // Advances Position by Step; past Max it starts over from Min.
  void StepIt();
  // Advances Position by delta, clamped to Min..Max.
  void StepBy(int delta);

 protected:
  // Position read from a resource is clamped once the range is read too.
  void Loaded() override;

 private:
  int Clamped(long long v) const;

  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  int step_ = 10;
};

}  // namespace platform
