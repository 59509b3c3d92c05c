#include "uifw/Description.h"

#include <pugixml.hpp>

#include "uifw/Attributes.h"
#include "uifw/Combo.h"
#include "uifw/Containers.h"
#include "uifw/Controls.h"
#include "uifw/LanguageTable.h"

namespace uifw {
namespace {

std::wstring W(const char* utf8) {
  return Utf8ToWide(utf8 ? utf8 : "");
}

// The "ListLabelElement" children of a combo box become its items; one marked "selected"
// is the start selection.
void AddComboItems(const pugi::xml_node& node, Combo& combo) {
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() != pugi::node_element || !EqualsNoCase(W(child.name()), L"ListLabelElement")) continue;
    std::wstring text = W(child.attribute("text").value());
    const bool reference = LanguageTable::IsReference(text);
    combo.AddItem(LanguageTexts().Resolve(text), reference ? std::wstring_view(text) : std::wstring_view());
    if (ParseBool(W(child.attribute("selected").value()))) combo.SelectItem(combo.Count() - 1, false);
  }
}

std::unique_ptr<Control> BuildControl(const pugi::xml_node& node, const ControlFactory& factory) {
  std::wstring element = W(node.name());
  std::unique_ptr<Control> control = CreateBuiltinControl(element);
  if (!control && factory) control = factory(element);
  if (!control) return nullptr;
  for (const pugi::xml_attribute& a : node.attributes()) {
    std::wstring name = W(a.name());
    std::wstring value = W(a.value());
    if (name == L"text" && LanguageTable::IsReference(value)) {
      control->SetAttribute(name, LanguageTexts().Resolve(value));
      control->SetTextReference(value);
      continue;
    }
    control->SetAttribute(name, value);
  }
  if (auto* combo = dynamic_cast<Combo*>(control.get())) {
    AddComboItems(node, *combo);
    return control;
  }
  if (auto* container = dynamic_cast<Container*>(control.get())) {
    for (const pugi::xml_node& child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      if (auto made = BuildControl(child, factory)) container->Add(std::move(made));
    }
  }
  return control;
}

}  // namespace

const std::wstring* WindowDescription::CustomAttribute(std::wstring_view name) const {
  auto it = customAttributes.find(std::wstring(name));
  return it == customAttributes.end() ? nullptr : &it->second;
}

std::unique_ptr<Control> CreateBuiltinControl(std::wstring_view e) {
  if (EqualsNoCase(e, L"VerticalLayout")) return std::make_unique<VerticalLayout>();
  if (EqualsNoCase(e, L"HorizontalLayout")) return std::make_unique<HorizontalLayout>();
  if (EqualsNoCase(e, L"TabLayout")) return std::make_unique<TabLayout>();
  if (EqualsNoCase(e, L"Control")) return std::make_unique<Control>();
  if (EqualsNoCase(e, L"Label")) return std::make_unique<Label>();
  if (EqualsNoCase(e, L"Button")) return std::make_unique<Button>();
  if (EqualsNoCase(e, L"CheckBox")) return std::make_unique<CheckBox>();
  if (EqualsNoCase(e, L"Edit")) return std::make_unique<Edit>();
  if (EqualsNoCase(e, L"Progress")) return std::make_unique<Progress>();
  if (EqualsNoCase(e, L"Combo")) return std::make_unique<Combo>();
  return nullptr;
}

bool ParseDescription(std::string_view xml, const ControlFactory& factory, WindowDescription& out) {
  out.root.reset();
  pugi::xml_document doc;
  if (!doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8)) return false;
  pugi::xml_node window = doc.document_element();
  if (!window || !EqualsNoCase(W(window.name()), L"Window")) return false;

  for (const pugi::xml_attribute& a : window.attributes()) {
    std::wstring name = W(a.name());
    std::wstring value = W(a.value());
    if (name == L"size") {
      out.size = ParseSize(value);
    } else if (name == L"caption") {
      out.caption = ParseRect(value);
    } else if (name == L"roundcorner") {
      out.roundCorner = ParseSize(value);
    } else {
      out.customAttributes[name] = value;
    }
  }
  for (const pugi::xml_node& child : window.children()) {
    if (child.type() != pugi::node_element) continue;
    std::wstring element = W(child.name());
    if (EqualsNoCase(element, L"Font")) {
      FontInfo info;
      info.face = W(child.attribute("name").value());
      info.size = child.attribute("size").as_int(12);
      info.bold = ParseBool(W(child.attribute("bold").value()));
      info.italic = ParseBool(W(child.attribute("italic").value()));
      info.underline = ParseBool(W(child.attribute("underline").value()));
      out.fonts.Add(child.attribute("id").as_int(0), info, ParseBool(W(child.attribute("default").value())));
      continue;
    }
    if (out.root) continue;  // one root control; later elements are ignored
    out.root = BuildControl(child, factory);
  }
  return out.root != nullptr;
}

}  // namespace uifw
