#include "hpib/visa/VisaBus.h"

#include <algorithm>

#include "hpib/BusAddress.h"
#include "hpib/visa/VisaStatus.h"

namespace hpib {

using namespace visa;

namespace {

std::string Attribute(const char* name, ViAttrState value) { return std::string(name) + "=" + std::to_string(value); }

}  // namespace

VisaBus::VisaBus(const Functions& functions, unsigned board, VisaTraceSink trace, std::shared_ptr<void> library)
    : library_(std::move(library)), vi_(functions), board_(board), trace_(std::move(trace)) {}

std::string BoardFailure(const std::string& resource, ViStatus status, const std::string& statusText) {
  return resource + " cannot be opened: " + statusText + " (0x" + StatusHex(status) + ")";
}

std::optional<std::string> VisaBus::CheckBoard() {
  ViSession rm = 0;
  ViStatus status = Done("viOpenDefaultRM", "", "", 0, vi_.viOpenDefaultRM(&rm));
  if (status < VI_SUCCESS) return BoardFailure("the VISA resource manager", status, StatusText(0, status));
  const std::string resource = InterfaceResource(board_);
  ViSession session = 0;
  status = Done("viOpen", resource, "", rm, vi_.viOpen(rm, resource.c_str(), VI_NULL, VI_NULL, &session));
  std::optional<std::string> failure;
  if (status < VI_SUCCESS) failure = BoardFailure(resource, status, StatusText(rm, status));
  Done("viClose", "", "", 0, vi_.viClose(rm));
  return failure;
}

Result VisaBus::Open(std::int32_t selectCode) {
  if (BusWord(selectCode) != HPIBSelectCode) return Result::InvalidAddress;
  if (rm_ == 0) {
    ViSession rm = 0;
    const ViStatus status = Done("viOpenDefaultRM", "", "", 0, vi_.viOpenDefaultRM(&rm));
    if (status < VI_SUCCESS) return ResultOf(status);
    rm_ = rm;
  }
  if (interface_.handle == 0) {
    const std::string resource = InterfaceResource(board_);
    ViSession session = 0;
    const ViStatus status =
        Done("viOpen", resource, "", rm_, vi_.viOpen(rm_, resource.c_str(), VI_NULL, VI_NULL, &session));
    if (status < VI_SUCCESS) return ResultOf(status);
    interface_.handle = session;
  }
  return Result::Success;
}

Result VisaBus::Close() {
  if (rm_ == 0) return Result::Success;
  // Closing the resource manager closes every session opened through it.
  const ViSession rm = rm_;
  rm_ = 0;
  interface_ = {};
  instruments_.clear();
  timeout_.reset();
  return ResultOf(Done("viClose", "", "", 0, vi_.viClose(rm)));
}

VisaBus::Target VisaBus::SessionFor(std::int32_t address, Reach reach) {
  const Addressed addressed = AddressFor(address, reach, interface_.handle != 0);
  if (Failed(addressed.result)) return Target::Refused(addressed.result);
  const BusTarget& target = addressed.target;
  const std::string resource = ResourceOf(board_, target);
  if (target.isInterface) return {Result::Success, &interface_, true, resource};
  auto found = instruments_.find(target.primary);
  if (found == instruments_.end()) {
    Session opened;
    const ViStatus status =
        Done("viOpen", resource, "", rm_, vi_.viOpen(rm_, resource.c_str(), VI_NULL, VI_NULL, &opened.handle));
    if (status < VI_SUCCESS) return Target::Refused(ResultOf(status));
    found = instruments_.emplace(target.primary, opened).first;
    if (timeout_)
      if (const Result result = SetTimeout(found->second, resource); Failed(result)) return Target::Refused(result);
  }
  return {Result::Success, &found->second, false, resource};
}

Result VisaBus::SetTimeout(Session& session, const std::string& resource) {
  return ResultOf(Done("viSetAttribute", resource, Attribute("VI_ATTR_TMO_VALUE", *timeout_), session.handle,
                           vi_.viSetAttribute(session.handle, VI_ATTR_TMO_VALUE, *timeout_)));
}

Result VisaBus::Clear(std::int32_t address) {
  const Target t = SessionFor(address, Reach::Either);
  if (Failed(t.result)) return t.result;
  const ViSession session = t.session->handle;
  if (t.isInterface) {
    // Device Clear to every instrument on the bus, as a universal command.
    static const unsigned char kDeviceClear[] = {0x14};
    ViUInt32 sent = 0;
    return ResultOf(Done("viGpibCommand", t.resource, BytesDetail("sent", "\x14"), session,
                             vi_.viGpibCommand(session, kDeviceClear, 1, &sent)));
  }
  return ResultOf(Done("viClear", t.resource, "", session, vi_.viClear(session)));
}

Result VisaBus::Local(std::int32_t address) {
  const Target t = SessionFor(address, Reach::Either);
  if (Failed(t.result)) return t.result;
  // The whole bus goes local when REN is released; one instrument by Go To Local.
  const ViUInt16 mode = t.isInterface ? VI_GPIB_REN_DEASSERT : VI_GPIB_REN_ADDRESS_GTL;
  return ResultOf(Done("viGpibControlREN", t.resource,
                           t.isInterface ? "VI_GPIB_REN_DEASSERT" : "VI_GPIB_REN_ADDRESS_GTL", t.session->handle,
                           vi_.viGpibControlREN(t.session->handle, mode)));
}

Result VisaBus::Trigger(std::int32_t address) {
  const Target t = SessionFor(address, Reach::Either);
  if (Failed(t.result)) return t.result;
  return ResultOf(Done("viAssertTrigger", t.resource, "VI_TRIG_PROT_DEFAULT", t.session->handle,
                           vi_.viAssertTrigger(t.session->handle, VI_TRIG_PROT_DEFAULT)));
}

Result VisaBus::Reset(std::int32_t address) {
  const Target t = SessionFor(address, Reach::Interface);
  if (Failed(t.result)) return t.result;
  return ResultOf(Done("viGpibSendIFC", t.resource, "", t.session->handle, vi_.viGpibSendIFC(t.session->handle)));
}

Result VisaBus::Timeout(std::int32_t address, double seconds) {
  const std::uint16_t milliseconds = TimeoutMilliseconds(seconds);
  const Target t = SessionFor(address, Reach::Interface);
  if (Failed(t.result)) return t.result;
  timeout_ = milliseconds;
  if (const Result result = SetTimeout(interface_, t.resource); Failed(result)) return result;
  for (auto& [primary, instrument] : instruments_)
    if (const Result result = SetTimeout(instrument, InstrumentResource(board_, primary)); Failed(result)) return result;
  return Result::Success;
}

Reply VisaBus::Read(std::int32_t address) {
  const Target t = SessionFor(address, Reach::Instrument);
  if (Failed(t.result)) return NoReply(t.result);
  std::string reply(kReadLength, '\0');
  ViUInt32 count = 0;
  const ViStatus status =
      vi_.viRead(t.session->handle, reinterpret_cast<unsigned char*>(reply.data()), kReadLength, &count);
  reply.resize(std::min(count, kReadLength));
  Done("viRead", t.resource, BytesDetail("received", reply), t.session->handle, status);
  if (status < VI_SUCCESS) return NoReply(ResultOf(status));
  return Received(std::move(reply));
}

Result VisaBus::Write(std::int32_t address, std::string_view bytes, bool end) {
  const Target t = SessionFor(address, Reach::Instrument);
  if (Failed(t.result)) return t.result;
  Session& session = *t.session;
  if (session.sendEnd != end) {
    const ViStatus status = Done("viSetAttribute", t.resource, Attribute("VI_ATTR_SEND_END_EN", end), session.handle,
                                 vi_.viSetAttribute(session.handle, VI_ATTR_SEND_END_EN, end));
    if (status < VI_SUCCESS) return ResultOf(status);
    session.sendEnd = end;
  }
  ViUInt32 written = 0;
  return ResultOf(Done("viWrite", t.resource, BytesDetail("sent", std::string(bytes)), session.handle,
                           vi_.viWrite(session.handle, reinterpret_cast<const unsigned char*>(bytes.data()),
                                       static_cast<ViUInt32>(bytes.size()), &written)));
}

ViStatus VisaBus::Done(const char* operation, const std::string& resource, const std::string& detail,
                          ViSession object, ViStatus status) {
  if (!trace_ && !details_) return status;
  const VisaCall call{operation, resource, detail, status, StatusText(object, status)};
  if (trace_) trace_(call);
  if (details_) details_(VisaTraceLine(call));
  return status;
}

std::string VisaBus::StatusText(ViSession object, ViStatus status) {
  char text[kStatusDescLength] = {};
  if (vi_.viStatusDesc(object, status, text) < VI_SUCCESS) return "(no description)";
  text[kStatusDescLength - 1] = '\0';
  return text;
}

}  // namespace hpib
