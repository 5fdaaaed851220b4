#pragma once
// A VISA library for tests, one model built two ways: a function table for the native tests
// (Table), and visa32.dll / visa64.dll (FakeVisaLibrary.cpp), which the Wine tests install in
// the prefix's system folder. Board 0 is present, others when a test adds them; every primary
// address has an instrument answering reads with debug mode's simulated replies, unless a test
// scripts the listeners; the resource search finds the boards and the listeners. Every call but
// viStatusDesc is recorded as "viName(arguments)", bytes escaped as the trace escapes them; a
// test can make the next calls of a function answer statuses of its choice.
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hpib/DebugBus.h"
#include "hpib/visa/VisaApi.h"

namespace testing_support {

class FakeVisa {
 public:
  using ViStatus = hpib::visa::ViStatus;
  using ViSession = hpib::visa::ViSession;
  using ViUInt16 = hpib::visa::ViUInt16;
  using ViUInt32 = hpib::visa::ViUInt32;
  using ViAttr = hpib::visa::ViAttr;
  using ViAttrState = hpib::visa::ViAttrState;
  using ViFindList = hpib::visa::ViFindList;

  // The table's functions act on the fake made last.
  FakeVisa();
  ~FakeVisa();
  FakeVisa(const FakeVisa&) = delete;
  FakeVisa& operator=(const FakeVisa&) = delete;
  static hpib::visa::Functions Table();
  static FakeVisa& Current();

  std::vector<std::string> calls;
  std::map<std::string, std::deque<ViStatus>> statuses;  // next statuses by function
  std::set<unsigned> boards{0};
  // By primary address, each listener's reply, or none for one that never answers a read; none
  // scripted: every address answers.
  std::optional<std::map<unsigned, std::optional<std::string>>> listeners;
  // Listeners that the resource search leaves out, as instruments that do not answer it.
  std::set<unsigned> unlisted;

#define VISA_FUNCTION(name, parameters, arguments) ViStatus name parameters;
#include "hpib/visa/VisaFunctions.inc"
#undef VISA_FUNCTION

 private:
  struct Resource {
    unsigned board = 0;
    std::optional<unsigned> primary;  // none: the interface
  };
  // Records the call and answers the status a test asked for, or `status`.
  ViStatus Answer(const std::string& function, const std::string& arguments, ViStatus status);
  std::string Name(ViSession session) const;
  bool IsOpen(ViSession session) const { return names_.count(session) != 0; }
  // A resource of a present board: "GPIB<b>::INTFC" or "GPIB<b>::<0 to 30>::INSTR".
  std::optional<Resource> Parse(const std::string& resource) const;
  // The listener at an open instrument session: none for no listener, the reply otherwise.
  std::optional<std::optional<std::string>> ListenerAt(ViSession session) const;
  ViStatus Io(const char* function, ViSession session, const std::string& arguments);
  // What the search finds: "GPIB?*INTFC" the present boards, "GPIB<b>::?*INSTR" the listeners of
  // board b but the unlisted ones, anything else nothing.
  std::deque<std::string> Search(const std::string& expression) const;

  std::map<ViSession, std::string> names_;   // open sessions: "RM" or a resource
  std::map<ViSession, ViSession> owners_;    // the resource manager of each session
  std::map<ViSession, std::deque<std::string>> finds_;  // what each find list has still to give
  ViSession last_ = 0;
  hpib::RandomGenerator random_;
  FakeVisa* previous_;
};

}  // namespace testing_support
