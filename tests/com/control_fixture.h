#pragma once
// A suite whose tests each get one control of a class, at a port, with the test's sink
// connected to its events.
#include "server_test_support.h"

#include <ocidl.h>

#include "Apparata_h.h"

namespace server_test {

class ConnectedControl : public RegisteredServer {
 protected:
  // Fatal on failure: call it inside ASSERT_NO_FATAL_FAILURE. Without `connectSink` the test
  // connects what it wants to `point_` itself.
  void Create(const wchar_t* progId, LONG port, bool connectSink = true) {
    CLSID clsid{};
    ASSERT_HR(S_OK, CLSIDFromProgID(progId, &clsid));
    ASSERT_HR(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device_.put_void()));
    Ref<IConnectionPointContainer> container;
    ASSERT_HR(S_OK, device_.As(IID_IConnectionPointContainer, container));
    ASSERT_HR(S_OK, container->FindConnectionPoint(DIID_IQXDeviceEvents, point_.put()));
    DWORD cookie = 0;
    if (connectSink) {
      ASSERT_HR(S_OK, point_->Advise(&sink_, &cookie));
    }
    ASSERT_HR(S_OK, device_->put_Port(port));
  }
  void TearDown() override {
    // The handlers refer to the test's locals, which are gone; OnDestroy is only recorded.
    sink_.onEvent = nullptr;
    point_.reset();
    device_.reset();
  }
  std::wstring Text() {
    Bstr text;
    EXPECT_HR(S_OK, device_->get_Text(text.put()));
    return text.str();
  }

  // Declared first, gone last: the control fires OnDestroy into it when it is released.
  EventSink sink_{DIID_IQXDeviceEvents};
  Ref<IQXDevice> device_;
  Ref<IConnectionPoint> point_;
};

}  // namespace server_test
