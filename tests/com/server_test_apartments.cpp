// A control made on a second single-threaded apartment of the host: its windows, its timer, its
// ticks and its events belong to that thread, and its debug log never makes it wait for the
// thread that loaded the library, which here pumps no messages at all. The debug terminal comes
// with the first control and shows the lines of controls made after that control's thread ended.
// Usage: server_apartments_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "control_fixture.h"

namespace {

using namespace server_test;

struct Apartment {
  DWORD thread = 0;
  std::vector<DWORD> eventThreads;  // the thread of each OnData
  std::vector<std::wstring> lines;  // the terminal's lines after the reading
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
    com_ptr<IQXDevice> device;
    com_ptr<IConnectionPointContainer> container;
    com_ptr<IConnectionPoint> point;
    DWORD cookie = 0;
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(L"Apparata.B740X", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device.put_void())) ||
        FAILED(device->QueryInterface(IID_IConnectionPointContainer, container.put_void())) ||
        FAILED(container->FindConnectionPoint(DIID_IQXDeviceEvents, point.put())) ||
        FAILED(point->Advise(&sink, &cookie)) || FAILED(device->put_Port(7)) || FAILED(device->Trigger()))
      return 2;
    PumpUntil([&] { return !apartment.eventThreads.empty(); }, 3000);
    sink.onEvent = nullptr;
    apartment.lines = DebugTerminalLines().value_or(std::vector<std::wstring>{});
  }
  CoUninitialize();
  apartment.done = true;
  return 0;
}

TEST_F(RegisteredServer, AControlOnASecondApartmentTicksThereAndNeverWaitsForTheFirst) {
  ASSERT_FALSE(DebugTerminalLines().has_value()) << "a terminal before the first control";
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
  EXPECT_EQ((std::vector<std::wstring>{L"Card #7 opened", L"Reset address 7", L"Set timeout 3 for card 7",
                                       L"Trigger address 707", L"Read from 707: R +11350E-4"}),
            apartment.lines);

  // That thread has ended, with its windows; a control made here logs to a terminal that shows.
  com_ptr<IQXDevice> device;
  ASSERT_HR(S_OK, CoCreateInstance(CLSID_B740X, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device.put_void()));
  ASSERT_HR(S_OK, device->put_Port(9));
  ASSERT_HR(S_OK, device->Trigger());
  const std::optional<std::vector<std::wstring>> lines = DebugTerminalLines();
  ASSERT_TRUE(lines.has_value()) << "no terminal";
  ASSERT_FALSE(lines->empty());
  EXPECT_EQ(L"Trigger address 709", lines->back());
  EXPECT_TRUE(IsWindowVisible(FindOwnWindow(L"HPIB driver debug terminal")));
}

TEST_F(RegisteredServer, TwoApartmentsWritingAtOnceLogEveryWriteWhole) {
  // Held here, so that the library stays in use, with its terminal, when the writers have gone.
  com_ptr<IQXDevice> held;
  ASSERT_HR(S_OK, CoCreateInstance(CLSID_B740X, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, held.put_void()));
  const std::wstring texts[2] = {L"D" + std::wstring(40, L'A'), L"D" + std::wstring(40, L'B')};
  EXPECT_EQ((std::vector<HRESULT>{S_OK, S_OK}), WriteAtOnceFromTwoApartments(L"Apparata.B740X", 7, texts, 300));
  // The terminal keeps the lines since it last emptied itself: each one is one whole write.
  const std::vector<std::wstring> lines = DebugTerminalLines().value_or(std::vector<std::wstring>{});
  ASSERT_FALSE(lines.empty());
  for (const std::wstring& line : lines)
    EXPECT_TRUE(line == L"Write to 707: " + texts[0] + std::wstring(18, L' ') ||
                line == L"Write to 707: " + texts[1] + std::wstring(18, L' '))
        << Narrow(line);
}

// A worker of the multithreaded apartment, given the control through marshalled pointers.
struct Worker {
  IStream* device = nullptr;
  IStream* dispatch = nullptr;
  std::vector<std::string> failures;
  void Check(bool ok, const std::string& what) {
    if (!ok) failures.push_back(what);
  }
};

