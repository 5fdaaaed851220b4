#pragma once
// Where debug mode's lines go: the debug terminal, which whoever starts the layer shows. Beside
// the seam, so that the terminal needs nothing of a back end.
#include <string>

namespace hpib {

// Called under the layer's lock, from any thread: it must not call back into the layer, and may
// wait only for a thread that never takes the layer's lock.
class BusLog {
 public:
  virtual ~BusLog() = default;
  virtual void Log(const std::wstring& line) = 0;
};

}  // namespace hpib
