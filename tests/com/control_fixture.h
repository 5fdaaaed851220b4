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
    com_ptr<IConnectionPointContainer> container;
    ASSERT_HR(S_OK, device_->QueryInterface(IID_IConnectionPointContainer, container.put_void()));
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
    unique_bstr text;
    EXPECT_HR(S_OK, device_->get_Text(text.put()));
    return text.str();
  }

  // Declared first, gone last: the control fires OnDestroy into it when it is released.
  EventSink sink_{DIID_IQXDeviceEvents};
  com_ptr<IQXDevice> device_;
  com_ptr<IConnectionPoint> point_;
};

// One of WriteAtOnceFromTwoApartments's writers, on a thread of its own.
struct ApartmentWriter {
  const wchar_t* progId;
  LONG port;
  std::wstring text;
  int rounds;
  HANDLE start;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // set when the control is made
  HRESULT result = E_PENDING;

  static DWORD WINAPI Run(void* parameter) {
    ApartmentWriter& writer = *static_cast<ApartmentWriter*>(parameter);
    if (FAILED(writer.result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    {
      com_ptr<IQXDevice> device;
      CLSID clsid{};
      if (SUCCEEDED(writer.result = CLSIDFromProgID(writer.progId, &clsid)) &&
          SUCCEEDED(writer.result =
                        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device.put_void())) &&
          SUCCEEDED(writer.result = device->put_Port(writer.port))) {
        SetEvent(writer.ready);
        WaitForSingleObject(writer.start, 10000);
        const unique_bstr text(writer.text);
        for (int i = 0; i < writer.rounds && SUCCEEDED(writer.result); ++i) writer.result = device->put_Text(text.get());
      }
    }
    SetEvent(writer.ready);
    CoUninitialize();
    return 0;
  }
};

// Two controls of `progId`, each made on an apartment thread of its own, writing their own text
// `rounds` times at once while this thread pumps; answers each writer's first failure (S_OK:
// every write succeeded).
inline std::vector<HRESULT> WriteAtOnceFromTwoApartments(const wchar_t* progId, LONG port,
                                                         const std::wstring (&texts)[2], int rounds) {
  const HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ApartmentWriter writers[2] = {{progId, port, texts[0], rounds, start}, {progId, port, texts[1], rounds, start}};
  HANDLE threads[2];
  for (int i = 0; i < 2; ++i) threads[i] = CreateThread(nullptr, 0, ApartmentWriter::Run, &writers[i], 0, nullptr);
  // Both controls made before either writes, so that the writes meet.
  const HANDLE ready[2] = {writers[0].ready, writers[1].ready};
  PumpUntil([&] { return WaitForMultipleObjects(2, ready, TRUE, 0) == WAIT_OBJECT_0; }, 20000);
  SetEvent(start);
  PumpUntil([&] { return WaitForMultipleObjects(2, threads, TRUE, 0) == WAIT_OBJECT_0; }, 60000);
  for (int i = 0; i < 2; ++i) {
    CloseHandle(threads[i]);
    CloseHandle(ready[i]);
  }
  CloseHandle(start);
  return {writers[0].result, writers[1].result};
}

}  // namespace server_test
