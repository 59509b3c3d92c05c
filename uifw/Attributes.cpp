#include "uifw/Attributes.h"

#include <cwchar>

namespace uifw {
namespace {

wchar_t Lower(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

void SkipSpaces(std::wstring_view text, size_t& i) {
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t' || text[i] == L'\r' || text[i] == L'\n')) ++i;
}

}  // namespace

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool ContainsNoCase(std::wstring_view text, std::wstring_view word) {
  if (word.empty() || word.size() > text.size()) return false;
  for (size_t i = 0; i + word.size() <= text.size(); ++i) {
    if (EqualsNoCase(text.substr(i, word.size()), word)) return true;
  }
  return false;
}

bool ParseBool(std::wstring_view value) {
  return value == L"true";
}

int ParseInt(std::wstring_view value, int fallback) {
  int out = 0;
  return ParseInts(value, &out, 1) ? out : fallback;
}

bool ParseInts(std::wstring_view value, int* out, size_t count) {
  size_t i = 0;
  bool any = false;
  for (size_t k = 0; k < count; ++k) {
    out[k] = 0;
    SkipSpaces(value, i);
    bool negative = false;
    if (i < value.size() && (value[i] == L'-' || value[i] == L'+')) negative = value[i++] == L'-';
    bool digits = false;
    long long v = 0;
    while (i < value.size() && value[i] >= L'0' && value[i] <= L'9') {
      if (v < 100000000) v = v * 10 + (value[i] - L'0');
      ++i;
      digits = true;
    }
    if (!digits) {
      if (k == 0) return false;
      continue;
    }
    any = true;
    out[k] = static_cast<int>(negative ? -v : v);
    SkipSpaces(value, i);
    if (i < value.size() && value[i] == L',') ++i;
  }
  return any;
}

RECT ParseRect(std::wstring_view value) {
  int v[4];
  ParseInts(value, v, 4);
  return RECT{v[0], v[1], v[2], v[3]};
}

SIZE ParseSize(std::wstring_view value) {
  int v[2];
  ParseInts(value, v, 2);
  return SIZE{v[0], v[1]};
}

bool ParseColor(std::wstring_view value, uint32_t& argb) {
  size_t i = 0;
  SkipSpaces(value, i);
  if (i < value.size() && value[i] == L'#') ++i;
  if (i + 1 < value.size() && value[i] == L'0' && (value[i + 1] == L'x' || value[i + 1] == L'X')) i += 2;
  uint32_t v = 0;
  bool digits = false;
  for (; i < value.size(); ++i) {
    wchar_t c = Lower(value[i]);
    int d;
    if (c >= L'0' && c <= L'9') {
      d = c - L'0';
    } else if (c >= L'a' && c <= L'f') {
      d = c - L'a' + 10;
    } else {
      break;
    }
    v = (v << 4) | static_cast<uint32_t>(d);
    digits = true;
  }
  if (!digits) return false;
  argb = v;
  return true;
}

ImageSpec ParseImageSpec(std::wstring_view value) {
  ImageSpec look;
  if (value.find(L'=') == std::wstring_view::npos || value.find(L'\'') == std::wstring_view::npos) {
    size_t b = 0, e = value.size();
    while (b < e && value[b] == L' ') ++b;
    while (e > b && value[e - 1] == L' ') --e;
    look.file.assign(value.substr(b, e - b));
    return look;
  }
  size_t i = 0;
  while (i < value.size()) {
    SkipSpaces(value, i);
    size_t eq = value.find(L'=', i);
    if (eq == std::wstring_view::npos) break;
    std::wstring_view key = value.substr(i, eq - i);
    while (!key.empty() && key.back() == L' ') key.remove_suffix(1);
    size_t open = value.find(L'\'', eq);
    if (open == std::wstring_view::npos) break;
    size_t close = value.find(L'\'', open + 1);
    if (close == std::wstring_view::npos) break;
    std::wstring_view v = value.substr(open + 1, close - open - 1);
    i = close + 1;
    if (key == L"file" || key == L"res") {
      look.file.assign(v);
    } else if (key == L"dest") {
      look.dest = ParseRect(v);
      look.hasDest = true;
    } else if (key == L"source") {
      look.source = ParseRect(v);
      look.hasSource = true;
    } else if (key == L"corner") {
      look.corner = ParseRect(v);
    } else if (key == L"mask") {
      look.hasMask = ParseColor(v, look.mask);
    } else if (key == L"fade") {
      look.fade = ParseInt(v, 255);
      if (look.fade < 0) look.fade = 0;
      if (look.fade > 255) look.fade = 255;
    } else if (key == L"hole") {
      look.hole = ParseBool(v);
    } else if (key == L"xtiled") {
      look.xtiled = ParseBool(v);
    } else if (key == L"ytiled") {
      look.ytiled = ParseBool(v);
    }
  }
  return look;
}

}  // namespace uifw
