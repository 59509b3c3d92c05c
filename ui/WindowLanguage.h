#pragma once

// The window side of the language choice: the skin package's language table loaded into the
// framework's text table, and the code the package is given.

#include <string>
#include <string_view>

#include "ui/LanguageChoice.h"

namespace uifw {
class Combo;
}

namespace language {

// Fills the framework's language text table from the skin package's "language.json" with
// the texts of the language that ResolveIndex(|index|, |code|) gives, and returns that index.
// Without "language.json" it returns 0 and changes nothing.
int LoadLanguageTable(int index, std::wstring_view code);

// The installed copy in |folder|: loads the table for its language (an empty or unknown code
// gives "en-US") and returns the index.
int LoadInstalledLanguage(const std::wstring& folder);

// The code for the package: that of the combo box's selected index; empty without a combo
// box or for an index outside the table.
std::wstring SelectedCode(const uifw::Combo* combo);

}  // namespace language
