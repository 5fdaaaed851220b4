#pragma once
// Menus: a context menu holding items, items holding submenus. Items keep their check mark and
// enabled state; clicking a disabled item does nothing.
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Component.h"

namespace toolkit {

class MenuItem : public Component {
 public:
  explicit MenuItem(Component* owner, std::wstring name = {}, std::wstring caption = {});
  ~MenuItem() override;

  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& caption);
  bool IsSeparator() const { return caption_ == L"-"; }
  bool Checked() const { return checked_; }
  // Checking a radio item clears the other radio items of its group under the same parent.
  void SetChecked(bool checked);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool RadioItem = false;
  int GroupIndex = 0;
  // A click toggles the check mark before OnClick runs (checking a radio item clears its group).
  bool AutoCheck = false;

  // The submenu: items placed under this one, in order.
  const std::vector<MenuItem*>& Items() const { return items_; }
  MenuItem* Parent() const { return parent_; }
  void Add(MenuItem& item);

  std::function<void()> OnClick;
  // Runs OnClick, only while the item is enabled. Only AutoCheck toggles the check mark.
  void Click();

 private:
  std::wstring caption_;
  bool checked_ = false;
  bool enabled_ = true;
  MenuItem* parent_ = nullptr;
  std::vector<MenuItem*> items_;
};

class PopupMenu : public Component {
 public:
  explicit PopupMenu(Component* owner, std::wstring name = {});
  // The root whose submenu is the menu.
  MenuItem& Items() { return root_; }
  const MenuItem& Items() const { return root_; }

 private:
  MenuItem root_;
};

}  // namespace toolkit
