#include "instruments/Panels.h"

namespace instruments {

const toolkit::Font kDisplayFont{L"Arial", -19, true, toolkit::clRed, toolkit::kCyrillicCharset};
const toolkit::Font kLabelFont{L"MS Sans Serif", -11, true, toolkit::clRed, toolkit::kCyrillicCharset};

void PlacePanel(toolkit::Panel& panel, toolkit::WinControl& parent, int height) {
  panel.SetParent(&parent);
  panel.SetBounds(0, 0, 200, height);
  panel.SetBevelOuter(toolkit::BevelKind::None);
  panel.SetColor(toolkit::clBtnFace);
}

void PlaceDisplay(toolkit::StaticText& box, toolkit::WinControl& parent, toolkit::Bounds bounds,
                  toolkit::Alignment alignment, const toolkit::Font& font) {
  box.SetParent(&parent);
  box.SetBounds(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
  box.SetBorder(toolkit::BorderStyle::Sunken);
  box.SetAlignment(alignment);
  box.SetColor(toolkit::clBlack);
  box.SetFont(font);
  box.SetCaption(kInitialReading);
}

void PlaceRangeTrackBar(toolkit::TrackBar& trackBar, toolkit::Label& legend, toolkit::WinControl& parent,
                        int maxPosition, int position) {
  trackBar.SetParent(&parent);
  trackBar.SetBounds(0, 60, 200, 21);
  trackBar.SetRange(0, maxPosition);
  trackBar.PageSize = 1;
  trackBar.Frequency = 1;
  trackBar.TicksBelow = true;
  trackBar.ThumbLength = 12;
  ShowRangePosition(trackBar, position);

  legend.SetParent(&parent);
  legend.SetAutoSize(false);
  legend.SetBounds(0, 84, 200, 13);
  legend.SetCaption(kRangeLegend);
  legend.SetFocusControl(&trackBar);
}

void ShowRangePosition(toolkit::TrackBar& trackBar, int position) {
  trackBar.Tag = position;
  trackBar.SetPosition(position);
}

bool TakeRangeMove(toolkit::TrackBar& trackBar) {
  if (trackBar.Position() == trackBar.Tag) return false;
  trackBar.Tag = trackBar.Position();
  return true;
}

}  // namespace instruments
