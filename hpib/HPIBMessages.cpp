#include "hpib/HPIBMessages.h"

namespace hpib {

// The rows are narrow literals so that the resource compiler reads them too; L"" widens them.
#define HPIB_RESULT_MESSAGE(name, stringId, text) {stringId, L"" text},
#define HPIB_MESSAGE(name, stringId, text)
const HPIBMessage kResultMessages[13] = {
#include "hpib/HPIBMessageTable.inc"
};
#undef HPIB_RESULT_MESSAGE
#undef HPIB_MESSAGE

#define HPIB_RESULT_MESSAGE(name, stringId, text)
#define HPIB_MESSAGE(name, stringId, text) const HPIBMessage name = {stringId, L"" text};
#include "hpib/HPIBMessageTable.inc"
#undef HPIB_RESULT_MESSAGE
#undef HPIB_MESSAGE

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

std::wstring ResultText(Result result) {
  const auto code = static_cast<std::uint16_t>(result);
  if (code >= 1 && code <= 13) return MessageText(kResultMessages[code - 1]);
  return L"?????";
}

}  // namespace hpib
