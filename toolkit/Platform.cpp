#include "toolkit/Platform.h"

#include <cstdlib>
#include <cstdio>

#include "toolkit/Exceptions.h"
#include "toolkit/Form.h"

namespace toolkit {
namespace {
Platform* g_platform = nullptr;
}

Platform& CurrentPlatform() {
  if (!g_platform) {
    // A programming error, not a user's: nothing can be shown without a platform.
    std::fputs("toolkit: no platform set\n", stderr);
    std::abort();
  }
  return *g_platform;
}

Platform* SetCurrentPlatform(Platform* platform) {
  Platform* previous = g_platform;
  g_platform = platform;
  return previous;
}

void DispatchUserEvent(Component& source, const std::function<void()>& handler) {
  // The box is a call out too: the host may let the control go while it is up.
  FormHold hold(source);
  try {
    handler();
  } catch (const Exception& e) {
    CurrentPlatform().ShowError(&source, e.Message());
  } catch (const std::exception& e) {
    std::wstring text;
    for (const char* p = e.what(); *p; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    CurrentPlatform().ShowError(&source, text);
  }
}

}  // namespace toolkit
