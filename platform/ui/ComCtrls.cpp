#include "platform/ui/ComCtrls.h"

#include <algorithm>

#include "platform/ui/ClassBuilder.h"
#include "platform/ui/Form.h"

namespace platform {

// --- TTabSheet ---

const TClassInfo& TTabSheet::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TTabSheet>("TTabSheet", TWinControl::StaticClass())
          .Integer("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex)
          .Boolean("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(true)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TTabSheet);

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) { SetVisible(false); }

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pageControl) { SetParent(pageControl); }

void TTabSheet::SetParent(TWinControl* parent) {
  TWinControl::SetParent(parent);
  auto* pageControl = dynamic_cast<TPageControl*>(parent);
  if (pageControl == pageControl_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  if (pageControl) pageControl->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  const auto& pages = pageControl_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int index) {
  if (pageControl_) pageControl_->MovePage(this, index);
}

// --- TPageControl ---

const TClassInfo& TPageControl::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TPageControl>("TPageControl", TWinControl::StaticClass())
          .Reference("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage)
          .Enumeration("Align", &TPageControl::Align, &TPageControl::SetAlign).Default(alNone)
          .Event("OnChange", &TPageControl::OnChange)
          .Event("OnChanging", &TPageControl::OnChanging)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TPageControl);

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
}

TPageControl::~TPageControl() {
  for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
  pages_.clear();
}

TTabSheet* TPageControl::Pages(int index) const {
  if (index < 0 || index >= PageCount()) return nullptr;
  return pages_[static_cast<std::size_t>(index)];
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->pageControl_ != this) return;
  if (page == activePage_) return;
  activePage_ = page;
  MarkChanged("ActivePage");
  ShowActivePage();
}

bool TPageControl::UserSelectPage(int index) {
  if (!Showing() || !EnabledChain()) return false;
  TTabSheet* page = Pages(index);
  if (!page || !page->TabVisible() || !page->Enabled() || page == activePage_) return false;
  bool allowChange = true;
  OnChanging(this, allowChange);
  // The handler may have changed the pages itself; the choice stands only
  // for a page that is still here.
  if (!allowChange || page->pageControl_ != this) return false;
  TTabSheet* previous = activePage_;
  TCustomForm* form = ParentForm();
  const bool focusOnPage = form && previous && previous->ContainsControl(form->ActiveControl());
  SetActivePage(page);
  // A focused control on the page that went is hidden now: the focus
  // follows the user to the new page.
  if (focusOnPage && form->Visible() && !form->Destroying()) {
    TWinControl* next = page->FindNextControl(nullptr, true, true);
    if (!next && CanFocus()) next = this;
    if (next) form->SetActiveControl(next);
  }
  OnChange(this);
  return true;
}

bool TPageControl::SelectNextPage(bool goForward) {
  const int n = PageCount();
  if (n == 0) return false;
  int start = ActivePageIndex();
  if (start < 0) start = goForward ? n - 1 : 0;
  for (int step = 1; step < n + (activePage_ ? 0 : 1); ++step) {
    const int i = goForward ? (start + step) % n : (start - step + n) % n;
    TTabSheet* page = Pages(i);
    if (page->TabVisible() && page->Enabled()) return UserSelectPage(i);
  }
  return false;
}

void TPageControl::PlacePage(TTabSheet* page) {
  // The display area below the tabs, inside the frame.
  page->SetBounds(4, 24, std::max(0, Width() - 8), std::max(0, Height() - 28));
}

void TPageControl::Resize() {
  for (TTabSheet* page : pages_) PlacePage(page);
  TWinControl::Resize();
}

void TPageControl::InsertPage(TTabSheet* page) {
  page->pageControl_ = this;
  pages_.push_back(page);
  PlacePage(page);
  page->SetVisible(page == activePage_);
  MarkChanged("Pages");
}

void TPageControl::RemovePage(TTabSheet* page) {
  pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
  page->pageControl_ = nullptr;
  if (activePage_ == page) {
    activePage_ = nullptr;
    MarkChanged("ActivePage");
  }
  MarkChanged("Pages");
}

void TPageControl::MovePage(TTabSheet* page, int index) {
  const int current = page->PageIndex();
  index = std::clamp(index, 0, PageCount() - 1);
  if (index == current) return;
  pages_.erase(pages_.begin() + current);
  pages_.insert(pages_.begin() + index, page);
  page->MarkChanged("PageIndex");
  MarkChanged("Pages");
}

void TPageControl::ShowActivePage() {
  for (TTabSheet* page : pages_) page->SetVisible(page == activePage_);
}

// --- TStatusPanel ---

const TClassInfo& TStatusPanel::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TStatusPanel>("TStatusPanel", TCollectionItem::StaticClass())
          .Enumeration("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment).Default(taLeftJustify)
          .String("Text", &TStatusPanel::Text, &TStatusPanel::SetText)
          .Integer("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth).Default(50)
          .Build();
  return info;
}

void TStatusPanel::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TStatusPanel*>(&source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  SetText(other->text_);
  SetWidth(other->width_);
  SetAlignment(other->alignment_);
}

// --- TStatusBar ---

const TClassInfo& TStatusBar::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TStatusBar>("TStatusBar", TWinControl::StaticClass())
          .Enumeration("Align", &TStatusBar::Align, &TStatusBar::SetAlign).Default(alBottom)
          .Object("Panels", &TStatusBar::Panels, &TStatusBar::SetPanels)
          .Boolean("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel).Default(false)
          .String("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TStatusBar);

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 0, 19);
  panels_->SetOwnerProperty(this, "Panels");
}

// --- TProgressBar ---

const TClassInfo& TProgressBar::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TProgressBar>("TProgressBar", TWinControl::StaticClass())
          .Integer("Min", &TProgressBar::Min, &TProgressBar::SetMin).Default(0)
          .Integer("Max", &TProgressBar::Max, &TProgressBar::SetMax).Default(100)
          .Integer("Position", &TProgressBar::Position, &TProgressBar::SetPosition).Default(0)
          .Integer("Step", &TProgressBar::Step, &TProgressBar::SetStep).Default(10)
          .Build();
  return info;
}
PLATFORM_REGISTER_CLASS(TProgressBar);

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 150, 16); }

int TProgressBar::Clamped(long long v) const {
  if (max_ < min_) return min_;
  return static_cast<int>(std::clamp<long long>(v, min_, max_));
}

void TProgressBar::SetMin(int v) {
  ChangeProperty(min_, v, "Min");
  if (!Loading()) ChangeProperty(position_, Clamped(position_), "Position");
}

void TProgressBar::SetMax(int v) {
  ChangeProperty(max_, v, "Max");
  if (!Loading()) ChangeProperty(position_, Clamped(position_), "Position");
}

void TProgressBar::SetPosition(int v) { ChangeProperty(position_, Loading() ? v : Clamped(v), "Position"); }

void TProgressBar::Loaded() {
  TWinControl::Loaded();
  ChangeProperty(position_, Clamped(position_), "Position");
}

void TProgressBar::StepIt() {
  const long long next = static_cast<long long>(position_) + step_;
  if (next > max_) ChangeProperty(position_, min_, "Position");
  else ChangeProperty(position_, Clamped(next), "Position");
}

void TProgressBar::StepBy(int delta) { ChangeProperty(position_, Clamped(static_cast<long long>(position_) + delta), "Position"); }

}  // namespace platform
