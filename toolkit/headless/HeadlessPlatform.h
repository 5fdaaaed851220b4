#pragma once
// A platform without windows for tests: a virtual clock that the test advances, timers that
// tick on it, and a record of every beep and error box.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "toolkit/Platform.h"
#include "toolkit/Timer.h"

namespace toolkit {

class HeadlessPlatform : public Platform {
 public:
  HeadlessPlatform();
  ~HeadlessPlatform() override;

  std::unique_ptr<Peer> CreatePeer(Component& component) override;
  void Post(Form& form) override;
  // What the forms' threads would run from their message loops: the posts so far, in order.
  void RunPosted();
  void Beep() override { ++beeps; }
  void ShowError(Component*, const std::wstring& message) override { errors.push_back(message); }
  wchar_t DecimalSeparator() override { return decimalSeparator; }
  std::uint64_t Milliseconds() override { return now_; }

  // Moves the clock forward, ticking every timer that falls due on the way, in time order.
  void Advance(std::uint64_t milliseconds);
  // Whether a timer is scheduled, and when it next ticks.
  bool Scheduled(const Timer& timer) const;
  std::uint64_t NextTick(const Timer& timer) const;

  int realizedComponents = 0;
  int beeps = 0;
  std::vector<std::wstring> errors;
  wchar_t decimalSeparator = L'.';

 private:
  class TimerPeer;
  struct Schedule {
    Timer* timer;
    std::uint64_t due;
    unsigned interval;
    std::uint64_t order;  // ties in time tick in the order they were scheduled
  };
  std::uint64_t now_ = 0;
  std::uint64_t order_ = 0;
  std::map<const Timer*, Schedule> schedules_;
  std::mutex postedMutex_;
  std::vector<Form*> posted_;
  Platform* previous_;
};

}  // namespace toolkit
