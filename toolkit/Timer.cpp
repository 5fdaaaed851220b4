#include "toolkit/Timer.h"

namespace toolkit {

void Timer::SetEnabled(bool enabled) { Update(enabled_, enabled); }

void Timer::SetInterval(unsigned milliseconds) { Update(interval_, milliseconds); }

void Timer::Tick() {
  if (enabled_ && OnTimer) OnTimer();
}

}  // namespace toolkit
