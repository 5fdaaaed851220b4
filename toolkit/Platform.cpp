#include "toolkit/Platform.h"

#include <cstdlib>
#include <cstdio>

#include "toolkit/Exceptions.h"

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

void DispatchUserEvent(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const Exception& e) {
    CurrentPlatform().ShowError(e.Message());
  } catch (const std::exception& e) {
    std::wstring text;
    for (const char* p = e.what(); *p; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    CurrentPlatform().ShowError(text);
  }
}

}  // namespace toolkit
