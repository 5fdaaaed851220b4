#include "toolkit/win32/TextLayoutLock.h"

#include <algorithm>
#include <iterator>

namespace toolkit::win32 {
namespace {

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool Needed() {
  static const bool needed = UnderWine();
  return needed;
}

// A slim lock costs no kernel object when threads meet on it (a critical section keeps one for
// good); this thread's count of holds makes it one that a thread may take again.
SRWLOCK g_lock = SRWLOCK_INIT;
thread_local int t_held = 0;

void Take(int times) {
  if (times == 0 || !Needed()) return;
  if (t_held == 0) AcquireSRWLockExclusive(&g_lock);
  t_held += times;
}

void Leave(int times) {
  if (times == 0 || !Needed()) return;
  t_held -= times;
  if (t_held == 0) ReleaseSRWLockExclusive(&g_lock);
}

}  // namespace

bool LaysOutText(const wchar_t* className) {
  static const wchar_t* const kClasses[] = {WC_STATICW, WC_EDITW, WC_BUTTONW, WC_COMBOBOXW};
  return std::any_of(std::begin(kClasses), std::end(kClasses),
                     [className](const wchar_t* name) { return lstrcmpiW(name, className) == 0; });
}

TextLayoutHold::TextLayoutHold() { Take(1); }

TextLayoutHold::~TextLayoutHold() { Leave(1); }

TextLayoutRelease::TextLayoutRelease() : held_(t_held) { Leave(held_); }

TextLayoutRelease::~TextLayoutRelease() { Take(held_); }

}  // namespace toolkit::win32
