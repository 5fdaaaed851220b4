// A control made on a second single-threaded apartment of the host: its windows, its timer, its
// ticks and its events belong to that thread, and its debug log never makes it wait for the
// thread that loaded the library, which here pumps no messages at all.
// Usage: server_apartments_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "server_test_support.h"

#include <ocidl.h>

#include "Apparata_h.h"

namespace {

using namespace server_test;

struct Apartment {
  DWORD thread = 0;
  std::vector<DWORD> eventThreads;  // the thread of each OnData
  bool done = false;
};

DWORD WINAPI RunSecondApartment(void* parameter) {
  auto& apartment = *static_cast<Apartment*>(parameter);
  apartment.thread = GetCurrentThreadId();
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  {
    EventSink sink(DIID_IQXDeviceEvents);
    sink.onEvent = [&](DISPID dispid) {
      if (dispid == 3) apartment.eventThreads.push_back(GetCurrentThreadId());
    };
    Ref<IQXDevice> device;
    Ref<IConnectionPointContainer> container;
    Ref<IConnectionPoint> point;
    DWORD cookie = 0;
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(L"Apparata.B740X", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device.put_void())) ||
        FAILED(device.As(IID_IConnectionPointContainer, container)) ||
        FAILED(container->FindConnectionPoint(DIID_IQXDeviceEvents, point.put())) ||
        FAILED(point->Advise(&sink, &cookie)) || FAILED(device->put_Port(7)) || FAILED(device->Trigger()))
      return 2;
    PumpUntil([&] { return !apartment.eventThreads.empty(); }, 3000);
    sink.onEvent = nullptr;
  }
  CoUninitialize();
  apartment.done = true;
  return 0;
}

TEST_F(RegisteredServer, AControlOnASecondApartmentTicksThereAndNeverWaitsForTheFirst) {
  // The library is loaded, with its debug terminal, by this thread.
  ASSERT_TRUE(DebugTerminalLines().has_value());
  Apartment apartment;
  HANDLE thread = CreateThread(nullptr, 0, RunSecondApartment, &apartment, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  // Not pumping here: a control that needed this thread would hang.
  const DWORD waited = WaitForSingleObject(thread, 10000);
  DWORD exitCode = 99;
  GetExitCodeThread(thread, &exitCode);
  if (waited != WAIT_OBJECT_0) {
    PumpUntil([&] { return apartment.done; }, 10000);  // let it finish before it is judged
    WaitForSingleObject(thread, 10000);
  }
  CloseHandle(thread);
  ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), waited) << "the second apartment waited for the first";
  EXPECT_EQ(0u, exitCode);
  EXPECT_EQ(std::vector<DWORD>{apartment.thread}, apartment.eventThreads) << "one OnData, on the control's thread";

  // Its log lines reach the terminal, in order, once this thread pumps.
  std::vector<std::wstring> lines;
  PumpUntil([&] {
    lines = DebugTerminalLines().value_or(std::vector<std::wstring>{});
    return lines.size() >= 5;
  }, 3000);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ((std::vector<std::wstring>{L"Card #7 opened", L"Reset address 7", L"Set timeout 3 for card 7",
                                       L"Trigger address 707", L"Read from 707: R +11350E-4"}),
            std::vector<std::wstring>(lines.end() - 5, lines.end()));
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
