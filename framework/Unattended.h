#pragma once
// The unattended mode's policy for the work that no person starts (the timer's tick, the
// re-trigger of free-running), for every control of the process: whether its errors show a box
// or go to the log (the setting Errors), whether readings and errors are written to a file
// (Log), and how long free-running waits after errors in a row. The settings are read once, with
// the first control; nothing changes for a user who sets neither.
#include <string>

#include "framework/ErrorsSetting.h"

namespace framework {

// Where unattended work reports, made by the server.
class UnattendedOutput {
 public:
  virtual ~UnattendedOutput() = default;
  // The local time now, as the log writes it.
  virtual std::string Now() = 0;
  // Appends one whole row to the log file, when there is one. A row that the file will not take
  // is held, and written in its turn once the file takes rows again; each outage is said when it
  // begins and when it ends.
  virtual void Append(const std::string& row) = 0;
  // The system's debug output, which a debugger or a monitor of it shows.
  virtual void Debug(const std::wstring& text) = 0;
  virtual bool Logging() const = 0;
};

struct Unattended {
  ErrorHandling errors = ErrorHandling::Box;
  UnattendedOutput* output = nullptr;  // null: neither setting is used
  bool simulated = false;  // debug mode: readings are made up, and their rows say so
};

// Set once, before the process's first control is made; `output` lives as long as the process.
void SetUnattended(const Unattended& unattended);
const Unattended& CurrentUnattended();

// How long free-running waits before the next try after errors under Errors = Log, so that a bus
// or an instrument that fails for the night is asked once a minute at most, not several times a
// second, and the log stays small: the measurement interval for no failure and for the first;
// then twice as long for each further failure in a row, up to a minute; never shorter than the
// interval itself.
unsigned RetryDelayMs(unsigned intervalMs, unsigned failuresInARow);

}  // namespace framework
