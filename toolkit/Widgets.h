#pragma once
// The widgets that the forms are built of. Each keeps its own state and tells its peer of every
// change; notifications run by the rules each widget states.
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Control.h"

namespace toolkit {

enum class BevelKind { None, Raised, Lowered };
enum class BorderStyle { None, Single, Sunken };

class Panel : public WinControl {
 public:
  explicit Panel(Component* owner, std::wstring name = {});
  BevelKind BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(BevelKind kind);

 private:
  BevelKind bevelOuter_ = BevelKind::Raised;
};

// A frame drawn as a sunken or raised box or line; it holds no controls.
class Bevel : public Control {
 public:
  enum class Shape { Box, Frame, TopLine, BottomLine, LeftLine, RightLine };
  using Control::Control;
  Shape GetShape() const { return shape_; }
  BevelKind Style() const { return style_; }
  void SetShape(Shape shape, BevelKind style);

 private:
  Shape shape_ = Shape::Box;
  BevelKind style_ = BevelKind::Lowered;
};

// A text whose caption marks an accelerator with "&" ("&&" stands for "&" itself): the user's
// Alt and that character give the keyboard focus to FocusControl (Form::FocusAccelerator).
class AcceleratorText {
 public:
  WinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(WinControl* control) { focusControl_ = control; }

 protected:
  ~AcceleratorText() = default;

 private:
  WinControl* focusControl_ = nullptr;
};

// Text in a window of its own, optionally in a border.
class StaticText : public WinControl, public AcceleratorText {
 public:
  using WinControl::WinControl;
  BorderStyle Border() const { return border_; }
  void SetBorder(BorderStyle border);
  Alignment GetAlignment() const { return alignment_; }
  void SetAlignment(Alignment alignment);

 private:
  BorderStyle border_ = BorderStyle::None;
  Alignment alignment_ = Alignment::Left;
};

// Windowless text.
class Label : public Control, public AcceleratorText {
 public:
  using Control::Control;
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  Alignment GetAlignment() const { return alignment_; }
  void SetAlignment(Alignment alignment);

 private:
  bool autoSize_ = true;
  Alignment alignment_ = Alignment::Left;
};

// A one-line edit. The caption is its text; OnChange runs on every change of it, typed or set
// from code. OnKeyDown sees each key pressed (its virtual key code, kEnterKey for Enter) and may
// replace it (0 swallows it); OnKeyPress then sees each typed character and may replace it.
// The virtual key code of Enter.
constexpr int kEnterKey = 13;

class Edit : public WinControl {
 public:
  explicit Edit(Component* owner, std::wstring name = {});
  const std::wstring& Text() const { return Caption(); }
  void SetText(const std::wstring& text) { SetCaption(text); }
  std::function<void()> OnChange;
  std::function<void(int& key)> OnKeyDown;
  std::function<void(wchar_t& key)> OnKeyPress;
  // The user pressed the key with virtual key code `key`; returns the key the edit takes, 0 for none.
  int KeyDown(int key);
  // The user typed `key`; returns the character the edit takes, 0 for none.
  wchar_t KeyPress(wchar_t key);

 protected:
  void CaptionChanged() override;
};

// An integer edit whose value stays within MinValue..MaxValue (when they differ).
class SpinEdit : public Edit {
 public:
  explicit SpinEdit(Component* owner, std::wstring name = {});
  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  void SetLimits(int minValue, int maxValue);
  int Increment = 1;
  // The text read as a number and clamped; a text that is no number counts as MinValue.
  int Value() const;
  void SetValue(int value);

 private:
  int Clamp(int value) const;
  int min_ = 0, max_ = 0;
};

// A multi-line text box holding lines. LineCount is the box's own count: where the peer wraps
// long lines, it counts the display lines.
class Memo : public WinControl {
 public:
  explicit Memo(Component* owner, std::wstring name = {});
  const std::vector<std::wstring>& Lines() const { return lines_; }
  void Append(const std::wstring& line);
  void ClearLines();
  int LineCount() const;
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wrap);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  // Runs before anyone else reads the text from the memo's window: the last chance to bring
  // it up to date.
  std::function<void()> OnRead;

 private:
  std::vector<std::wstring> lines_;
  bool wordWrap_ = true;
  bool readOnly_ = false;
};

// A peer that lays a memo's text out itself and can tell how many lines it shows.
class LineCountingPeer {
 public:
  virtual ~LineCountingPeer() = default;
  virtual int DisplayLineCount() const = 0;
};

// A drop-down list. Setting ItemIndex from code runs no event; a user's choice runs OnChange.
class ComboBox : public WinControl {
 public:
  explicit ComboBox(Component* owner, std::wstring name = {});
  const std::vector<std::wstring>& Items() const { return items_; }
  void SetItems(std::vector<std::wstring> items);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  std::function<void()> OnChange;
  void UserSelect(int index);

 private:
  std::vector<std::wstring> items_;
  int itemIndex_ = -1;
};

// A horizontal track bar. Position stays within Min..Max; OnChange runs only when the position
// really changes, whether the user or code moved it.
class TrackBar : public WinControl {
 public:
  explicit TrackBar(Component* owner, std::wstring name = {});
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetRange(int minValue, int maxValue);
  void SetPosition(int position);
  int PageSize = 1;
  int Frequency = 1;
  int ThumbLength = 20;
  bool TicksBelow = true;
  std::function<void()> OnChange;

 private:
  int min_ = 0, max_ = 10, position_ = 0;
};

// A flat button. Buttons with the same non-zero GroupIndex on the same parent form a group in
// which at most one is down; with AllowAllUp false exactly one stays down. A down button looks
// pushed in.
class SpeedButton : public Control {
 public:
  using Control::Control;
  int GroupIndex = 0;
  bool AllowAllUp = false;
  // The name of the library's bitmap that the button shows instead of its caption: two images
  // side by side, the first for the enabled button, the second for the disabled one. The lower
  // left pixel's colour is transparent. Empty for none.
  const std::wstring& Glyph() const { return glyph_; }
  void SetGlyph(const std::wstring& name);
  bool Down() const { return down_; }
  // Puts the button down or up without a click; the rest of its group follows.
  void SetDown(bool down);
  void Click() override;

 private:
  std::wstring glyph_;
  bool down_ = false;
};

// A progress gauge whose Progress stays within MinValue..MaxValue: a bar in ForeColor on the
// control's colour, without text.
class Gauge : public Control {
 public:
  using Control::Control;
  Color ForeColor() const { return foreColor_; }
  void SetForeColor(Color color);
  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  int Progress() const { return progress_; }
  void SetLimits(int minValue, int maxValue);
  void SetProgress(int progress);

 private:
  int min_ = 0, max_ = 100, progress_ = 0;
  Color foreColor_ = clHighlight;
};

class Canvas;

// A control without a window of its own that paints itself on its parent. Its peer paints it
// at once after every change (Invalidate included), and whenever the system asks.
class GraphicControl : public Control {
 public:
  using Control::Control;
  std::function<void()> OnPaint;
  // Asks the peer to paint the control again.
  void Invalidate() { Changed(); }
  // Paints the control's area, which starts at (0, 0) on the canvas; the default runs OnPaint.
  virtual void Paint(Canvas& canvas);
  // The mouse came onto the control, or left it.
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}
};

// A group of controls made once and placed on forms.
class Frame : public WinControl {
 public:
  using WinControl::WinControl;
};

}  // namespace toolkit
