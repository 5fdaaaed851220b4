#pragma once
// Where a control's events go: the host's sink, as the server connects it. Firing is one call
// of the event's DISPID; whatever the host's handler does is never reported back.

namespace framework {

enum EventDispid : int { kOnCreate = 1, kOnDestroy = 2, kOnData = 3 };

class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void Fire(int dispid) = 0;
};

}  // namespace framework
