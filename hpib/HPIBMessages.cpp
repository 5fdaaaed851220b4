#include "hpib/HPIBMessages.h"

namespace hpib {

const HPIBMessage kResultMessages[13] = {
    {65304, L"Unknown HPIB error!"},
    {65305, L"Invalid HPIB select code or device address!"},
    {65306, L"HPIB value out of range!"},
    {65307, L"HPIB timeout!"},
    {65308, L"HPIB must be controller!"},
    {65309, L"HPIB pass control not permitted!"},
    {65310, L"Invalid HPIB number!"},
    {65311, L"Improper HPIB addressing!"},
    {65280, L"File I/O HPIB error!"},
    {65281, L"Cannot open this HPIB card!"},
    {65282, L"HPIB card is not open!"},
    {65283, L"Cannot close HPIB card!"},
    {65284, L"Invalid handle for this HPIB ISC!"},
};

const HPIBMessage kMissingEntryMessage = {65302, L"Unable to obtain function <%s>!"};
const HPIBMessage kCriticalErrorMessage = {65303, L"Critical HPIB driver error:\n%s"};

namespace {
MessageLoader& Loader() {
  static MessageLoader loader;
  return loader;
}
}  // namespace

void SetMessageLoader(MessageLoader loader) { Loader() = std::move(loader); }

std::wstring MessageText(const HPIBMessage& message) {
  if (Loader())
    if (std::optional<std::wstring> loaded = Loader()(message.stringId)) return *loaded;
  return message.text;
}

std::wstring ResultCodeText(std::uint32_t code) {
  if (code >= 1 && code <= 13) return MessageText(kResultMessages[code - 1]);
  return L"?????";
}

}  // namespace hpib
