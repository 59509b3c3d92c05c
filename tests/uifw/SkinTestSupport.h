#pragma once

// Helpers for the framework tests: the skin package embedded in the test program, parsed
// descriptions, a frame window whose hooks record what they see, and a bounded message pump.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/SkinFrame.h"
#include "uifw/Description.h"
#include "uifw/SkinPackage.h"

namespace skin_test {

// The shared package opened from this program's resource 147 (asserted open by callers).
uifw::SkinPackage& Package();

// Parses member |file| of the package with |factory|; false when missing or without root.
bool ParseSkin(const std::wstring& file, uifw::WindowDescription& out, const uifw::ControlFactory& factory = nullptr);

// A control for "SequenceLabel" elements, standing in for the installer's own class.
uifw::ControlFactory SequenceLabelFactory();

// Pumps messages until |done| answers true or about ten seconds passed; returns done().
bool PumpUntil(const std::function<bool()>& done);

// A CSkinFrame that records the notifications and key-downs it sees.
class RecordingFrame : public CSkinFrame {
 public:
  explicit RecordingFrame(const std::wstring& skinFile, bool withSequenceLabels = false)
      : CSkinFrame(SkinFrameInfo::ForSkinFile(skinFile)), sequenceLabels_(withSequenceLabels) {}
  explicit RecordingFrame(const SkinFrameInfo& info) : CSkinFrame(info) {}

  // Creates the window hidden (no WS_VISIBLE) unless |visible|.
  HWND CreateTest(HWND parent = nullptr, bool visible = false);

  struct Seen {
    std::wstring type;
    uifw::Control* sender;
    WPARAM wParam;
    LPARAM lParam;
    DWORD thread;
  };
  std::vector<Seen> notifications;
  std::vector<WPARAM> keyDowns;
  bool initialised = false;

  void Notify(uifw::Notification& n) override;

 protected:
  void InitWindow() override;
  std::unique_ptr<uifw::Control> CreateControl(std::wstring_view element) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool sequenceLabels_ = false;
};

// Types of the recorded notifications, in order.
std::vector<std::wstring> Types(const std::vector<RecordingFrame::Seen>& seen);

// Centre of a rectangle.
POINT Center(const RECT& r);

}  // namespace skin_test
