#include "toolkit/win32/MenuPopup.h"

namespace toolkit::win32 {

MenuPopup::MenuPopup(const PopupMenu& menu) : menu_(CreatePopupMenu()) { Fill(menu_.get(), menu.Items()); }

void MenuPopup::Fill(HMENU menu, const MenuItem& parent) {
  for (MenuItem* item : parent.Items()) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    if (item->IsSeparator()) {
      info.fMask = MIIM_FTYPE;
      info.fType = MFT_SEPARATOR;
    } else {
      info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_ID;
      info.fType = item->RadioItem ? MFT_RADIOCHECK : MFT_STRING;
      info.fState = (item->Checked() ? MFS_CHECKED : 0) | (item->Enabled() ? 0 : MFS_GRAYED);
      info.dwTypeData = const_cast<wchar_t*>(item->Caption().c_str());
      commands_.push_back(item);
      info.wID = static_cast<UINT>(commands_.size());
      if (!item->Items().empty()) {
        core::win32::unique_hmenu submenu(CreatePopupMenu());
        Fill(submenu.get(), *item);
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = submenu.get();
        if (InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info)) submenu.release();  // the menu owns it now
        continue;
      }
    }
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
  }
}

MenuItem* MenuPopup::ItemOf(UINT command) const {
  return command >= 1 && command <= commands_.size() ? commands_[command - 1] : nullptr;
}

MenuItem* MenuPopup::Track(HWND owner, POINT where) const {
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      menu_.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, where.x,
      where.y, 0, owner, nullptr));
  return ItemOf(command);
}

}  // namespace toolkit::win32
