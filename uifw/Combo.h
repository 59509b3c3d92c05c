#pragma once

// A drop-down choice: painted like a button showing the selected item's text; a click opens
// the items as a popup menu under the control. A description gives the items as
// "ListLabelElement" children whose "text" may be a language reference.

#include <string>
#include <string_view>
#include <vector>

#include "uifw/Controls.h"

namespace uifw {

class Combo : public Button {
 public:
  Combo() { textStyle_ = kAlignLeft | kVAlignCenter; }
  std::wstring_view GetClass() const override { return L"Combo"; }
  // Opens the item list; the chosen item is selected with notification.
  void Activate() override;
  void ReapplyLanguage() override;

  // Appends an item; |reference| is the "%[id]" its text came from, or empty.
  void AddItem(std::wstring_view text, std::wstring_view reference = {});
  int Count() const { return static_cast<int>(items_.size()); }
  // The text of item |index|; empty outside the list.
  std::wstring ItemText(int index) const;
  // The selected index, -1 when nothing is selected.
  int CurSel() const { return current_; }
  // Selects item |index| and shows its text. Indexes outside the list are refused (false);
  // the selected index is accepted without effect. With |notify| a change sends
  // "itemselect" (wParam the new index, lParam the old one).
  bool SelectItem(int index, bool notify = true);

 private:
  struct Item {
    std::wstring text;
    std::wstring reference;
  };
  std::vector<Item> items_;
  int current_ = -1;
};

}  // namespace uifw
