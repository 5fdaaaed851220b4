#pragma once
// Wine lays text out through a cache of fonts that its threads share without a lock (gdi32's
// script cache, which the edit control reaches on every change of its text): two threads laying
// out text at once can crash the process. Under Wine, the library's windows therefore lay out
// text on one thread at a time: the window procedures of the system's classes that show text
// (static, edit, button, combo box), the making and destroying of those windows, and the
// library's own text drawing hold one process-wide lock. The library's own handling of a
// message never holds it, so that no bus operation, call to the host, event or message to
// another thread happens under it: a notification that such a window sends its parent (EN_CHANGE
// among them) lets go of the lock for as long as the parent handles it.
//
// Windows is not known to have the fault, and there the lock is not taken: what a host sees of
// the library on Windows stays as it was. A host's own windows on other threads are beyond the
// library's reach.
#include "toolkit/win32/SystemHeaders.h"

namespace toolkit::win32 {

// Whether windows of this system class lay out text.
bool LaysOutText(const wchar_t* className);

// Holds the lock for its scope (under Wine); a thread may hold it more than once.
class TextLayoutHold {
 public:
  TextLayoutHold();
  ~TextLayoutHold();
  TextLayoutHold(const TextLayoutHold&) = delete;
  TextLayoutHold& operator=(const TextLayoutHold&) = delete;
};

// Lets go of every hold of this thread for its scope, and takes them again after it.
class TextLayoutRelease {
 public:
  TextLayoutRelease();
  ~TextLayoutRelease();
  TextLayoutRelease(const TextLayoutRelease&) = delete;
  TextLayoutRelease& operator=(const TextLayoutRelease&) = delete;

 private:
  int held_;
};

}  // namespace toolkit::win32
