#include "uifw/Combo.h"

#include "uifw/ControlHost.h"
#include "uifw/LanguageTable.h"
#include "utils/Handles.h"

namespace uifw {

void Combo::Activate() {
  HWND window = host_ ? host_->Window() : nullptr;
  if (!window || !enabled_ || items_.empty()) return;
  Utils::UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  for (size_t i = 0; i < items_.size(); ++i) {
    UINT flags = MF_STRING | (static_cast<int>(i) == current_ ? MF_CHECKED : MF_UNCHECKED);
    ::AppendMenuW(menu.Get(), flags, i + 1, items_[i].text.c_str());
  }
  POINT corner{rect_.left, rect_.bottom};
  ::ClientToScreen(window, &corner);
  // A popup of a window that is not in front would not close when the user clicks elsewhere.
  ::SetForegroundWindow(window);
  const UINT_PTR chosen = static_cast<UINT_PTR>(::TrackPopupMenuEx(
      menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY, corner.x, corner.y, window, nullptr));
  if (chosen >= 1 && chosen <= items_.size()) SelectItem(static_cast<int>(chosen - 1), true);
}

void Combo::ReapplyLanguage() {
  for (Item& item : items_) {
    if (!item.reference.empty()) item.text = LanguageTexts().Resolve(item.reference);
  }
  const std::wstring shown = ItemText(current_);
  if (shown != text_) {
    text_ = shown;
    Invalidate();
  }
}

void Combo::AddItem(std::wstring_view text, std::wstring_view reference) {
  items_.push_back(Item{std::wstring(text), std::wstring(reference)});
}

std::wstring Combo::ItemText(int index) const {
  return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)].text : std::wstring();
}

bool Combo::SelectItem(int index, bool notify) {
  if (index < 0 || index >= Count()) return false;
  if (index == current_) return true;
  const int old = current_;
  current_ = index;
  SetText(items_[static_cast<size_t>(index)].text);
  if (notify) Notify(L"itemselect", static_cast<WPARAM>(index), static_cast<LPARAM>(old));
  return true;
}

}  // namespace uifw
