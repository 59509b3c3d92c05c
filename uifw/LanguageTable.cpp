#include "uifw/LanguageTable.h"

namespace uifw {

const std::wstring* LanguageTable::Find(int id) const {
  auto it = texts_.find(id);
  return it == texts_.end() ? nullptr : &it->second;
}

std::wstring LanguageTable::Resolve(std::wstring_view value) const {
  if (value.size() < 4 || value.substr(0, 2) != L"%[" || value.back() != L']') return std::wstring(value);
  std::wstring_view digits = value.substr(2, value.size() - 3);
  if (digits.empty() || digits.size() > 9) return std::wstring(value);
  int id = 0;
  for (wchar_t c : digits) {
    if (c < L'0' || c > L'9') return std::wstring(value);
    id = id * 10 + (c - L'0');
  }
  const std::wstring* text = Find(id);
  return text ? *text : std::wstring(value);
}

LanguageTable& LanguageTexts() {
  static LanguageTable table;
  return table;
}

}  // namespace uifw
