#pragma once
// The driver contract answered by a VISA library: each of the 14 entry points becomes at most
// one VISA call per message. Opening the card opens the resource manager and the board's
// interface session; instruments get their sessions on demand and keep them until the card is
// closed, which closes the resource manager and every session with it. A string message is
// written with END on its last byte, raw bytes without; a read fills the transfer buffer in one
// call.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "hpib/BusDriver.h"
#include "hpib/VisaApi.h"
#include "hpib/VisaNames.h"
#include "hpib/VisaTrace.h"

namespace hpib {

class VisaDriver : public BusDriver {
 public:
  // `functions` must all be present. Without `trace` nothing is traced.
  VisaDriver(const visa::Functions& functions, unsigned board, VisaTraceSink trace);

  // Opens the resource manager and the board's interface and closes them again: nothing when
  // the board can be used, else why not.
  std::optional<std::string> CheckBoard();

  std::uint32_t GetProcAddress16(const char* name) override;
  std::uint16_t Call16(std::uint32_t address, std::uint16_t first, std::uint16_t second) override;

  // Bytes one read asks for; the layer takes at most HPIBMaxMessage of them.
  static constexpr visa::ViUInt32 kReadLength = 1024;

 private:
  struct Session {
    visa::ViSession handle = 0;
    bool sendEnd = true;  // the standard's default for instrument sessions
  };
  using Handler = std::uint16_t (VisaDriver::*)(std::uint16_t first, std::uint16_t second);
  struct Entry {
    const char* name;
    Handler handler;
  };
  static const Entry kEntries[14];

  std::uint16_t Open(std::uint16_t selectCode, std::uint16_t);
  std::uint16_t Close(std::uint16_t, std::uint16_t);
  std::uint16_t Clear(std::uint16_t address, std::uint16_t);
  std::uint16_t Local(std::uint16_t address, std::uint16_t);
  std::uint16_t Trigger(std::uint16_t address, std::uint16_t);
  std::uint16_t Reset(std::uint16_t address, std::uint16_t);
  std::uint16_t Timeout(std::uint16_t milliseconds, std::uint16_t address);
  std::uint16_t Enter(std::uint16_t address, std::uint16_t);
  std::uint16_t GetBufLen(std::uint16_t, std::uint16_t);
  std::uint16_t GetBuf(std::uint16_t position, std::uint16_t);
  std::uint16_t SetBufLen(std::uint16_t count, std::uint16_t);
  std::uint16_t SetBuf(std::uint16_t position, std::uint16_t byte);
  std::uint16_t OutputString(std::uint16_t address, std::uint16_t);
  std::uint16_t OutputBytes(std::uint16_t address, std::uint16_t);

  // Which sessions an entry point can address; any other address is improper.
  enum class Reach { Interface, Instrument, Either };
  struct Target {
    std::uint16_t code = 0;  // not 0: why there is no session
    Session* session = nullptr;
    bool isInterface = false;
    std::string resource;
    static Target Refused(std::uint16_t code) {
      Target target;
      target.code = code;
      return target;
    }
  };
  // The session for `address`, an instrument's opened on its first use.
  Target SessionFor(std::uint16_t address, Reach reach);
  std::uint16_t Write(std::uint16_t address, bool end);
  std::uint16_t SetTimeout(Session& session, const std::string& resource);
  // Hands the call to the trace and answers its status.
  visa::ViStatus Done(const char* operation, const std::string& resource, const std::string& detail,
                      visa::ViSession object, visa::ViStatus status);
  std::string StatusText(visa::ViSession object, visa::ViStatus status);

  visa::Functions vi_;
  unsigned board_;
  VisaTraceSink trace_;
  visa::ViSession rm_ = 0;
  Session interface_;
  std::map<unsigned, Session> instruments_;  // by primary address
  std::optional<visa::ViUInt32> timeout_;    // set on every session, the later ones too
  std::string in_, out_;                     // the transfer buffer, each way
};

// The terminal's reason when the board cannot be opened: "GPIB1::INTFC cannot be opened:
// <status text> (0xBFFF0011)".
std::string BoardFailure(const std::string& resource, visa::ViStatus status, const std::string& statusText);

}  // namespace hpib