DWORD WINAPI RunWorker(void* parameter) {
  auto& worker = *static_cast<Worker*>(parameter);
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
  {
    com_ptr<IQXDevice> device;
    com_ptr<IDispatch> dispatch;
    worker.Check(SUCCEEDED(CoGetInterfaceAndReleaseStream(worker.device, IID_IQXDevice, device.put_void())),
                 "unmarshal IQXDevice");
    worker.Check(SUCCEEDED(CoGetInterfaceAndReleaseStream(worker.dispatch, IID_IDispatch, dispatch.put_void())),
                 "unmarshal IDispatch");
    if (device && dispatch) {
      LONG port = 0;
      worker.Check(device->put_Port(3) == S_OK && device->get_Port(&port) == S_OK && port == 3, "Port");
      worker.Check(device->put_Text(unique_bstr(L"$01").get()) == S_OK, "Text $01");
      worker.Check(device->put_Text(unique_bstr(L"L+D").get()) == E_UNEXPECTED, "a refused Text through IQXDevice");
      worker.Check(device->Trigger() == S_OK, "Trigger");

      LPOLESTR name = const_cast<LPOLESTR>(L"Text");
      DISPID text = 0;
      worker.Check(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &text) == S_OK, "GetIDsOfNames");
      VARIANT argument;
      VariantInit(&argument);
      argument.vt = VT_BSTR;
      argument.bstrVal = SysAllocString(L"L+D");
      DISPID named = DISPID_PROPERTYPUT;
      DISPPARAMS params{&argument, &named, 1, 1};
      EXCEPINFO exception{};
      worker.Check(dispatch->Invoke(text, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                                    &exception, nullptr) == DISP_E_EXCEPTION,
                   "a refused Text through Invoke");
      worker.Check(exception.bstrDescription && std::wstring(exception.bstrDescription) ==
                                                    L"'L+D' is not a valid integer value",
                   "the description");
      worker.Check(exception.bstrSource && std::wstring(exception.bstrSource) == L"Apparata.E712X", "the source");
      SysFreeString(exception.bstrDescription);
      SysFreeString(exception.bstrSource);
      SysFreeString(exception.bstrHelpFile);
      VariantClear(&argument);

      VARIANT result;
      VariantInit(&result);
      DISPPARAMS none{};
      worker.Check(dispatch->Invoke(text, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                                    nullptr) == S_OK &&
                       result.vt == VT_BSTR,
                   "Text through Invoke");
      VariantClear(&result);
    }
  }
  CoUninitialize();
  return 0;
}

TEST_F(RegisteredServer, AControlIsUsedFromTheMultithreadedApartmentThroughMarshalledPointers) {
  com_ptr<IQXDevice> device;
  ASSERT_HR(S_OK, CoCreateInstance(CLSID_E712X, nullptr, CLSCTX_INPROC_SERVER, IID_IQXDevice, device.put_void()));
  EventSink sink(DIID_IQXDeviceEvents);
  std::vector<DWORD> eventThreads;
  sink.onEvent = [&](DISPID dispid) {
    if (dispid == 3) eventThreads.push_back(GetCurrentThreadId());
  };
  com_ptr<IConnectionPointContainer> container;
  com_ptr<IConnectionPoint> point;
  DWORD cookie = 0;
  ASSERT_HR(S_OK, device->QueryInterface(IID_IConnectionPointContainer, container.put_void()));
  ASSERT_HR(S_OK, container->FindConnectionPoint(DIID_IQXDeviceEvents, point.put()));
  ASSERT_HR(S_OK, point->Advise(&sink, &cookie));
  Worker worker;
  ASSERT_HR(S_OK, CoMarshalInterThreadInterfaceInStream(IID_IQXDevice, device.get(), &worker.device));
  ASSERT_HR(S_OK, CoMarshalInterThreadInterfaceInStream(IID_IDispatch, device.get(), &worker.dispatch));
  HANDLE thread = CreateThread(nullptr, 0, RunWorker, &worker, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 20000));
  CloseHandle(thread);
  EXPECT_EQ(std::vector<std::string>{}, worker.failures);
  // The trigger's reading comes on this thread, the control's own.
  EXPECT_TRUE(PumpUntil([&] { return !eventThreads.empty(); }, 3000));
  EXPECT_EQ(std::vector<DWORD>{GetCurrentThreadId()}, eventThreads);
  sink.onEvent = nullptr;
  point->Unadvise(cookie);
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
