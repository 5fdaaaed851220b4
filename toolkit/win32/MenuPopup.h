#pragma once
// A context menu as the system shows it, built afresh from the model each time it pops up, so
// it always shows the model's captions, check marks and enabled states.
#include "toolkit/win32/SystemHeaders.h"

#include <vector>

#include "core/win32/Handles.h"
#include "toolkit/Menu.h"

namespace toolkit::win32 {

class MenuPopup {
 public:
  explicit MenuPopup(const PopupMenu& menu);
  HMENU Handle() const { return menu_.get(); }
  // The item behind a command id of the menu; null for none.
  MenuItem* ItemOf(UINT command) const;
  // Shows the menu at `where` (screen coordinates) until the user chooses or cancels; returns
  // the chosen item, null when cancelled.
  MenuItem* Track(HWND owner, POINT where) const;

 private:
  void Fill(HMENU menu, const MenuItem& parent);
  core::win32::unique_hmenu menu_;
  std::vector<MenuItem*> commands_;  // command id n is commands_[n - 1]
};

}  // namespace toolkit::win32
