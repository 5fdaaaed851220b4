#include "toolkit/Platform.h"

#include <cstdlib>
#include <cstdio>

#include "core/Exceptions.h"
#include "core/Latin1.h"
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
  } catch (const core::Exception& e) {
    CurrentPlatform().ShowError(&source, e.Message());
  } catch (const std::exception& e) {
    CurrentPlatform().ShowError(&source, core::FromLatin1(e.what()));
  }
}

}  // namespace toolkit
