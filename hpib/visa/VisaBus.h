#pragma once
// The back end of a VISA library: each bus operation becomes at most one VISA call per message.
// Opening the card opens the resource manager and the board's interface session; instruments
// get their sessions on demand and keep them until the card is closed, which closes the
// resource manager and every session with it. A string message is written with END on its last
// byte, raw bytes without; a reply is read in one call.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "hpib/Bus.h"
#include "hpib/visa/VisaApi.h"
#include "hpib/visa/VisaNames.h"
#include "hpib/TraceBytes.h"
#include "hpib/visa/VisaTrace.h"

namespace hpib {

class VisaBus : public Bus {
 public:
  // `functions` must all be present. Without `trace` nothing is traced. `library`, when given,
  // keeps the functions' library loaded as long as the back end.
  VisaBus(const visa::Functions& functions, unsigned board, VisaTraceSink trace,
          std::shared_ptr<void> library = nullptr);

  // Opens the resource manager and the board's interface and closes them again: nothing when
  // the board can be used, else why not.
  std::optional<std::string> CheckBoard();

  Result Open(std::int32_t selectCode) override;
  Result Close() override;
  Result Reset(std::int32_t address) override;
  Result Timeout(std::int32_t address, double seconds) override;
  Result Clear(std::int32_t address) override;
  Result Local(std::int32_t address) override;
  Result Trigger(std::int32_t address) override;
  Result Write(std::int32_t address, std::string_view bytes, bool end) override;
  Reply Read(std::int32_t address) override;
  // Each VISA call as VisaTraceLine writes it, beside `trace`.
  void SendDetailsTo(DetailSink details) override { details_ = std::move(details); }

  // Bytes one read asks for; the layer takes at most HPIBMaxMessage of them.
  static constexpr visa::ViUInt32 kReadLength = 1024;

 private:
  struct Session {
    visa::ViSession handle = 0;
    bool sendEnd = true;  // the standard's default for instrument sessions
  };

  struct Target {
    Result result = Result::Success;  // not Success: why there is no session
    Session* session = nullptr;
    bool isInterface = false;
    std::string resource;
    static Target Refused(Result result) {
      Target target;
      target.result = result;
      return target;
    }
  };
  // The session for `address`, an instrument's opened on its first use; core::ERangeError for
  // an address beyond 16 bits.
  Target SessionFor(std::int32_t address, Reach reach);
  Result SetTimeout(Session& session, const std::string& resource);
  // Hands the call to the trace and answers its status.
  visa::ViStatus Done(const char* operation, const std::string& resource, const std::string& detail,
                      visa::ViSession object, visa::ViStatus status);
  std::string StatusText(visa::ViSession object, visa::ViStatus status);

  std::shared_ptr<void> library_;  // first in, last out
  visa::Functions vi_;
  unsigned board_;
  VisaTraceSink trace_;
  DetailSink details_;
  visa::ViSession rm_ = 0;
  Session interface_;
  std::map<unsigned, Session> instruments_;  // by primary address
  std::optional<visa::ViUInt32> timeout_;    // set on every session, the later ones too
};

// The terminal's reason when the board cannot be opened: "GPIB1::INTFC cannot be opened:
// <status text> (0xBFFF0011)".
std::string BoardFailure(const std::string& resource, visa::ViStatus status, const std::string& statusText);

}  // namespace hpib
