// A VISA library for the tests, built as visa32.dll / visa64.dll and installed in the system
// folder of the test prefix. Board 0 is present with an instrument at every primary address,
// answering reads with the simulated instruments' replies; other boards are absent. Every bus
// call is recorded (viStatusDesc, which only describes a status, is not), and a test can make
// the next call of a function answer a status of its choice. The tests reach the record and
// the failures through the extra exports FakeVisaTakeCalls and FakeVisaFail.
#include <cstdio>
#include <deque>
#include <map>
#include <string>

#include "hpib/DebugBus.h"
#include "hpib/TraceBytes.h"
#include "hpib/VisaApi.h"

using namespace hpib::visa;

namespace {

struct Library {
  std::string calls;                                     // one call per line
  std::map<std::string, std::deque<ViStatus>> failures;  // next statuses by function
  std::map<ViSession, std::string> sessions;             // open sessions by handle: "RM" or a resource
  std::map<ViSession, ViSession> owners;                 // the resource manager of each session
  ViSession last = 0;
  hpib::RandomGenerator random;
};

Library& State() {
  static Library library;
  return library;
}

std::string Name(ViSession session) {
  auto found = State().sessions.find(session);
  return found != State().sessions.end() ? found->second : "?" + std::to_string(session);
}

// Records the call and answers the status a test asked for, or `status`.
ViStatus Answer(const std::string& function, const std::string& arguments, ViStatus status = VI_SUCCESS) {
  Library& s = State();
  s.calls += function + "(" + arguments + ")\n";
  auto& queue = s.failures[function];
  if (queue.empty()) return status;
  const ViStatus failure = queue.front();
  queue.pop_front();
  return failure;
}

bool IsOpen(ViSession session) { return State().sessions.count(session) != 0; }

// The primary address of "GPIB0::<n>::INSTR", -1 for the interface, -2 for no resource of board 0.
int PrimaryOf(const std::string& resource) {
  const std::string board = "GPIB0::";
  if (resource.compare(0, board.size(), board) != 0) return -2;
  const std::string rest = resource.substr(board.size());
  if (rest == "INTFC") return -1;
  const std::size_t colons = rest.find("::");
  if (colons == std::string::npos || colons == 0 || colons > 2 || rest.substr(colons) != "::INSTR") return -2;
  int primary = 0;
  for (std::size_t i = 0; i < colons; ++i) {
    if (rest[i] < '0' || rest[i] > '9') return -2;
    primary = primary * 10 + (rest[i] - '0');
  }
  return primary <= 30 ? primary : -2;
}

std::string AttributeName(ViAttr attribute) {
  if (attribute == VI_ATTR_TMO_VALUE) return "VI_ATTR_TMO_VALUE";
  if (attribute == VI_ATTR_SEND_END_EN) return "VI_ATTR_SEND_END_EN";
  return std::to_string(attribute);
}

std::string Bytes(const unsigned char* bytes, ViUInt32 count) {
  return hpib::BytesDetail("", std::string(reinterpret_cast<const char*>(bytes), count)).substr(1);
}

}  // namespace

