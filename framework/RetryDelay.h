#pragma once
// How long free-running waits before the next reading after errors, under the Errors setting
// Log: a bus or an instrument that fails for the night is asked once a minute at most, not
// several times a second, and the log stays small.

namespace framework {

// The measurement interval for no failure and for the first; then twice as long for each
// further failure in a row, up to a minute; never shorter than the interval itself.
unsigned RetryDelayMs(unsigned intervalMs, unsigned failuresInARow);

}  // namespace framework
