#pragma once

// The frame order of the frame-sequence controls, apart from any control: which frame the
// next timer tick shows and when the animation stops by itself.

#include <cstdint>
#include <string>
#include <string_view>

// One animation's position and options.
class CSequenceFrames {
 public:
  // What one tick does.
  struct Step {
    bool show = false;   // a frame is to be shown
    uint32_t frame = 0;  // the frame to show when |show|
    bool stop = false;   // the animation's timer is to stop
  };

  // Frame count 0 animates nothing; 1 shows frame 0 and stops.
  int32_t count = 0;
  bool loop = true;
  bool roundTrip = false;
  bool forward = true;  // current direction
  uint32_t index = 0;   // next frame to show

  // Advances by one tick.
  Step Next();

  // The animation is started again: from frame 0, in the current direction.
  void Restart() { index = 0; }
};

// |pattern| with its integer conversion (such as "%.3d") filled with |frame|; "%%" gives
// "%". Only the first conversion is filled and only an integer one: any other is kept as
// written, so a pattern can never make the formatter read what was not passed. At most
// 259 characters.
std::wstring FormatFramePath(std::wstring_view pattern, uint32_t frame);

// A flag attribute of the sequence controls: false exactly for "false".
inline bool SequenceFlag(std::wstring_view value) {
  return value != L"false";
}

// A number attribute: base 10 from the start, trailing text ignored, no digits reads 0.
int32_t SequenceNumber(std::wstring_view value);
