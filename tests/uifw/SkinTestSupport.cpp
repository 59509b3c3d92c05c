#include "tests/uifw/SkinTestSupport.h"

#include "uifw/Controls.h"
#include "uifw/Framework.h"

namespace skin_test {

uifw::SkinPackage& Package() {
  uifw::SetInstance(::GetModuleHandleW(nullptr));
  uifw::OpenSharedPackage(147);
  return uifw::SharedPackage();
}

bool ParseSkin(const std::wstring& file, uifw::WindowDescription& out, const uifw::ControlFactory& factory) {
  const std::string* xml = Package().Find(file);
  return xml && uifw::ParseDescription(*xml, factory, out);
}

uifw::ControlFactory SequenceLabelFactory() {
  return [](std::wstring_view element) -> std::unique_ptr<uifw::Control> {
    if (uifw::EqualsNoCase(element, L"SequenceLabel")) return std::make_unique<uifw::Label>();
    return nullptr;
  };
}

bool PumpUntil(const std::function<bool()>& done) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > 10000) return done();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return true;
}

HWND RecordingFrame::CreateTest(HWND parent, bool visible) {
  DWORD style = WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0);
  return Create(parent, L"青蓝工坊", style, 0);
}

void RecordingFrame::Notify(uifw::Notification& n) {
  notifications.push_back(Seen{n.type, n.sender, n.wParam, n.lParam, ::GetCurrentThreadId()});
  CSkinFrame::Notify(n);
}

void RecordingFrame::InitWindow() {
  CSkinFrame::InitWindow();
  initialised = true;
}

std::unique_ptr<uifw::Control> RecordingFrame::CreateControl(std::wstring_view element) {
  if (sequenceLabels_) return SequenceLabelFactory()(element);
  return nullptr;
}

LRESULT RecordingFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) keyDowns.push_back(wParam);
  return CSkinFrame::HandleMessage(message, wParam, lParam);
}

std::vector<std::wstring> Types(const std::vector<RecordingFrame::Seen>& seen) {
  std::vector<std::wstring> types;
  for (const auto& s : seen) types.push_back(s.type);
  return types;
}

POINT Center(const RECT& r) {
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace skin_test
