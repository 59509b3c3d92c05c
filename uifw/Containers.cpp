#include "uifw/Containers.h"

#include <algorithm>

#include "uifw/Painter.h"

namespace uifw {
namespace {

// Lays out |children| along one axis: |horizontal| stacks left to right.
void Stack(const std::vector<std::unique_ptr<Control>>& children, const RECT& rect, bool horizontal) {
  int available = horizontal ? rect.right - rect.left : rect.bottom - rect.top;
  int flexible = 0;
  for (const auto& c : children) {
    if (!c->IsVisible()) continue;
    const RECT& p = c->Padding();
    available -= horizontal ? p.left + p.right : p.top + p.bottom;
    int fixed = horizontal ? c->FixedWidth() : c->FixedHeight();
    if (fixed > 0) {
      available -= fixed;
    } else {
      ++flexible;
    }
  }
  int share = flexible > 0 && available > 0 ? available / flexible : 0;
  int remainder = flexible > 0 && available > 0 ? available - share * flexible : 0;
  int cursor = horizontal ? rect.left : rect.top;
  int seenFlexible = 0;
  for (const auto& c : children) {
    if (!c->IsVisible()) continue;
    const RECT& p = c->Padding();
    int fixed = horizontal ? c->FixedWidth() : c->FixedHeight();
    int along = fixed;
    if (fixed <= 0) {
      along = share + (++seenFlexible == flexible ? remainder : 0);
    }
    int crossFixed = horizontal ? c->FixedHeight() : c->FixedWidth();
    RECT r;
    if (horizontal) {
      r.left = cursor + p.left;
      r.right = r.left + along;
      r.top = rect.top + p.top;
      r.bottom = crossFixed > 0 ? r.top + crossFixed : rect.bottom - p.bottom;
      cursor = r.right + p.right;
    } else {
      r.top = cursor + p.top;
      r.bottom = r.top + along;
      r.left = rect.left + p.left;
      r.right = crossFixed > 0 ? r.left + crossFixed : rect.right - p.right;
      cursor = r.bottom + p.bottom;
    }
    c->SetPos(r);
  }
}

}  // namespace

Control* Container::Add(std::unique_ptr<Control> child) {
  if (!child) return nullptr;
  child->SetParent(this);
  child->SetHost(host_);
  children_.push_back(std::move(child));
  NeedLayout();
  return children_.back().get();
}

bool Container::Remove(Control* child) {
  for (auto it = children_.begin(); it != children_.end(); ++it) {
    if (it->get() == child) {
      std::unique_ptr<Control> gone = std::move(*it);
      children_.erase(it);
      NeedLayout();
      return true;
    }
  }
  return false;
}

void Container::SetHost(ControlHost* host) {
  Control::SetHost(host);
  for (auto& c : children_) c->SetHost(host);
}

Control* Container::FindByName(std::wstring_view name) {
  if (name_ == name) return this;
  for (auto& c : children_) {
    if (Control* found = c->FindByName(name)) return found;
  }
  return nullptr;
}

Control* Container::ControlAt(POINT pt) {
  if (!visible_ || !::PtInRect(&rect_, pt)) return nullptr;
  for (size_t i = children_.size(); i-- > 0;) {
    if (!ShowsChild(i)) continue;
    if (Control* hit = children_[i]->ControlAt(pt)) return hit;
  }
  return this;
}

void Container::ReapplyLanguage() {
  Control::ReapplyLanguage();
  for (const auto& child : children_) child->ReapplyLanguage();
}

void Container::Paint(Painter& painter) {
  Control::Paint(painter);
  painter.PushClip(rect_);
  for (size_t i = 0; i < children_.size(); ++i) {
    if (ShowsChild(i)) {
      painter.PushClip(children_[i]->Pos());
      children_[i]->Paint(painter);
      painter.PopClip();
    }
  }
  painter.PopClip();
}

void VerticalLayout::SetPos(const RECT& rect) {
  Control::SetPos(rect);
  Stack(children_, rect, false);
}

void HorizontalLayout::SetPos(const RECT& rect) {
  Control::SetPos(rect);
  Stack(children_, rect, true);
}

void TabLayout::SetAttribute(std::wstring_view name, std::wstring_view value) {
  if (name == L"selectedid") {
    current_ = ParseInt(value);
  } else {
    Container::SetAttribute(name, value);
  }
}

void TabLayout::SetPos(const RECT& rect) {
  Control::SetPos(rect);
  for (auto& c : children_) {
    const RECT& p = c->Padding();
    RECT r{rect.left + p.left, rect.top + p.top, rect.right - p.right, rect.bottom - p.bottom};
    if (c->FixedWidth() > 0) r.right = r.left + c->FixedWidth();
    if (c->FixedHeight() > 0) r.bottom = r.top + c->FixedHeight();
    c->SetPos(r);
  }
}

bool TabLayout::SelectItem(int index, bool notify) {
  if (index < 0 || index >= static_cast<int>(children_.size())) return false;
  if (index == current_) return true;
  int old = current_;
  current_ = index;
  for (auto& c : children_) c->SetState(0);
  NeedLayout();
  Invalidate();
  if (notify) Notify(L"tabselect", static_cast<WPARAM>(index), static_cast<LPARAM>(old));
  return true;
}

}  // namespace uifw
