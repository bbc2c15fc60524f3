// Layout, resolved by the platform (the renderer only draws the bounds it
// is given): Align, Anchors and AutoSize, and CheckLayout, which lists the
// places where a form's controls collide.
//
// A parent's client area is its Width x Height (for pages, the area of the
// page control below the tabs). When a windowed control is resized, when a
// child's Align or visibility changes, when an aligned child changes size,
// and once the control is read from its resource, TWinControl::Realign
// lays its children out:
// 1. Anchors, for the children with Align alNone. A control keeps the place
//    it was last given by code or by its resource, relative to the size its
//    parent had then: anchored left and right it stretches with the parent,
//    anchored right only it moves with the right edge, anchored to neither
//    side it keeps its centre at the same share of the parent (vertically
//    the same with top and bottom). A control placed while its parent had
//    no size takes the parent's first size as its base.
// 2. Aligned children, the visible ones, each taking a side of what is
//    left of the client area: alTop ones in the order of their Top (then
//    z-order), then alBottom (the lowest first), alLeft (by Left), alRight
//    (the rightmost first), and alClient ones take the rest.
// Aligned children keep their own height (alTop, alBottom) or width
// (alLeft, alRight). Controls publish Align where the class library does
// (panels, status bars, page controls, grids, list and tree views, list
// boxes); the layout reads it through the property table.
//
// AutoSize: a label with AutoSize (and without WordWrap) takes the size of
// its caption in its font (TextMetrics.h; the accelerator "&" is not
// drawn, an empty caption measures as one blank); a right-justified label
// keeps its right edge. It follows every change of Caption, Font, AutoSize
// and WordWrap, and is applied once the label is read.
#pragma once

#include <ostream>
#include <vector>

#include "platform/AnsiString.h"
#include "platform/ui/StdCtrls.h"

namespace platform {

class TCustomForm;

// The Align a control publishes; alNone when it publishes none.
TAlign AlignOf(const TControl& control);

// Step 1 and 2 above for parent's children. TWinControl::Realign calls it
// (use Realign, which also keeps the children's anchors from moving their
// base while they are placed).
void AlignControls(TWinControl& parent);

// Applies AutoSize to a label; false when control is not a label with
// AutoSize on, or its size did not change.
bool AdjustAutoSize(TControl& control);

struct TLayoutProblem {
  enum TKind { Overlap, OutsideParent };
  TKind Kind = Overlap;
  TControl* Control = nullptr;
  // The sibling it overlaps, or the parent it leaves.
  TControl* Other = nullptr;
  // "edName overlaps edCode" / "btnOK leaves pnlFoot (left 10, top 5, width 80, height 25 in 60 x 30)".
  AnsiString Text;
};
std::ostream& operator<<(std::ostream& out, const TLayoutProblem& problem);

// The layout problems of form: visible sibling controls whose bounds
// overlap, and visible controls that reach outside their parent's client
// area. Every visible windowed control is looked into, and every page of a
// page control (the ones not shown included, so all pages are checked).
// Pages are not compared with each other; controls without area are left
// out.
std::vector<TLayoutProblem> CheckLayout(const TCustomForm& form);

}  // namespace platform
