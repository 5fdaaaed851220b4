#include "toolkit/headless/HeadlessPlatform.h"

#include <limits>

#include "toolkit/Form.h"

namespace toolkit {

class HeadlessPlatform::TimerPeer : public Peer {
 public:
  TimerPeer(HeadlessPlatform& platform, Timer& timer) : platform_(platform), timer_(timer) {}
  ~TimerPeer() override { platform_.schedules_.erase(&timer_); }
  void Sync() override {
    auto& schedules = platform_.schedules_;
    auto it = schedules.find(&timer_);
    bool run = timer_.Enabled() && timer_.Interval() > 0;
    if (!run) {
      if (it != schedules.end()) schedules.erase(it);
    } else if (it == schedules.end() || it->second.interval != timer_.Interval()) {
      schedules[&timer_] = {&timer_, platform_.now_ + timer_.Interval(), timer_.Interval(), platform_.order_++};
    }
  }

 private:
  HeadlessPlatform& platform_;
  Timer& timer_;
};

// Installs itself for its own life, and puts back what was there before.
HeadlessPlatform::HeadlessPlatform() : previous_(SetCurrentPlatform(this)) {}

HeadlessPlatform::~HeadlessPlatform() { SetCurrentPlatform(previous_); }

std::unique_ptr<Peer> HeadlessPlatform::CreatePeer(Component& component) {
  ++realizedComponents;
  if (auto* timer = dynamic_cast<Timer*>(&component)) return std::make_unique<TimerPeer>(*this, *timer);
  return nullptr;
}

void HeadlessPlatform::Advance(std::uint64_t milliseconds) {
  const std::uint64_t end = now_ + milliseconds;
  for (;;) {
    Schedule* next = nullptr;
    for (auto& [timer, schedule] : schedules_)
      if (!next || schedule.due < next->due || (schedule.due == next->due && schedule.order < next->order))
        next = &schedule;
    if (!next || next->due > end) break;
    now_ = next->due;
    // Periodic, like a window timer: the next interval starts at this tick.
    next->due += next->interval;
    next->order = order_++;
    Timer* timer = next->timer;
    DispatchUserEvent(*timer, [timer] { timer->Tick(); });
  }
  now_ = end;
}

void HeadlessPlatform::Post(Form& form) {
  std::lock_guard<std::mutex> lock(postedMutex_);
  posted_.push_back(&form);
}

void HeadlessPlatform::RunPosted() {
  std::vector<Form*> posted;
  {
    std::lock_guard<std::mutex> lock(postedMutex_);
    posted.swap(posted_);
  }
  for (Form* form : posted)
    if (form->OnPosted) DispatchUserEvent(*form, form->OnPosted);
}

bool HeadlessPlatform::Scheduled(const Timer& timer) const { return schedules_.count(&timer) != 0; }

std::uint64_t HeadlessPlatform::NextTick(const Timer& timer) const {
  auto it = schedules_.find(&timer);
  return it == schedules_.end() ? std::numeric_limits<std::uint64_t>::max() : it->second.due;
}

}  // namespace toolkit
