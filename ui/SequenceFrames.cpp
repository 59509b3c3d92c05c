#include "ui/SequenceFrames.h"

CSequenceFrames::Step CSequenceFrames::Next() {
  Step step;
  if (count <= 0) return step;
  if (count == 1) {
    // A single frame is a still image: show it and let the timer go.
    index = 0;
    step.show = true;
    step.stop = true;
    return step;
  }
  const uint32_t last = static_cast<uint32_t>(count) - 1;
  if (forward && index > last) {
    if (roundTrip) {
      forward = false;
      index = last - 1;
    } else {
      index = 0;
      if (!loop) {
        step.stop = true;
        return step;
      }
    }
  }
  if (!forward && index == 0) {
    if (roundTrip) forward = true;
    index = 0;
    if (!loop) {
      step.stop = true;
      return step;
    }
  }
  step.show = true;
  step.frame = index;
  index = forward ? index + 1 : index - 1;
  return step;
}
