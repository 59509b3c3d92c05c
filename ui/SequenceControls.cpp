#include "ui/SequenceControls.h"

#include "uifw/Attributes.h"
#include "uifw/ControlHost.h"

bool CSequenceAnimation::SetAttribute(std::wstring_view name, std::wstring_view value) {
  if (name == L"sequencebkimage") {
    pattern_.assign(value);
  } else if (uifw::EqualsNoCase(name, L"sequencecount")) {
    frames_.count = SequenceNumber(value);
  } else if (uifw::EqualsNoCase(name, L"sequencespan")) {
    span_ = SequenceNumber(value);
  } else if (uifw::EqualsNoCase(name, L"sequenceloop")) {
    frames_.loop = SequenceFlag(value);
  } else if (uifw::EqualsNoCase(name, L"autostart")) {
    autoStart_ = SequenceFlag(value);
  } else if (uifw::EqualsNoCase(name, L"sequenceround")) {
    frames_.roundTrip = SequenceFlag(value);
  } else {
    return false;
  }
  return true;
}

void CSequenceAnimation::Step(uifw::Control& control) {
  if (pattern_.empty()) return;
  const CSequenceFrames::Step step = frames_.Next();
  if (step.show) {
    control.SetBkImage(FormatFramePath(pattern_, step.frame));
    control.Invalidate();
  }
  if (step.stop) control.StopTimer(kSequenceTimerId);
}

void CSequenceAnimation::StartTimer(uifw::Control& control) const {
  control.StartTimer(kSequenceTimerId, span_ > 0 ? static_cast<UINT>(span_) : 1u);
}

CSequenceLabelUI::~CSequenceLabelUI() {
  StopTimer(kSequenceTimerId);
}

void CSequenceLabelUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
  if (!animation_.SetAttribute(name, value)) uifw::Label::SetAttribute(name, value);
}

bool CSequenceLabelUI::OnTimer(UINT id) {
  // The base reports every tick; the identifier is not examined.
  if (!uifw::Label::OnTimer(id) && host_) host_->SendNotify(this, L"timer", id, 0, false);
  animation_.Step(*this);
  return true;
}

void CSequenceLabelUI::Init() {
  if (animation_.AutoStart()) animation_.StartTimer(*this);
}

void CSequenceLabelUI::Start() {
  animation_.Frames().Restart();
  animation_.StartTimer(*this);
}

void CSequenceLabelUI::Stop() {
  StopTimer(kSequenceTimerId);
}

CSequenceButtonUI::~CSequenceButtonUI() {
  StopTimer(kSequenceTimerId);
}

void CSequenceButtonUI::SetAttribute(std::wstring_view name, std::wstring_view value) {
  if (!animation_.SetAttribute(name, value)) uifw::Button::SetAttribute(name, value);
}

bool CSequenceButtonUI::OnTimer(UINT id) {
  if (!uifw::Button::OnTimer(id) && host_) host_->SendNotify(this, L"timer", id, 0, false);
  animation_.Step(*this);
  return true;
}

void CSequenceButtonUI::Init() {
  if (animation_.AutoStart()) animation_.StartTimer(*this);
}
