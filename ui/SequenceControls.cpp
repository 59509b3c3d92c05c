#include "ui/SequenceControls.h"

#include "uifw/Attributes.h"
#include "uifw/ControlHost.h"
#include "uifw/Painter.h"

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

void CSequenceButtonUI::SetHotText(std::wstring_view text) {
  hotText_.assign(text);
  Invalidate();
}

void CSequenceButtonUI::SetPushedText(std::wstring_view text) {
  pushedText_.assign(text);
  Invalidate();
}

void CSequenceButtonUI::SetPressedTextOffset(const RECT& offset) {
  pressedTextOffset_ = offset;
  Invalidate();
}

void CSequenceButtonUI::PaintText(uifw::Painter& painter) {
  const bool pushed = (state_ & uifw::kStatePushed) != 0;
  const bool hot = (state_ & (uifw::kStatePushed | uifw::kStateHot)) != 0;
  const std::wstring& text = enabled_ && pushed && !pushedText_.empty() ? pushedText_
                             : enabled_ && hot && !hotText_.empty()    ? hotText_
                                                                       : text_;
  const RECT& o = pressedTextOffset_;
  if (!pushed || (o.left == 0 && o.top == 0 && o.right == 0 && o.bottom == 0)) {
    const RECT r{rect_.left + textPadding_.left, rect_.top + textPadding_.top, rect_.right - textPadding_.right,
                 rect_.bottom - textPadding_.bottom};
    painter.DrawText(r, text, font_, CurrentTextColor(), textStyle_);
    return;
  }
  const RECT r{rect_.left + o.left, rect_.top + o.top, rect_.right - o.right, rect_.bottom - o.bottom};
  const uint32_t color = !enabled_ ? disabledTextColor_ : pushedTextColor_ ? pushedTextColor_ : textColor_;
  painter.DrawText(r, text, font_, color, textStyle_);
}

bool CSequenceButtonUI::CopyChannel(HBITMAP from, HBITMAP to, int channel) {
  if (channel < 0 || channel > 3) return false;
  DIBSECTION source{}, target{};
  if (::GetObjectW(from, sizeof(source), &source) != sizeof(source) ||
      ::GetObjectW(to, sizeof(target), &target) != sizeof(target)) {
    return false;
  }
  const BITMAP& s = source.dsBm;
  const BITMAP& t = target.dsBm;
  if (s.bmBitsPixel != 32 || t.bmBitsPixel != 32 || !s.bmBits || !t.bmBits) return false;
  if (s.bmWidth != t.bmWidth || s.bmHeight != t.bmHeight) return false;
  ::GdiFlush();  // pending drawing into either bitmap lands first
  for (LONG y = 0; y < s.bmHeight; ++y) {
    const auto* in = static_cast<const uint8_t*>(s.bmBits) + static_cast<size_t>(y) * static_cast<size_t>(s.bmWidthBytes);
    auto* out = static_cast<uint8_t*>(t.bmBits) + static_cast<size_t>(y) * static_cast<size_t>(t.bmWidthBytes);
    for (LONG x = 0; x < s.bmWidth; ++x) out[x * 4 + channel] = in[x * 4 + channel];
  }
  return true;
}
