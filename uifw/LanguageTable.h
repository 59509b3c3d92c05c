#pragma once

// The process-wide language text table: numeric ids to texts, filled by the application
// (for example from its language file) before windows are created.
//
// A description refers to an entry by writing the whole attribute value as "%[id]", for
// example text="%[104]". The reference is resolved when the description is parsed; an id the
// table does not hold leaves the value as written, so a missing entry stays visible.
// Controls keep the reference, so a window can take the texts of a new table later
// (Control::ReapplyLanguage).

#include <map>
#include <string>
#include <string_view>

namespace uifw {

class LanguageTable {
 public:
  void Set(int id, std::wstring_view text) { texts_[id].assign(text); }
  void Clear() { texts_.clear(); }
  // The text of |id|, or nullptr.
  const std::wstring* Find(int id) const;
  // |value| with a "%[id]" reference replaced by its text (see above).
  std::wstring Resolve(std::wstring_view value) const;
  // True when the whole of |value| is a "%[id]" reference.
  static bool IsReference(std::wstring_view value);

 private:
  std::map<int, std::wstring> texts_;
};

// The table every window uses.
LanguageTable& LanguageTexts();

}  // namespace uifw
