// apparata_check: which instruments answer on the bus that the controls would use for this
// user now, asked through the library's own back-end choice and driver layer.
#include <windows.h>

#include <algorithm>

#include "check/Arguments.h"
#include "check/Probe.h"
#include "check/win32/BackEnd.h"
#include "check/win32/Output.h"
#include "check/win32/Registration.h"
#include "check/win32/SystemError.h"
#include "core/Latin1.h"
#include "core/win32/Utf8.h"
#include "hpib/HPIBDrv.h"
#include "hpib/HPIBMessages.h"
#include "hpib/trace/TracingBus.h"

namespace {

using check::win32::Output;

const char* const kBits = sizeof(void*) == 8 ? "64-bit" : "32-bit";

// How long a read waits for a reply: short, as nobody waits for the answer of a missing instrument.
constexpr double kProbeSeconds = 1.0;

enum ExitCode { kAllAnswered = 0, kOneSilent = 1, kBadArguments = 2, kDebugMode = 3 };

int Check(const check::Arguments& arguments, Output& out) {
  out.Line(std::string("Apparata bus check, ") + kBits);
  for (const std::string& line : check::win32::LibraryLines()) out.Line(line);
  out.Line("Run it while no host measures: each probe takes a reply that a running host may be waiting for.");
  hpib::win32::TraceLines trace;
  if (arguments.trace) trace = [&out](const std::string& line) { out.Line(line); };

  check::win32::BackEnd backEnd = check::win32::ChooseBackEnd(out, trace);
  if (!backEnd.bus) {
    out.Line(backEnd.debugReason);
    out.Line("No bus: the simulated answers of debug mode are not instruments.");
    return kDebugMode;
  }
  if (backEnd.replay) {
    out.Line("A replay answers only what its trace recorded: nothing is probed.");
    return kAllAnswered;
  }
  hpib::HPIBLoad(std::move(backEnd.bus), {trace, backEnd.traceName});
  const hpib::Result opened = hpib::HPIBOpenOnDemand(hpib::HPIBSelectCode, kProbeSeconds);
  if (hpib::Failed(opened)) {
    out.Line("The card does not open: " + core::ToLatin1(hpib::ResultText(opened)) + " (result " +
             std::to_string(static_cast<unsigned>(opened)) + ")");
    hpib::HPIBUnload();
    return kOneSilent;
  }

  const bool named = !arguments.addresses.empty();
  std::vector<unsigned> asked = arguments.addresses, notFound;
  if (!named)
    for (unsigned primary = 1; primary <= 30; ++primary) asked.push_back(primary);
  bool allAnswered = true;
  for (unsigned primary : asked) {
    const auto& found = backEnd.found;
    const bool listed = !found || std::find(found->begin(), found->end(), primary) != found->end();
    // Some instruments do not answer VISA's search: one the user names is asked all the same.
    if (!listed && !named) {
      notFound.push_back(primary);
      continue;
    }
    const check::Finding finding = check::Probe(primary);
    out.Line(check::FindingLine(finding) + (listed ? "" : "; " + backEnd.notFound));
    allAnswered = allAnswered && !hpib::Failed(finding.result);
  }
  if (!notFound.empty()) out.Line("Nothing at " + check::AddressList(notFound) + ": " + backEnd.notFound);
  hpib::HPIBClose();
  hpib::HPIBUnload();
  return arguments.addresses.empty() || allAnswered ? kAllAnswered : kOneSilent;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) words.push_back(core::win32::ToUtf8(argv[i]));
  const auto parsed = check::ParseArguments(words);
  if (const std::string* error = std::get_if<std::string>(&parsed)) {
    Output::Error("apparata_check: " + *error);
    Output::Error(check::kUsage);
    return kBadArguments;
  }
  const check::Arguments& arguments = std::get<check::Arguments>(parsed);
  if (arguments.help) {
    Output(std::wstring()).Line(check::kUsage);
    return kAllAnswered;
  }
  if (arguments.version) {
    Output out{std::wstring()};
    out.Line(std::string("apparata_check " APPARATA_VERSION ", ") + kBits);
    for (const std::string& line : check::win32::LibraryLines()) out.Line(line);
    return kAllAnswered;
  }
  Output out(core::win32::FromUtf8(arguments.report));
  if (!out.Ready()) {
    const DWORD error = out.ReportError();
    Output::Error("apparata_check: the report " + arguments.report +
                  (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS
                       ? " exists already and is left as it is: name a new file"
                       : " cannot be made: " + check::win32::SystemErrorText(error)));
    return kBadArguments;
  }
  return Check(arguments, out);
}
