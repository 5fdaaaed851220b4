#include "hpib/trace/LibraryVersion.h"

namespace hpib {

std::string LibraryVersion() { return APPARATA_VERSION; }

}  // namespace hpib
