#include "uifw/LanguageTable.h"

namespace uifw {

const std::wstring* LanguageTable::Find(int id) const {
  auto it = texts_.find(id);
  return it == texts_.end() ? nullptr : &it->second;
}

namespace {

// The id of a whole-value "%[id]" reference, or -1.
int ReferenceId(std::wstring_view value) {
  if (value.size() < 4 || value.substr(0, 2) != L"%[" || value.back() != L']') return -1;
  std::wstring_view digits = value.substr(2, value.size() - 3);
  if (digits.empty() || digits.size() > 9) return -1;
  int id = 0;
  for (wchar_t c : digits) {
    if (c < L'0' || c > L'9') return -1;
    id = id * 10 + (c - L'0');
  }
  return id;
}

}  // namespace

bool LanguageTable::IsReference(std::wstring_view value) {
  return ReferenceId(value) >= 0;
}

std::wstring LanguageTable::Resolve(std::wstring_view value) const {
  const int id = ReferenceId(value);
  const std::wstring* text = id >= 0 ? Find(id) : nullptr;
  return text ? *text : std::wstring(value);
}

LanguageTable& LanguageTexts() {
  static LanguageTable table;
  return table;
}

}  // namespace uifw
