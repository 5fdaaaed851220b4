// The fake as the VISA library of a Windows process: the VISA entries by their plain names, and
// the tests' own two, FakeVisaTakeCalls and FakeVisaFail, through which a test in the process
// reads the record and scripts failures. A program that cannot reach them, as the bus check,
// gets its listeners from the environment: FAKE_VISA_LISTENERS="3:2.0723E+1 D|7:U +12340E-3|9",
// each a primary address and its reply, or an address alone for a listener that never replies;
// "!" before an address leaves that listener out of the resource search ("!13:U +12340E-3").
#include <algorithm>
#include <cstdlib>
#include <string>

#include "FakeVisa.h"

using testing_support::FakeVisa;
using namespace hpib::visa;

namespace {

// The process's one library, its listeners as the environment scripts them.
struct ScriptedFake : FakeVisa {
  ScriptedFake() {
    if (const char* script = std::getenv("FAKE_VISA_LISTENERS")) Script(script);
  }

  void Script(const std::string& script) {
    listeners.emplace();
    for (std::size_t start = 0; start < script.size();) {
      const std::size_t end = std::min(script.find('|', start), script.size());
      std::string entry = script.substr(start, end - start);
      start = end + 1;
      const bool left = !entry.empty() && entry[0] == '!';
      if (left) entry.erase(0, 1);
      const std::size_t colon = entry.find(':');
      const unsigned primary = static_cast<unsigned>(std::stoul(entry.substr(0, colon)));
      (*listeners)[primary] =
          colon == std::string::npos ? std::nullopt : std::optional<std::string>(entry.substr(colon + 1));
      if (left) unlisted.insert(primary);
    }
  }
};

FakeVisa& Library() {
  static ScriptedFake library;
  return library;
}

}  // namespace

extern "C" {

#define VISA_FUNCTION(name, parameters, arguments) \
  __declspec(dllexport) ViStatus APPARATA_VISA_CALL name parameters { return Library().name arguments; }
#include "hpib/visa/VisaFunctions.inc"
#undef VISA_FUNCTION

// The calls recorded since the last time, one per line; valid until the next call of this.
__declspec(dllexport) const char* FakeVisaTakeCalls() {
  static std::string taken;
  taken.clear();
  for (const std::string& call : Library().calls) taken += call + "\n";
  Library().calls.clear();
  return taken.c_str();
}

// The next call of `function` answers `status`.
__declspec(dllexport) void FakeVisaFail(const char* function, ViStatus status) {
  Library().statuses[function].push_back(status);
}

}  // extern "C"
