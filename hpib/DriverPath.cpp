#include "hpib/DriverPath.h"

namespace hpib {

std::string DriverPathBeside(const std::string& libraryPath, const std::string& driverName) {
  const std::size_t slash = libraryPath.find_last_of("\\/");
  if (slash == std::string::npos) return {};
  return libraryPath.substr(0, slash + 1) + driverName;
}

}  // namespace hpib
