#pragma once
// A model timer as a window timer of the platform's utility window.
#include "toolkit/win32/SystemHeaders.h"

#include "toolkit/Timer.h"
#include "toolkit/win32/PeerContext.h"

namespace toolkit::win32 {

class TimerPeer final : public Peer {
 public:
  TimerPeer(PeerContext& context, Timer& timer);
  ~TimerPeer() override;
  TimerPeer(const TimerPeer&) = delete;
  TimerPeer& operator=(const TimerPeer&) = delete;

  // Starts, stops or restarts the window timer; the same state again leaves it running as it is.
  void Sync() override;

 private:
  PeerContext& context_;
  Timer& timer_;
  UINT_PTR id_;
  unsigned running_ = 0;  // the interval it runs with, 0 while stopped
};

}  // namespace toolkit::win32
