#pragma once
// A VISA library for tests, as a function table: records every call but viStatusDesc as
// "viName(resource,arguments)", answers scripted statuses per function (success otherwise),
// serves a scripted reply to viRead, and names each session after the resource it opened.
#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "hpib/VisaApi.h"

namespace testing_support {

class FakeVisa {
 public:
  using ViStatus = hpib::visa::ViStatus;
  using ViSession = hpib::visa::ViSession;

  FakeVisa() { current_ = this; }
  ~FakeVisa() { current_ = nullptr; }
  FakeVisa(const FakeVisa&) = delete;
  FakeVisa& operator=(const FakeVisa&) = delete;

  static hpib::visa::Functions Table() {
    return {OpenDefaultRM, Open, Close, SetAttribute, StatusDesc, Write, Read, Clear, AssertTrigger, ControlREN,
            SendIFC,       Command};
  }

  std::vector<std::string> calls;
  std::map<std::string, std::deque<ViStatus>> statuses;  // next statuses by function
  std::string reply;                                     // what viRead answers

 private:
  static FakeVisa& Self() { return *current_; }
  ViStatus Answer(const std::string& function, const std::string& call) {
    calls.push_back(function + "(" + call + ")");
    auto& queue = statuses[function];
    if (queue.empty()) return hpib::visa::VI_SUCCESS;
    const ViStatus status = queue.front();
    queue.pop_front();
    return status;
  }
  std::string Name(ViSession session) {
    auto found = names_.find(session);
    return found != names_.end() ? found->second : "?" + std::to_string(session);
  }
  static std::string Bytes(const unsigned char* bytes, hpib::visa::ViUInt32 count) {
    return std::string(reinterpret_cast<const char*>(bytes), count);
  }

  static ViStatus APPARATA_VISA_CALL OpenDefaultRM(ViSession* rm) {
    *rm = 1;
    Self().names_[1] = "RM";
    return Self().Answer("viOpenDefaultRM", "");
  }
  static ViStatus APPARATA_VISA_CALL Open(ViSession rm, const char* resource, hpib::visa::ViUInt32,
                                          hpib::visa::ViUInt32, ViSession* session) {
    const ViStatus status = Self().Answer("viOpen", Self().Name(rm) + "," + resource);
    if (status >= 0) {
      *session = ++Self().last_;
      Self().names_[*session] = resource;
    }
    return status;
  }
  static ViStatus APPARATA_VISA_CALL Close(ViSession object) { return Self().Answer("viClose", Self().Name(object)); }
  static ViStatus APPARATA_VISA_CALL SetAttribute(ViSession object, hpib::visa::ViAttr attribute,
                                                  hpib::visa::ViAttrState value) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(attribute));
    return Self().Answer("viSetAttribute", Self().Name(object) + "," + hex + "," + std::to_string(value));
  }
  static ViStatus APPARATA_VISA_CALL StatusDesc(ViSession, ViStatus status, char* description) {
    std::snprintf(description, hpib::visa::kStatusDescLength, "text of %08X", static_cast<unsigned>(status));
    return hpib::visa::VI_SUCCESS;
  }
  static ViStatus APPARATA_VISA_CALL Write(ViSession session, const unsigned char* bytes,
                                           hpib::visa::ViUInt32 count, hpib::visa::ViUInt32* written) {
    *written = count;
    return Self().Answer("viWrite", Self().Name(session) + "," + Bytes(bytes, count));
  }
  static ViStatus APPARATA_VISA_CALL Read(ViSession session, unsigned char* bytes, hpib::visa::ViUInt32 count,
                                          hpib::visa::ViUInt32* read) {
    const std::string& reply = Self().reply;
    *read = static_cast<hpib::visa::ViUInt32>(std::min<std::size_t>(reply.size(), count));
    std::copy_n(reply.data(), *read, bytes);
    return Self().Answer("viRead", Self().Name(session) + "," + std::to_string(count));
  }
  static ViStatus APPARATA_VISA_CALL Clear(ViSession session) { return Self().Answer("viClear", Self().Name(session)); }
  static ViStatus APPARATA_VISA_CALL AssertTrigger(ViSession session, hpib::visa::ViUInt16 protocol) {
    return Self().Answer("viAssertTrigger", Self().Name(session) + "," + std::to_string(protocol));
  }
  static ViStatus APPARATA_VISA_CALL ControlREN(ViSession session, hpib::visa::ViUInt16 mode) {
    return Self().Answer("viGpibControlREN", Self().Name(session) + "," + std::to_string(mode));
  }
  static ViStatus APPARATA_VISA_CALL SendIFC(ViSession session) {
    return Self().Answer("viGpibSendIFC", Self().Name(session));
  }
  static ViStatus APPARATA_VISA_CALL Command(ViSession session, const unsigned char* bytes,
                                             hpib::visa::ViUInt32 count, hpib::visa::ViUInt32* written) {
    *written = count;
    char hex[8];
    std::string text;
    for (hpib::visa::ViUInt32 i = 0; i < count; ++i) {
      std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
      text += hex;
    }
    return Self().Answer("viGpibCommand", Self().Name(session) + "," + text);
  }

  inline static FakeVisa* current_ = nullptr;
  std::map<ViSession, std::string> names_;
  ViSession last_ = 1;
};

}  // namespace testing_support
