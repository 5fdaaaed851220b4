#pragma once
// Receives one control's events and prints each reading as it arrives: seconds since the demo
// started, the control's name and its Text, with line breaks shown as " | "; and hands the Text
// on to whoever wants the readings themselves.
#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>

#include "Apparata_h.h"
#include "core/win32/ComResource.h"
#include "tools/common/DispatchObject.h"

namespace demo {

class ReadingSink final : public tools::DispatchObject {
 public:
  using Reading = std::function<void(const std::wstring& text)>;
  // `onData` is the DISPID of OnData, as the control's type information gives it.
  static core::win32::com_ptr<IDispatch> Create(std::wstring name, core::win32::com_ptr<IQXDevice> device,
                                                DISPID onData, ULONGLONG startTick, Reading onReading);

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) noexcept override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) noexcept override;

 private:
  ReadingSink(std::wstring name, core::win32::com_ptr<IQXDevice> device, DISPID onData, ULONGLONG startTick,
              Reading onReading)
      : DispatchObject(DIID_IQXDeviceEvents),
        name_(std::move(name)),
        device_(std::move(device)),
        onData_(onData),
        startTick_(startTick),
        onReading_(std::move(onReading)) {}

  std::wstring name_;
  // Held until the demo disconnects the sink, which ends the circle control -> sink -> control.
  core::win32::com_ptr<IQXDevice> device_;
  DISPID onData_;
  ULONGLONG startTick_;
  Reading onReading_;
};

}  // namespace demo
