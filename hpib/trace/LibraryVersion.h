#pragma once
// The library's version as the build gives it, "1.0.0": the bus trace's header names it.
#include <string>

namespace hpib {

std::string LibraryVersion();

}  // namespace hpib
