// Tree views, headless: TTreeView with its TTreeNode nodes.
//
// Nodes: each has a text, an image index, an expanded mark and children
// (owned, in order). Items (TTreeNodes) lists every node of the tree in
// display order (a node, then its children, each child's own before the
// next child), so language files and the renderer reach node n as
// "Items_n.Text"; a node's Level (0 for a top node) tells where it sits.
//
// Selection: at most one node is selected (Selected). A change by code or
// by the user runs OnChanging first, which may refuse it (then nothing
// changes), then OnChange with the new node. Selecting a node expands its
// parents, so the selection is always shown. A selected node that goes
// leaves no selection (OnChange runs with nullptr).
//
// The user (the renderer reports it): UserSelectNode and UserSetExpanded
// take a node's index in Items; dropped (false) when the view is hidden,
// disabled, or the index out of range. Expanding or collapsing runs
// OnExpanding / OnCollapsing first (they may refuse), then OnExpanded /
// OnCollapsed.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/Collection.h"
#include "platform/ui/StdCtrls.h"

namespace platform {

class TTreeView;
class TTreeNodes;

class TTreeNode : public TPersistent {
  PLATFORM_CLASS(TTreeNode)

 public:
  ~TTreeNode() override;

  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& v) { ChangeProperty(text_, v, "Text"); }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v) { ChangeProperty(imageIndex_, v < -1 ? -1 : v, "ImageIndex"); }
  bool Expanded() const { return expanded_; }
  // By code: runs no events.
  void SetExpanded(bool v) { ChangeProperty(expanded_, v, "Expanded"); }
  bool Selected() const;
  // Selects this node (through OnChanging); false deselects it.
  void SetSelected(bool v);

  TTreeNode* Parent() const { return parent_; }
  int Level() const;
  int Count() const { return static_cast<int>(children_.size()); }
  bool HasChildren() const { return !children_.empty(); }
  // nullptr for an index out of range.
  TTreeNode* Item(int index) const;
  // The position among its siblings.
  int Index() const;
  // The position in the tree's Items.
  int AbsoluteIndex() const;
  TTreeNodes* Owner() const { return owner_; }
  TTreeView* TreeView() const;

  // A new last child.
  TTreeNode* AddChild(const AnsiString& text);
  // Frees the node with its children.
  void Delete();
  void DeleteChildren();

  void MarkChanged(const AnsiString& propertyName) override;

 private:
  friend class TTreeNodes;
  friend class TTreeView;
  TTreeNode(TTreeNodes* owner, TTreeNode* parent, const AnsiString& text);
  void Collect(std::vector<TTreeNode*>& out) const;

  TTreeNodes* owner_;
  TTreeNode* parent_;
  AnsiString text_;
  int imageIndex_ = -1;
  bool expanded_ = false;
  std::vector<std::unique_ptr<TTreeNode>> children_;
};

// Every node of a tree view, in display order.
class TTreeNodes : public TPersistent, public TIndexedItems {
  PLATFORM_CLASS(TTreeNodes)

 public:
  explicit TTreeNodes(TTreeView* view) : view_(view) {}
  ~TTreeNodes() override;

  int Count() const;
  // nullptr for an index out of range.
  TTreeNode* Item(int index) const;
  // A new last top-level node.
  TTreeNode* Add(const AnsiString& text);
  // A new last child of parent (a top-level node when parent is nullptr).
  TTreeNode* AddChild(TTreeNode* parent, const AnsiString& text);
  void Clear();
  int RootCount() const { return static_cast<int>(roots_.size()); }
  TTreeNode* Root(int index) const;
  TTreeView* Owner() const { return view_; }

  int ItemCount() const override { return Count(); }
  TPersistent* ItemAt(int index) const override { return Item(index); }

 private:
  friend class TTreeNode;
  friend class TTreeView;
  std::vector<TTreeNode*> All() const;
  void Removing(TTreeNode* node);

  TTreeView* view_;
  std::vector<std::unique_ptr<TTreeNode>> roots_;
};

// (Sender, Node)
using TTVChangedEvent = TEvent<"TTVChangedEvent", TObject*, TTreeNode*>;
// (Sender, Node, var AllowChange)
using TTVChangingEvent = TEvent<"TTVChangingEvent", TObject*, TTreeNode*, bool&>;
// (Sender, Node, var AllowExpansion / AllowCollapse)
using TTVExpandingEvent = TEvent<"TTVExpandingEvent", TObject*, TTreeNode*, bool&>;
// (Sender, Node)
using TTVExpandedEvent = TEvent<"TTVExpandedEvent", TObject*, TTreeNode*>;

class TTreeView : public TWinControl {
  PLATFORM_CLASS(TTreeView)

 public:
  explicit TTreeView(TComponent* owner);
  ~TTreeView() override;

  TTreeNodes* Items() const { return items_.get(); }
  TTreeNode* Selected() const { return selected_; }
  // Through OnChanging; false when refused.
  bool SetSelected(TTreeNode* node);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { ChangeProperty(readOnly_, v, "ReadOnly"); }
  bool ShowLines() const { return showLines_; }
  void SetShowLines(bool v) { ChangeProperty(showLines_, v, "ShowLines"); }
  bool ShowRoot() const { return showRoot_; }
  void SetShowRoot(bool v) { ChangeProperty(showRoot_, v, "ShowRoot"); }
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { ChangeProperty(align_, v, "Align"); }
  // The index of Selected in Items; -1 when none.
  int SelectedIndex() const { return selected_ ? selected_->AbsoluteIndex() : -1; }

  bool UserSelectNode(int index);
  bool UserSetExpanded(int index, bool expanded);

  TTVChangingEvent OnChanging;
  TTVChangedEvent OnChange;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVExpandingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  TNotifyEvent OnDblClick;

 private:
  friend class TTreeNodes;
  friend class TTreeNode;
  bool TakesUserInput(int index) const;

  std::unique_ptr<TTreeNodes> items_;
  TTreeNode* selected_ = nullptr;
  bool readOnly_ = false;
  bool showLines_ = true;
  bool showRoot_ = true;
  TAlign align_ = alNone;
};

}  // namespace platform
