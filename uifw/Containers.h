#pragma once

// Controls that hold children: the vertical and horizontal stacks and the tab layout.
//
// Layout rule: along the stacking direction a child with a fixed size gets exactly that
// size and the remaining space is shared equally by the children without one (the last
// flexible child takes the rounding remainder); across it a child with a fixed size keeps
// it and one without fills the layout. Invisible children take no space. Padding is an
// outer margin inside the parent.

#include <memory>
#include <vector>

#include "uifw/Control.h"

namespace uifw {

class Container : public Control {
 public:
  std::wstring_view GetClass() const override { return L"Container"; }

  // Appends |child| (owned from now on).
  Control* Add(std::unique_ptr<Control> child);
  // Removes and destroys |child| (its timers stop). False when it is not a child.
  bool Remove(Control* child);
  size_t Count() const { return children_.size(); }
  Control* ChildAt(size_t index) const { return index < children_.size() ? children_[index].get() : nullptr; }

  void SetHost(ControlHost* host) override;
  Control* FindByName(std::wstring_view name) override;
  Control* ControlAt(POINT pt) override;
  void Paint(Painter& painter) override;
  void ReapplyLanguage() override;

 protected:
  // Whether child |index| is shown (tab layouts show only one).
  virtual bool ShowsChild(size_t index) const { return children_[index]->IsVisible(); }

  std::vector<std::unique_ptr<Control>> children_;
};

class VerticalLayout : public Container {
 public:
  std::wstring_view GetClass() const override { return L"VerticalLayout"; }
  void SetPos(const RECT& rect) override;
};

class HorizontalLayout : public Container {
 public:
  std::wstring_view GetClass() const override { return L"HorizontalLayout"; }
  void SetPos(const RECT& rect) override;
};

// Shows exactly one child, initially the first (or the one "selectedid" names).
class TabLayout : public Container {
 public:
  std::wstring_view GetClass() const override { return L"TabLayout"; }
  void SetAttribute(std::wstring_view name, std::wstring_view value) override;
  void SetPos(const RECT& rect) override;

  int CurrentSel() const { return current_; }
  // Shows child |index|. Out-of-range indexes are refused (false); the current index is
  // accepted without effect. With |notify| a change sends "tabselect" (wParam new index,
  // lParam old index).
  bool SelectItem(int index, bool notify = true);

 protected:
  bool ShowsChild(size_t index) const override { return static_cast<int>(index) == current_; }

 private:
  int current_ = 0;
};

}  // namespace uifw
