#include "toolkit/Timer.h"

namespace toolkit {

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

void Timer::SetInterval(unsigned milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  Changed();
}

void Timer::Tick() {
  if (enabled_ && OnTimer) OnTimer();
}

}  // namespace toolkit
