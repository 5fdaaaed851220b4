#include "FakeVisa.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "hpib/TraceBytes.h"

namespace testing_support {

using namespace hpib::visa;

namespace {

FakeVisa* g_current = nullptr;

std::string Bytes(const unsigned char* bytes, ViUInt32 count) {
  return hpib::BytesDetail("", std::string(reinterpret_cast<const char*>(bytes), count)).substr(1);
}

std::string AttributeName(ViAttr attribute) {
  static const std::pair<ViAttr, const char*> kNames[] = {
      {VI_ATTR_TMO_VALUE, "VI_ATTR_TMO_VALUE"},
      {VI_ATTR_SEND_END_EN, "VI_ATTR_SEND_END_EN"},
      {VI_ATTR_RSRC_MANF_NAME, "VI_ATTR_RSRC_MANF_NAME"},
      {VI_ATTR_RSRC_IMPL_VERSION, "VI_ATTR_RSRC_IMPL_VERSION"},
      {VI_ATTR_RSRC_SPEC_VERSION, "VI_ATTR_RSRC_SPEC_VERSION"}};
  for (const auto& [known, name] : kNames)
    if (known == attribute) return name;
  return std::to_string(attribute);
}

// The table's entries, each on the current fake.
namespace entries {
#define VISA_FUNCTION(name, parameters, arguments) \
  ViStatus APPARATA_VISA_CALL name parameters { return FakeVisa::Current().name arguments; }
#include "hpib/visa/VisaFunctions.inc"
#undef VISA_FUNCTION
}  // namespace entries

}  // namespace

FakeVisa::FakeVisa() : previous_(std::exchange(g_current, this)) {}
FakeVisa::~FakeVisa() { g_current = previous_; }
FakeVisa& FakeVisa::Current() { return *g_current; }

Functions FakeVisa::Table() {
  Functions table{};
#define VISA_FUNCTION(name, parameters, arguments) table.name = entries::name;
#include "hpib/visa/VisaFunctions.inc"
#undef VISA_FUNCTION
  return table;
}

ViStatus FakeVisa::Answer(const std::string& function, const std::string& arguments, ViStatus status) {
  calls.push_back(function + "(" + arguments + ")");
  auto& queue = statuses[function];
  if (queue.empty()) return status;
  const ViStatus scripted = queue.front();
  queue.pop_front();
  return scripted;
}

std::string FakeVisa::Name(ViSession session) const {
  auto found = names_.find(session);
  return found != names_.end() ? found->second : "?" + std::to_string(session);
}

std::optional<FakeVisa::Resource> FakeVisa::Parse(const std::string& resource) const {
  unsigned board = 0, primary = 0;
  int end = 0;
  if (std::sscanf(resource.c_str(), "GPIB%u::INTFC%n", &board, &end) == 1 && end == int(resource.size()))
    return boards.count(board) ? std::optional<Resource>({board, std::nullopt}) : std::nullopt;
  if (std::sscanf(resource.c_str(), "GPIB%u::%u::INSTR%n", &board, &primary, &end) == 2 &&
      end == int(resource.size()) && primary <= 30 && boards.count(board))
    return Resource{board, primary};
  return std::nullopt;
}

std::optional<std::optional<std::string>> FakeVisa::ListenerAt(ViSession session) const {
  const unsigned primary = Parse(Name(session)).value_or(Resource{}).primary.value_or(0);
  if (!listeners) return std::optional<std::string>();
  auto found = listeners->find(primary);
  if (found == listeners->end()) return std::nullopt;
  return found->second;
}

// Bus I/O with one instrument or the interface: an instrument that is not there answers no
// listener, as a GPIB board does.
ViStatus FakeVisa::Io(const char* function, ViSession session, const std::string& arguments) {
  const bool instrument = IsOpen(session) && Parse(Name(session)).value_or(Resource{}).primary;
  return Answer(function, Name(session) + arguments,
                !IsOpen(session)                    ? VI_ERROR_INV_OBJECT
                : instrument && !ListenerAt(session) ? VI_ERROR_NLISTENERS
                                                    : VI_SUCCESS);
}

ViStatus FakeVisa::viOpenDefaultRM(ViSession* rm) {
  const ViStatus status = Answer("viOpenDefaultRM", "", VI_SUCCESS);
  if (status < VI_SUCCESS) return status;
  *rm = ++last_;
  names_[*rm] = "RM";
  return status;
}

ViStatus FakeVisa::viOpen(ViSession rm, const char* resource, ViUInt32, ViUInt32, ViSession* session) {
  const ViStatus status = Answer("viOpen", resource,
                                 Name(rm) != "RM"      ? VI_ERROR_INV_OBJECT
                                 : !Parse(resource)    ? VI_ERROR_RSRC_NFOUND
                                                       : VI_SUCCESS);
  if (status < VI_SUCCESS) return status;
  *session = ++last_;
  names_[*session] = resource;
  owners_[*session] = rm;
  return status;
}

ViStatus FakeVisa::viClose(ViSession object) {
  const ViStatus status = Answer("viClose", Name(object), IsOpen(object) ? VI_SUCCESS : VI_ERROR_INV_OBJECT);
  // A resource manager takes its sessions with it.
  for (auto owner = owners_.begin(); owner != owners_.end();) {
    if (owner->second == object) {
      names_.erase(owner->first);
      finds_.erase(owner->first);
      owner = owners_.erase(owner);
    } else {
      ++owner;
    }
  }
  names_.erase(object);
  owners_.erase(object);
  finds_.erase(object);
  return status;
}

ViStatus FakeVisa::viSetAttribute(ViSession object, ViAttr attribute, ViAttrState value) {
  return Answer("viSetAttribute", Name(object) + "," + AttributeName(attribute) + "," + std::to_string(value),
                IsOpen(object) ? VI_SUCCESS : VI_ERROR_INV_OBJECT);
}

ViStatus FakeVisa::viStatusDesc(ViSession, ViStatus status, char* description) {
  const char* text = status == VI_SUCCESS             ? "Operation completed successfully."
                     : status == VI_ERROR_TMO         ? "Timeout expired before operation completed."
                     : status == VI_ERROR_RSRC_NFOUND ? "Insufficient location information or resource not present."
                                                      : "Unknown status.";
  std::snprintf(description, kStatusDescLength, "%s", text);
  return VI_SUCCESS;
}

ViStatus FakeVisa::viWrite(ViSession session, const unsigned char* bytes, ViUInt32 count, ViUInt32* written) {
  const ViStatus status = Io("viWrite", session, "," + Bytes(bytes, count));
  *written = status < VI_SUCCESS ? 0 : count;
  return status;
}

// A scripted failure still hands over a scripted listener's bytes, as a read cut short does;
// debug mode's replies are drawn only for a read that succeeds.
ViStatus FakeVisa::viRead(ViSession session, unsigned char* bytes, ViUInt32 count, ViUInt32* read) {
  const auto listener = IsOpen(session) ? ListenerAt(session) : std::nullopt;
  const bool simulated = listener && !*listener && !listeners;
  std::optional<std::string> reply = listener ? *listener : std::nullopt;
  ViStatus status = Answer("viRead", Name(session) + "," + std::to_string(count),
                           !IsOpen(session) ? VI_ERROR_INV_OBJECT
                           : reply || simulated ? VI_SUCCESS
                                                : VI_ERROR_TMO);
  if (simulated && status >= VI_SUCCESS)
    reply = hpib::SimulatedReply(700 + int(Parse(Name(session))->primary.value_or(0)), random_);
  if (reply && status == VI_SUCCESS && reply->size() > count) status = VI_SUCCESS_MAX_CNT;
  *read = reply ? static_cast<ViUInt32>(reply->copy(reinterpret_cast<char*>(bytes), count)) : 0;
  return status;
}

ViStatus FakeVisa::viClear(ViSession session) { return Io("viClear", session, ""); }

ViStatus FakeVisa::viAssertTrigger(ViSession session, ViUInt16 protocol) {
  return Io("viAssertTrigger", session, "," + std::to_string(protocol));
}

ViStatus FakeVisa::viGpibControlREN(ViSession session, ViUInt16 mode) {
  return Io("viGpibControlREN", session, "," + std::to_string(mode));
}

ViStatus FakeVisa::viGpibSendIFC(ViSession session) { return Io("viGpibSendIFC", session, ""); }

ViStatus FakeVisa::viGpibCommand(ViSession session, const unsigned char* bytes, ViUInt32 count, ViUInt32* written) {
  const ViStatus status = Io("viGpibCommand", session, "," + Bytes(bytes, count));
  *written = status < VI_SUCCESS ? 0 : count;
  return status;
}

std::deque<std::string> FakeVisa::Search(const std::string& expression) const {
  std::deque<std::string> found;
  unsigned board = 0;
  int end = 0;
  if (expression == "GPIB?*INTFC")
    for (unsigned present : boards) found.push_back("GPIB" + std::to_string(present) + "::INTFC");
  if (std::sscanf(expression.c_str(), "GPIB%u::?*INSTR%n", &board, &end) == 1 && end == int(expression.size()) &&
      boards.count(board))
    for (unsigned primary = 1; primary <= 30; ++primary)
      if ((!listeners || listeners->count(primary)) && !unlisted.count(primary))
        found.push_back("GPIB" + std::to_string(board) + "::" + std::to_string(primary) + "::INSTR");
  return found;
}

ViStatus FakeVisa::viFindRsrc(ViSession rm, const char* expression, ViFindList* list, ViUInt32* count, char* first) {
  std::deque<std::string> found = Search(expression);
  const ViStatus status = Answer("viFindRsrc", expression,
                                 Name(rm) != "RM" ? VI_ERROR_INV_OBJECT
                                 : found.empty()  ? VI_ERROR_RSRC_NFOUND
                                                  : VI_SUCCESS);
  if (status < VI_SUCCESS) return status;
  *count = static_cast<ViUInt32>(found.size());
  std::snprintf(first, kFindLength, "%s", found.front().c_str());
  found.pop_front();
  *list = ++last_;
  names_[*list] = expression;
  owners_[*list] = rm;
  finds_[*list] = std::move(found);
  return status;
}

ViStatus FakeVisa::viFindNext(ViFindList list, char* next) {
  auto left = finds_.find(list);
  const ViStatus status = Answer("viFindNext", Name(list),
                                 left == finds_.end() || !IsOpen(list) ? VI_ERROR_INV_OBJECT
                                 : left->second.empty()                ? VI_ERROR_RSRC_NFOUND
                                                                       : VI_SUCCESS);
  if (status < VI_SUCCESS) return status;
  std::snprintf(next, kFindLength, "%s", left->second.front().c_str());
  left->second.pop_front();
  return status;
}

// The resource manager tells its maker and versions; nothing else is asked of this library.
ViStatus FakeVisa::viGetAttribute(ViSession object, ViAttr attribute, void* value) {
  const bool told = Name(object) == "RM" && (attribute == VI_ATTR_RSRC_MANF_NAME ||
                                             attribute == VI_ATTR_RSRC_IMPL_VERSION ||
                                             attribute == VI_ATTR_RSRC_SPEC_VERSION);
  const ViStatus status = Answer("viGetAttribute", Name(object) + "," + AttributeName(attribute),
                                 !IsOpen(object) ? VI_ERROR_INV_OBJECT : told ? VI_SUCCESS : VI_ERROR_NSUP_ATTR);
  if (status < VI_SUCCESS) return status;
  if (attribute == VI_ATTR_RSRC_MANF_NAME) std::snprintf(static_cast<char*>(value), kFindLength, "Apparata tests");
  else *static_cast<ViUInt32*>(value) = attribute == VI_ATTR_RSRC_IMPL_VERSION ? 0x00100200 : 0x00500800;
  return status;
}

}  // namespace testing_support
