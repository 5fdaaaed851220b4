#pragma once
// A periodic window timer. While enabled it ticks once per interval; enabling a timer that is
// already enabled leaves its interval running, and changing the interval starts it over.
#include <functional>

#include "toolkit/Component.h"

namespace toolkit {

class Timer : public Component {
 public:
  using Component::Component;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned milliseconds);
  std::function<void()> OnTimer;
  // Called by the peer when the interval has passed.
  void Tick();

 private:
  bool enabled_ = true;
  unsigned interval_ = 1000;
};

}  // namespace toolkit
