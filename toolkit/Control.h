#pragma once
// Visual components: controls placed on a parent, with bounds, visibility, enabled state,
// caption, font and colour. Windowed controls (WinControl) can hold other controls.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Component.h"

namespace toolkit {

// 0x00BBGGRR, or a system colour as 0x80000000 | the system colour index.
using Color = std::uint32_t;
constexpr Color clBlack = 0x000000;
constexpr Color clRed = 0x0000FF;
constexpr Color clWhite = 0xFFFFFF;
constexpr Color clBtnFace = 0x8000000F;
constexpr Color clWindow = 0x80000005;
constexpr Color clWindowText = 0x80000008;
constexpr Color clHighlight = 0x8000000D;

constexpr int kDefaultCharset = 1;    // the system's DEFAULT_CHARSET
constexpr int kCyrillicCharset = 204;  // RUSSIAN_CHARSET: Windows-1251 fonts

struct Font {
  std::wstring Name = L"MS Sans Serif";
  int Height = -11;  // negative: character height in pixels, as the system takes it
  bool Bold = false;
  Color FontColor = clWindowText;
  int Charset = kDefaultCharset;
  bool operator==(const Font& o) const {
    return Name == o.Name && Height == o.Height && Bold == o.Bold && FontColor == o.FontColor &&
           Charset == o.Charset;
  }
};

enum class Align { None, Top, Bottom, Left, Right, Client };
enum class Alignment { Left, Center, Right };

struct Bounds {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const Bounds& o) const {
    return Left == o.Left && Top == o.Top && Width == o.Width && Height == o.Height;
  }
};

class WinControl;

class Control : public Component {
 public:
  explicit Control(Component* owner, std::wstring name = {});
  ~Control() override;

  WinControl* Parent() const { return parent_; }
  void SetParent(WinControl* parent);

  const Bounds& GetBounds() const { return bounds_; }
  void SetBounds(int left, int top, int width, int height);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& caption);
  const Font& GetFont() const { return font_; }
  void SetFont(const Font& font);
  Color GetColor() const { return color_; }
  void SetColor(Color color);
  Align GetAlign() const { return align_; }
  void SetAlign(Align align);

  std::function<void()> OnClick;
  // A click by the user, or by code that clicks like one.
  virtual void Click();

 protected:
  // Called after the caption changed, before the peer is told.
  virtual void CaptionChanged() {}

 private:
  friend class WinControl;
  void Detach();
  WinControl* parent_ = nullptr;
  Bounds bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  std::wstring caption_;
  Font font_;
  Color color_ = clBtnFace;
  Align align_ = Align::None;
};

// A control with a window of its own, which other controls can be placed on.
class WinControl : public Control {
 public:
  using Control::Control;
  ~WinControl() override;
  // The controls placed on this one, in the order they were placed.
  const std::vector<Control*>& Controls() const { return controls_; }
  // Whether the keyboard focus can go to it: it and everything it sits on are visible and enabled.
  bool CanFocus() const;

 private:
  friend class Control;
  std::vector<Control*> controls_;
};

}  // namespace toolkit
