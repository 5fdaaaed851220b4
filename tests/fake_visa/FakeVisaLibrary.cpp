// The fake as the VISA library of a Windows process: the VISA entries by their plain names, and
// the tests' own two, FakeVisaTakeCalls and FakeVisaFail, through which a test in the process
// reads the record and scripts failures.
#include <string>

#include "FakeVisa.h"

using testing_support::FakeVisa;
using namespace hpib::visa;

namespace {

FakeVisa& Library() {
  static FakeVisa library;
  return library;
}

}  // namespace

extern "C" {

#define VISA_FUNCTION(name, parameters, arguments) \
  __declspec(dllexport) ViStatus APPARATA_VISA_CALL name parameters { return Library().name arguments; }
#include "hpib/VisaFunctions.inc"
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
