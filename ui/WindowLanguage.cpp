#include "ui/WindowLanguage.h"

#include "uifw/Combo.h"
#include "uifw/Framework.h"
#include "uifw/LanguageTable.h"

namespace language {

int LoadLanguageTable(int index, std::wstring_view code) {
  const std::string* json = uifw::SharedPackage().Find(L"language.json");
  if (!json) return 0;
  const int resolved = ResolveIndex(index, code);
  for (const auto& [id, text] : ParseTable(*json, CodeOf(resolved))) uifw::LanguageTexts().Set(id, text);
  return resolved;
}

int LoadInstalledLanguage(const std::wstring& folder) {
  return LoadLanguageTable(0, ReadInstalledCode(folder));
}

std::wstring SelectedCode(const uifw::Combo* combo) {
  if (!combo) return {};
  const wchar_t* code = CodeOf(combo->CurSel());
  return code ? code : L"";
}

}  // namespace language
