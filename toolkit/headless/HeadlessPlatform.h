#pragma once
// A platform without windows for tests: a virtual clock that the test advances, timers that
// tick on it, a record of every beep and error box, bitmaps in memory, and what each graphic
// control looked like when it was last painted.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "toolkit/Graphics.h"
#include "toolkit/Platform.h"
#include "toolkit/Timer.h"
#include "toolkit/Widgets.h"

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
  void Focus(WinControl& control) override { focused = &control; }
  wchar_t DecimalSeparator() override { return decimalSeparator; }
  std::uint64_t Milliseconds() override { return now_; }
  // From the library's picture table.
  std::unique_ptr<Bitmap> LoadBitmapResource(const std::wstring& name) override;

  // Moves the clock forward, ticking every timer that falls due on the way, in time order.
  void Advance(std::uint64_t milliseconds);
  // Whether a timer is scheduled, and when it next ticks.
  bool Scheduled(const Timer& timer) const;
  std::uint64_t NextTick(const Timer& timer) const;

  // The pixels a graphic control's peer painted last, and how many times it painted.
  struct Drawing {
    int Width = 0, Height = 0;
    std::vector<Color> Pixels;
    int Paints = 0;
    Color Pixel(int x, int y) const { return Pixels[static_cast<std::size_t>(y * Width + x)]; }
  };
  // Null while the control has no peer.
  const Drawing* DrawingOf(const GraphicControl& control) const;

  int realizedComponents = 0;
  int beeps = 0;
  std::vector<std::wstring> errors;
  // The control that the focus was given to last.
  const WinControl* focused = nullptr;
  wchar_t decimalSeparator = L'.';

 private:
  class TimerPeer;
  class GraphicPeer;
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
  std::map<const GraphicControl*, Drawing> drawings_;
  Platform* previous_;
};

}  // namespace toolkit
