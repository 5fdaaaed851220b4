#include "toolkit/headless/HeadlessPlatform.h"

#include <limits>
#include <utility>

#include "resources/Pictures.h"

#include "toolkit/Form.h"

namespace toolkit {
namespace {

class MemoryBitmap : public Bitmap {
 public:
  MemoryBitmap(int width, int height, std::vector<Color> pixels)
      : width_(width), height_(height), pixels_(std::move(pixels)) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  Color Pixel(int x, int y) const override { return pixels_[Index(x, y)]; }

  void FloodFill(int x, int y, Color surface, Color fill) override {
    if (!Inside(x, y) || pixels_[Index(x, y)] != surface || surface == fill) return;
    std::vector<std::pair<int, int>> pending{{x, y}};
    while (!pending.empty()) {
      const auto [px, py] = pending.back();
      pending.pop_back();
      if (!Inside(px, py) || pixels_[Index(px, py)] != surface) continue;
      pixels_[Index(px, py)] = fill;
      pending.insert(pending.end(), {{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}});
    }
  }

 private:
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y * width_ + x); }
  int width_, height_;
  std::vector<Color> pixels_;
};

// Paints into a drawing: pixel for pixel, the nearest source pixel, clipped to the drawing.
class MemoryCanvas : public Canvas {
 public:
  explicit MemoryCanvas(HeadlessPlatform::Drawing& drawing) : drawing_(drawing) {}
  void StretchDraw(const Bounds& area, const Bitmap& bitmap) override {
    if (area.Width <= 0 || area.Height <= 0) return;
    for (int y = 0; y < area.Height; ++y) {
      for (int x = 0; x < area.Width; ++x) {
        const int tx = area.Left + x, ty = area.Top + y;
        if (tx < 0 || ty < 0 || tx >= drawing_.Width || ty >= drawing_.Height) continue;
        drawing_.Pixels[static_cast<std::size_t>(ty * drawing_.Width + tx)] =
            bitmap.Pixel(x * bitmap.Width() / area.Width, y * bitmap.Height() / area.Height);
      }
    }
  }

 private:
  HeadlessPlatform::Drawing& drawing_;
};

}  // namespace

// Paints the control at once on every change, as the Windows peer does: its colour, then its
// own painting.
class HeadlessPlatform::GraphicPeer : public Peer {
 public:
  GraphicPeer(HeadlessPlatform& platform, GraphicControl& control) : platform_(platform), control_(control) {}
  ~GraphicPeer() override { platform_.drawings_.erase(&control_); }
  void Sync() override {
    Drawing& drawing = platform_.drawings_[&control_];
    const Bounds& bounds = control_.GetBounds();
    drawing.Width = bounds.Width;
    drawing.Height = bounds.Height;
    drawing.Pixels.assign(static_cast<std::size_t>(bounds.Width * bounds.Height), control_.GetColor());
    ++drawing.Paints;
    MemoryCanvas canvas(drawing);
    GraphicControl& control = control_;
    DispatchUserEvent(control, [&control, &canvas] { control.Paint(canvas); });
  }

 private:
  HeadlessPlatform& platform_;
  GraphicControl& control_;
};

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
  if (auto* graphic = dynamic_cast<GraphicControl*>(&component)) return std::make_unique<GraphicPeer>(*this, *graphic);
  return nullptr;
}

std::unique_ptr<Bitmap> HeadlessPlatform::LoadBitmapResource(const std::wstring& name) {
  std::optional<resources::Picture> picture = resources::FindPicture(name);
  if (!picture) return nullptr;
  return std::make_unique<MemoryBitmap>(picture->Width, picture->Height, std::move(picture->Pixels));
}

const HeadlessPlatform::Drawing* HeadlessPlatform::DrawingOf(const GraphicControl& control) const {
  auto it = drawings_.find(&control);
  return it == drawings_.end() ? nullptr : &it->second;
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
