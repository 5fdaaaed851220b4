#pragma once
// A form: a top-level window when it has no parent window, else a child of the host's window.
#include "toolkit/Form.h"
#include "toolkit/win32/WindowPeer.h"

namespace toolkit::win32 {

class FormPeer final : public WidgetPeer<Form> {
 public:
  FormPeer(PeerContext& context, Form& form);

 protected:
  const wchar_t* ClassName() const override { return kFormClass; }
  DWORD Style() const override;
  HWND ParentWindow() const override;
  bool ShowActivates() const override { return TopLevel(); }
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  bool TopLevel() const { return Model().ParentWindow() == 0; }
  void PaintBackground(HDC dc) const;
};

}  // namespace toolkit::win32
