#include "toolkit/Platform.h"

#include <cstdlib>
#include <cstdio>
#include <utility>

#include "core/Exceptions.h"
#include "toolkit/Form.h"

namespace toolkit {
namespace {
Platform* g_platform = nullptr;
thread_local ErrorBoxDetour* t_detour = nullptr;
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
  std::wstring message;
  try {
    handler();
    return;
  } catch (const std::exception& e) {
    message = core::MessageOf(e);
  }
  if (t_detour)
    t_detour->report_(message);
  else
    CurrentPlatform().ShowError(&source, message);
}

ErrorBoxDetour::ErrorBoxDetour(std::function<void(const std::wstring&)> report)
    : report_(std::move(report)), outer_(std::exchange(t_detour, this)) {}

ErrorBoxDetour::~ErrorBoxDetour() { t_detour = outer_; }

}  // namespace toolkit