extern "C" {

ViStatus APPARATA_VISA_CALL viOpenDefaultRM(ViSession* rm) {
  const ViStatus status = Answer("viOpenDefaultRM", "");
  if (status < VI_SUCCESS) return status;
  *rm = ++State().last;
  State().sessions[*rm] = "RM";
  return status;
}

ViStatus APPARATA_VISA_CALL viOpen(ViSession rm, const char* resource, ViUInt32, ViUInt32, ViSession* session) {
  const std::string name = resource;
  const int primary = PrimaryOf(name);
  const ViStatus status = Answer("viOpen", name,
                                 Name(rm) != "RM" ? VI_ERROR_INV_OBJECT
                                 : primary == -2  ? VI_ERROR_RSRC_NFOUND
                                                  : VI_SUCCESS);
  if (status < VI_SUCCESS) return status;
  *session = ++State().last;
  State().sessions[*session] = name;
  State().owners[*session] = rm;
  return status;
}

ViStatus APPARATA_VISA_CALL viClose(ViSession object) {
  const ViStatus status = Answer("viClose", Name(object), IsOpen(object) ? VI_SUCCESS : VI_ERROR_INV_OBJECT);
  Library& s = State();
  // A resource manager takes its sessions with it.
  for (auto owner = s.owners.begin(); owner != s.owners.end();) {
    if (owner->second == object) {
      s.sessions.erase(owner->first);
      owner = s.owners.erase(owner);
    } else {
      ++owner;
    }
  }
  s.sessions.erase(object);
  s.owners.erase(object);
  return status;
}

ViStatus APPARATA_VISA_CALL viSetAttribute(ViSession object, ViAttr attribute, ViAttrState value) {
  return Answer("viSetAttribute", Name(object) + "," + AttributeName(attribute) + "," + std::to_string(value),
                IsOpen(object) ? VI_SUCCESS : VI_ERROR_INV_OBJECT);
}

ViStatus APPARATA_VISA_CALL viStatusDesc(ViSession, ViStatus status, char* description) {
  const char* text = status == VI_SUCCESS             ? "Operation completed successfully."
                     : status == VI_ERROR_TMO         ? "Timeout expired before operation completed."
                     : status == VI_ERROR_RSRC_NFOUND ? "Insufficient location information or resource not present."
                                                      : "Unknown status.";
  std::snprintf(description, kStatusDescLength, "%s", text);
  return VI_SUCCESS;
}

ViStatus APPARATA_VISA_CALL viWrite(ViSession session, const unsigned char* bytes, ViUInt32 count,
                                    ViUInt32* written) {
  const ViStatus status =
      Answer("viWrite", Name(session) + "," + Bytes(bytes, count), IsOpen(session) ? VI_SUCCESS : VI_ERROR_INV_OBJECT);
  *written = status < VI_SUCCESS ? 0 : count;
  return status;
}

ViStatus APPARATA_VISA_CALL viRead(ViSession session, unsigned char* bytes, ViUInt32 count, ViUInt32* read) {
  *read = 0;
  const ViStatus status =
      Answer("viRead", Name(session) + "," + std::to_string(count), IsOpen(session) ? VI_SUCCESS : VI_ERROR_INV_OBJECT);
  if (status < VI_SUCCESS) return status;
  const int primary = PrimaryOf(Name(session));
  const std::string reply = hpib::SimulatedReply(700 + primary, State().random);
  *read = static_cast<ViUInt32>(reply.copy(reinterpret_cast<char*>(bytes), count));
  return *read < reply.size() ? VI_SUCCESS_MAX_CNT : status;
}

ViStatus APPARATA_VISA_CALL viClear(ViSession session) {
  return Answer("viClear", Name(session), IsOpen(session) ? VI_SUCCESS : VI_ERROR_INV_OBJECT);
}

ViStatus APPARATA_VISA_CALL viAssertTrigger(ViSession session, ViUInt16 protocol) {
  return Answer("viAssertTrigger", Name(session) + "," + std::to_string(protocol),
                IsOpen(session) ? VI_SUCCESS : VI_ERROR_INV_OBJECT);
}

ViStatus APPARATA_VISA_CALL viGpibControlREN(ViSession session, ViUInt16 mode) {
  return Answer("viGpibControlREN", Name(session) + "," + std::to_string(mode),
                IsOpen(session) ? VI_SUCCESS : VI_ERROR_INV_OBJECT);
}

ViStatus APPARATA_VISA_CALL viGpibSendIFC(ViSession session) {
  return Answer("viGpibSendIFC", Name(session), IsOpen(session) ? VI_SUCCESS : VI_ERROR_INV_OBJECT);
}

ViStatus APPARATA_VISA_CALL viGpibCommand(ViSession session, const unsigned char* bytes, ViUInt32 count,
                                          ViUInt32* written) {
  const ViStatus status = Answer("viGpibCommand", Name(session) + "," + Bytes(bytes, count),
                                 IsOpen(session) ? VI_SUCCESS : VI_ERROR_INV_OBJECT);
  *written = status < VI_SUCCESS ? 0 : count;
  return status;
}

// The calls recorded since the last time, one per line; valid until the next call of this.
const char* FakeVisaTakeCalls() {
  static std::string taken;
  taken.swap(State().calls);
  State().calls.clear();
  return taken.c_str();
}

// The next call of `function` answers `status`.
void FakeVisaFail(const char* function, ViStatus status) { State().failures[function].push_back(status); }

}  // extern "C"
