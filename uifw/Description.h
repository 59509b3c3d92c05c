#pragma once

// Parsing of window descriptions: the Window element's attributes (unknown ones kept as
// custom attributes), its fonts, and the control tree. Element names compare ignoring
// case; an element neither the framework nor the factory knows is skipped with its
// children.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "uifw/Control.h"
#include "uifw/Fonts.h"

namespace uifw {

// Makes a control for an element name the framework does not know, or returns nullptr.
using ControlFactory = std::function<std::unique_ptr<Control>(std::wstring_view element)>;

struct WindowDescription {
  SIZE size{};                                            // "size"
  RECT caption{};                                         // "caption": drag band l,t,r,b
  SIZE roundCorner{};                                     // "roundcorner"
  std::map<std::wstring, std::wstring> customAttributes;  // every other Window attribute
  FontTable fonts;
  std::unique_ptr<Control> root;  // nullptr when the description yields none

  // A custom attribute by exact name, or nullptr.
  const std::wstring* CustomAttribute(std::wstring_view name) const;
};

// Makes the built-in control for |element| (ignoring case), or nullptr.
std::unique_ptr<Control> CreateBuiltinControl(std::wstring_view element);

// Parses UTF-8 description |xml|. Returns false (and leaves |out| without root) when the text
// is not XML with a Window document element.
bool ParseDescription(std::string_view xml, const ControlFactory& factory, WindowDescription& out);

}  // namespace uifw
