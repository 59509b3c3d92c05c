// Prints where the named controls of a skin description lie once laid out at the
// description's size, one "name left top right bottom" line each (client coordinates), so
// that tests can click control centres without hard-coding positions.
//   layout_probe.exe <description> [name=visible|hidden ...]
// The optional pairs set a control's visibility before the layout (as pages do).

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "ui/SequenceControls.h"
#include "uifw/Attributes.h"
#include "uifw/Containers.h"
#include "uifw/Framework.h"
#include "uifw/WindowContent.h"

namespace {

void Dump(uifw::Control* control) {
  if (!control) return;
  if (!control->Name().empty()) {
    const RECT& r = control->Pos();
    std::printf("%s %ld %ld %ld %ld\n", uifw::WideToUtf8(control->Name()).c_str(), r.left, r.top, r.right, r.bottom);
  }
  if (auto* container = dynamic_cast<uifw::Container*>(control)) {
    for (size_t i = 0; i < container->Count(); ++i) Dump(container->ChildAt(i));
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: layout_probe <description> [name=visible|hidden ...]\n");
    return 2;
  }
  uifw::SetInstance(::GetModuleHandleW(nullptr));
  uifw::SetPackageFormat(uifw::PackageFormat::SevenZip);
  if (!uifw::OpenSharedPackage(147)) return 1;
  const std::string* xml = uifw::SharedPackage().Find(argv[1]);
  if (!xml) return 1;
  uifw::WindowDescription description;
  const bool parsed = uifw::ParseDescription(
      *xml,
      [](std::wstring_view element) -> std::unique_ptr<uifw::Control> {
        if (uifw::EqualsNoCase(element, L"SequenceLabel")) return std::make_unique<CSequenceLabelUI>();
        if (uifw::EqualsNoCase(element, L"SequenceButton")) return std::make_unique<CSequenceButtonUI>();
        return nullptr;
      },
      description);
  if (!parsed) return 1;
  const SIZE size = description.size;
  uifw::WindowContent content;
  content.SetPackage(&uifw::SharedPackage());
  content.Attach(std::move(description));
  for (int i = 2; i < argc; ++i) {
    const std::wstring pair = argv[i];
    const size_t equals = pair.find(L'=');
    if (equals == std::wstring::npos) continue;
    if (uifw::Control* control = content.FindControl(pair.substr(0, equals))) {
      control->SetVisible(pair.substr(equals + 1) == L"visible");
    }
  }
  content.Layout(size);
  std::printf("window 0 0 %ld %ld\n", size.cx, size.cy);
  Dump(content.Root());
  return 0;
}
