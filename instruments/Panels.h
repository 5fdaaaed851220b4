#pragma once
// The front-panel look that the instrument controls share: displays in red bold on black in
// sunken boxes on a grey panel, and the range track bar with its legend.
#include "toolkit/Control.h"
#include "toolkit/Widgets.h"

namespace instruments {

extern const toolkit::Font kDisplayFont;  // values: Arial, 19 pixels
extern const toolkit::Font kLabelFont;    // unit labels: MS Sans Serif, 11 pixels

constexpr const wchar_t kRangeLegend[] = L"  Max        <=   &Range   =>        Min  Auto";
constexpr const wchar_t kInitialReading[] = L"+0.0000E+00";

// A grey panel without bevel across the top of the form, `height` pixels high.
void PlacePanel(toolkit::Panel& panel, toolkit::WinControl& parent, int height);
// A display box showing the initial reading.
void PlaceDisplay(toolkit::StaticText& box, toolkit::WinControl& parent, toolkit::Bounds bounds,
                  toolkit::Alignment alignment, const toolkit::Font& font);
// The range track bar at 0,60 with positions 0..`maxPosition` at `position` (its Tag too),
// and the legend under it.
void PlaceRangeTrackBar(toolkit::TrackBar& trackBar, toolkit::Label& legend, toolkit::WinControl& parent,
                        int maxPosition, int position);

// The range track bar's Tag holds the position last sent or shown. Moving it from code sets
// the Tag first, so that its change handler sends nothing.
void ShowRangePosition(toolkit::TrackBar& trackBar, int position);
// In the change handler: whether the position is new (it becomes the Tag), and so to be sent.
bool TakeRangeMove(toolkit::TrackBar& trackBar);

}  // namespace instruments
