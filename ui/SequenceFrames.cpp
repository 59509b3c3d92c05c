#include "ui/SequenceFrames.h"

#include <cstdio>
#include <cwchar>

CSequenceFrames::Step CSequenceFrames::Next() {
  Step step;
  if (count <= 0) return step;
  if (count == 1) {
    // A single frame is a still image: show it and let the timer go.
    index = 0;
    step.show = true;
    step.stop = true;
    return step;
  }
  const uint32_t last = static_cast<uint32_t>(count) - 1;
  if (forward && index > last) {
    if (roundTrip) {
      forward = false;
      index = last - 1;
    } else {
      index = 0;
      if (!loop) {
        step.stop = true;
        return step;
      }
    }
  }
  if (!forward && index == 0) {
    if (roundTrip) forward = true;
    index = 0;
    if (!loop) {
      step.stop = true;
      return step;
    }
  }
  step.show = true;
  step.frame = index;
  index = forward ? index + 1 : index - 1;
  return step;
}

std::wstring FormatFramePath(std::wstring_view pattern, uint32_t frame) {
  std::wstring out;
  bool filled = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != L'%') {
      out += pattern[i];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == L'%') {
      out += L'%';
      ++i;
      continue;
    }
    // Flags, width, precision, then the conversion letter.
    size_t j = i + 1;
    while (j < pattern.size() && std::wcschr(L"-+ 0#", pattern[j]) && pattern[j] != 0) ++j;
    while (j < pattern.size() && pattern[j] >= L'0' && pattern[j] <= L'9') ++j;
    if (j < pattern.size() && pattern[j] == L'.') {
      ++j;
      while (j < pattern.size() && pattern[j] >= L'0' && pattern[j] <= L'9') ++j;
    }
    if (!filled && j < pattern.size() && j - i < 16 && std::wcschr(L"diuxXo", pattern[j]) && pattern[j] != 0) {
      std::wstring spec(pattern.substr(i, j - i + 1));
      wchar_t number[64] = {};
      std::swprintf(number, 64, spec.c_str(), static_cast<unsigned>(frame));
      out += number;
      filled = true;
      i = j;
      continue;
    }
    out += pattern[i];
  }
  if (out.size() > 259) out.resize(259);
  return out;
}

int32_t SequenceNumber(std::wstring_view value) {
  size_t i = 0;
  bool negative = false;
  if (i < value.size() && (value[i] == L'-' || value[i] == L'+')) negative = value[i++] == L'-';
  int64_t number = 0;
  for (; i < value.size() && value[i] >= L'0' && value[i] <= L'9'; ++i) {
    number = number * 10 + (value[i] - L'0');
    if (number > INT32_MAX) number = INT32_MAX;
  }
  return static_cast<int32_t>(negative ? -number : number);
}
