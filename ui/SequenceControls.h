#pragma once

// Skin controls that animate by swapping their background image through a numbered series
// of images, one step per tick of their timer 2100: "SequenceLabel" and "SequenceButton".

#include <string>
#include <string_view>

#include "ui/SequenceFrames.h"
#include "uifw/Controls.h"

// The animation timer of both controls.
inline constexpr unsigned kSequenceTimerId = 2100;

// The animation state and attributes both controls share.
class CSequenceAnimation {
 public:
  explicit CSequenceAnimation(int32_t span, bool roundTrip) : span_(span) { frames_.roundTrip = roundTrip; }

  // Handles the animation's attributes; false for any other name.
  bool SetAttribute(std::wstring_view name, std::wstring_view value);

  void SetFramePattern(std::wstring_view pattern) { pattern_.assign(pattern); }
  const std::wstring& FramePattern() const { return pattern_; }
  void SetFrameCount(int32_t count) { frames_.count = count; }
  int32_t FrameCount() const { return frames_.count; }
  void SetStepPeriod(int32_t span) { span_ = span; }
  int32_t StepPeriod() const { return span_; }
  bool AutoStart() const { return autoStart_; }
  CSequenceFrames& Frames() { return frames_; }

  // One tick for |control|: shows the next frame as its background, or stops its timer.
  void Step(uifw::Control& control);
  // Starts |control|'s timer with the step period.
  void StartTimer(uifw::Control& control) const;

 private:
  std::wstring pattern_;
  CSequenceFrames frames_;
  int32_t span_;
  bool autoStart_ = false;
};

class CSequenceLabelUI : public uifw::Label {
 public:
  CSequenceLabelUI() : animation_(30, false) {}
  ~CSequenceLabelUI() override;

  std::wstring_view GetClass() const override { return L"SequenceLabel"; }
  void SetAttribute(std::wstring_view name, std::wstring_view value) override;
  bool OnTimer(UINT id) override;

  // After the control is attached to its window: starts the animation when auto start.
  void Init();
  // From frame 0, with the timer at the step period.
  void Start();
  // Stops the timer; the last frame stays.
  void Stop();

  CSequenceAnimation& Animation() { return animation_; }

 private:
  CSequenceAnimation animation_;
};

class CSequenceButtonUI : public uifw::Button {
 public:
  CSequenceButtonUI() : animation_(60, true) {}
  ~CSequenceButtonUI() override;

  std::wstring_view GetClass() const override { return L"SequenceButton"; }
  void SetAttribute(std::wstring_view name, std::wstring_view value) override;
  bool OnTimer(UINT id) override;

  // After the control is attached to its window: starts the animation when auto start.
  void Init();

  CSequenceAnimation& Animation() { return animation_; }

  // Texts shown instead of the control's text while the mouse is over it and while it is
  // pressed; empty: the control's text.
  void SetHotText(std::wstring_view text);
  const std::wstring& HotText() const { return hotText_; }
  void SetPushedText(std::wstring_view text);
  const std::wstring& PushedText() const { return pushedText_; }

  // While pressed, a non-zero offset draws the text in the control rectangle shrunk by it
  // (left and top moved in by l and t, right and bottom by r and b), so it seems to sink.
  const RECT& PressedTextOffset() const { return pressedTextOffset_; }
  void SetPressedTextOffset(const RECT& offset);

  // Copies byte |channel| (0 blue, 1 green, 2 red, 3 alpha) of every pixel of the 32-bit
  // DIB section |from| into the one of |to|. False when either is not a 32-bit DIB section,
  // their widths or heights differ, or |channel| is not 0 to 3.
  static bool CopyChannel(HBITMAP from, HBITMAP to, int channel);

 protected:
  void PaintText(uifw::Painter& painter) override;

 private:
  CSequenceAnimation animation_;
  std::wstring hotText_;
  std::wstring pushedText_;
  RECT pressedTextOffset_{};
};
