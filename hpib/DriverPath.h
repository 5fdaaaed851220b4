#pragma once
// Where the driver library is taken from: the folder of the control library's own file, never
// the loader's search path.
#include <string>

namespace hpib {

// The driver's full path beside the library at `libraryPath`; empty, meaning no driver, when
// that path names no folder (empty, or a bare file name the loader would search for).
std::string DriverPathBeside(const std::string& libraryPath, const std::string& driverName);

}  // namespace hpib
