#include "ui/LanguageChoice.h"

#include "utils/JsonReader.h"
#include "utils/ProductFiles.h"
#include "utils/TextConvert.h"

namespace language {

namespace {

const wchar_t* const kCodes[kLanguageCount] = {L"en-US", L"zh-CN", L"zh-TW", L"id-ID", L"tr-TR", L"de-DE", L"fr-FR",
                                               L"es-ES", L"pt-PT", L"ja-JP", L"ko-KR", L"pl-PL", L"nl-NL", L"it-IT"};

}  // namespace

const wchar_t* CodeOf(int index) {
  return index >= 0 && index < kLanguageCount ? kCodes[index] : nullptr;
}

int IndexForLangId(LANGID langId) {
  switch (langId) {
    case 0x0409:
      return 0;
    case 0x0404:
      return 2;
    case 0x0421:
      return 3;
    case 0x041F:
      return 4;
    case 0x0407:
      return 5;
    case 0x040C:
      return 6;
    case 0x0416:
      return 8;
    case 0x0411:
      return 9;
    case 0x0412:
      return 10;
    case 0x0415:
      return 11;
    case 0x0413:
    case 0x0813:
      return 12;
    case 0x0410:
      return 13;
    default:
      break;
  }
  // The twenty Spanish variants: primary language 0x0A, sublanguages 1 to 20.
  if ((langId & 0x3FF) == 0x00A && (langId >> 10) >= 1 && (langId >> 10) <= 20) return 7;
  return 0;
}

int ResolveIndex(int index, std::wstring_view code) {
  if (!code.empty()) {
    for (int i = 0; i < kLanguageCount; ++i) {
      if (code == kCodes[i]) return i;
    }
    return index;
  }
  return index >= 0 && index < kLanguageCount ? index : 0;
}

int InitialIndex(int settingsLanguage, LANGID uiLanguage) {
  return settingsLanguage == -1 ? IndexForLangId(uiLanguage) : settingsLanguage;
}

std::map<int, std::wstring> ParseTable(std::string_view json, std::wstring_view code) {
  std::map<int, std::wstring> texts;
  if (json.empty() || json.size() > kMaxTableBytes) return texts;
  Utils::JsonValue root;
  if (!Utils::ParseJson(json, root)) return texts;
  const std::string member = Utils::WideToUtf8(code);
  auto take = [&](const Utils::JsonValue& element) {
    // Elements that are not objects with a whole-number id are skipped.
    if (element.kind != Utils::JsonValue::Kind::kObject) return;
    const Utils::JsonValue* id = element.Find("id");
    if (!id || !id->IsInt()) return;
    const Utils::JsonValue* text = element.Find(member);
    texts[id->AsInt()] =
        text && text->kind == Utils::JsonValue::Kind::kString ? Utils::Utf8ToWide(text->text) : std::wstring();
  };
  if (root.kind == Utils::JsonValue::Kind::kArray) {
    for (const Utils::JsonValue& element : root.items) take(element);
  } else if (root.kind == Utils::JsonValue::Kind::kObject) {
    for (const auto& [name, element] : root.members) take(element);
  }
  return texts;
}

std::wstring ReadInstalledCode(const std::wstring& folder) {
  const std::wstring file = Utils::InstalledLanguagePath(folder);
  if (::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
  wchar_t code[260] = {};
  ::GetPrivateProfileStringW(L"Install", L"Language", L"en-US", code, 260, file.c_str());
  return code;
}

}  // namespace language
