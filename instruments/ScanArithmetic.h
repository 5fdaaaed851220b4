#pragma once
// Where the sweep panel's gauge stands for a value between the sweep limits.
namespace instruments {

// maximum × (value − from) / (to − from), to the nearest integer with halves to the even
// neighbour; not clamped (the gauge clamps). Throws core::Exception "Floating point
// division by zero" when `to` equals `from`, and core::ERangeError when the result does not
// fit 32-bit signed.
int ScanProgress(double from, double to, double value, int maximum);

}  // namespace instruments
