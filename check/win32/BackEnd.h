#pragma once
// The back end the library would choose for this user now, chosen by the library's own code, and
// what the check says of it: the settings read, the VISA library and what it says of itself, the
// bench and its instruments, the 16-bit driver, or why debug mode.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "check/win32/Output.h"
#include "hpib/Bus.h"
#include "hpib/win32/TraceFile.h"

namespace check::win32 {

struct BackEnd {
  std::unique_ptr<hpib::Bus> bus;  // null: debug mode
  std::string debugReason;         // then why, as the debug terminal's first line says it
  // The primary addresses where the back end's own means find something; none: every address
  // must be asked.
  std::optional<std::vector<unsigned>> found;
  std::string notFound;  // what an address outside `found` is, "not found by the VISA search"
  std::string traceName;  // the bus trace's words for the back end
  bool replay = false;    // a recorded trace, which answers only what it recorded: nothing to probe
};

// `trace`, when given, receives the VISA survey's calls as lines of the bus trace; the bus
// operations' lines come from the driver layer.
BackEnd ChooseBackEnd(Output& out, const hpib::win32::TraceLines& trace);

}  // namespace check::win32
