#include "toolkit/win32/TimerPeer.h"

namespace toolkit::win32 {

TimerPeer::TimerPeer(PeerContext& context, Timer& timer)
    : context_(context), timer_(timer), id_(context.AddTimer(timer)) {}

TimerPeer::~TimerPeer() { context_.RemoveTimer(id_); }

void TimerPeer::Sync() {
  const unsigned interval = timer_.Enabled() ? timer_.Interval() : 0;
  if (interval == running_) return;
  if (!interval) {
    KillTimer(context_.Utility(), id_);
    running_ = 0;
    return;
  }
  // An id already running starts over.
  running_ = SetTimer(context_.Utility(), id_, interval, nullptr) ? interval : 0;
}

}  // namespace toolkit::win32
