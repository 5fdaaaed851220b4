// A B740X control in a container we did not write: the system's ATL control host window
// (class "AtlAxWin", window text the ProgID), which creates, places, sizes and closes it.
// Usage: server_host_test <Windows path of Apparata.ocx> [GoogleTest options]

#include "server_test_support.h"

#include <ocidl.h>

#include "Apparata_h.h"

namespace {

using namespace server_test;

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);
using AtlPixelToHiMetricFn = void(WINAPI*)(const SIZEL*, SIZEL*);

class AtlHost : public RegisteredServer {
 protected:
  static void SetUpTestSuite() {
    RegisteredServer::SetUpTestSuite();
    if (HasFatalFailure()) return;
    atl_ = LoadLibraryW(L"atl.dll");
    ASSERT_NE(nullptr, atl_) << "atl.dll: " << GetLastError();
    getControl_ = Export<AtlAxGetControlFn>(atl_, "AtlAxGetControl");
    pixelToHimetric_ = Export<AtlPixelToHiMetricFn>(atl_, "AtlPixelToHiMetric");
    auto init = Export<AtlAxWinInitFn>(atl_, "AtlAxWinInit");
    ASSERT_TRUE(init && getControl_ && pixelToHimetric_);
    ASSERT_TRUE(init());
  }

  void SetUp() override {
    top_ = CreateWindowExW(0, L"Static", L"container", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 500,
                           300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, top_);
  }
  void TearDown() override { DestroyWindow(top_); }

  static HMODULE atl_;
  static AtlAxGetControlFn getControl_;
  static AtlPixelToHiMetricFn pixelToHimetric_;
  HWND top_ = nullptr;
};

HMODULE AtlHost::atl_ = nullptr;
AtlAxGetControlFn AtlHost::getControl_ = nullptr;
AtlPixelToHiMetricFn AtlHost::pixelToHimetric_ = nullptr;

TEST_F(AtlHost, CreatesPlacesSizesAndClosesTheControl) {
  HWND host = CreateWindowExW(0, L"AtlAxWin", L"Apparata.B740X", WS_CHILD | WS_VISIBLE, 10, 10, 220, 120, top_,
                              nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, host);
  com_ptr<IUnknown> control;
  ASSERT_HR(S_OK, getControl_(host, control.put()));
  ASSERT_TRUE(control);

  com_ptr<IQXDevice> device;
  ASSERT_HR(S_OK, control->QueryInterface(IID_IQXDevice, device.put_void()));
  LONG port = -1;
  EXPECT_HR(S_OK, device->get_Port(&port));
  EXPECT_EQ(0, port);
  EXPECT_HR(S_OK, device->put_Port(7));
  EXPECT_HR(S_OK, device->get_Port(&port));
  EXPECT_EQ(7, port);
  unique_bstr text;
  EXPECT_HR(S_OK, device->get_Text(text.put()));
  EXPECT_EQ(L"R Ohm=+0.0000E+00", text.str());

  com_ptr<IOleWindow> window;
  ASSERT_HR(S_OK, control->QueryInterface(IID_IOleWindow, window.put_void()));
  HWND form = nullptr;
  ASSERT_HR(S_OK, window->GetWindow(&form));
  EXPECT_EQ(host, GetParent(form)) << "the form sits in the host's window";
  EXPECT_TRUE(IsWindowVisible(form));
  EXPECT_EQ(Describe(RECT{0, 0, 220, 120}), Describe(ChildRect(form)));

  // The host sizes its control with its own window.
  MoveWindow(host, 10, 10, 300, 150, TRUE);
  EXPECT_EQ(Describe(RECT{0, 0, 300, 150}), Describe(ChildRect(form)));
  com_ptr<IOleObject> object;
  ASSERT_HR(S_OK, control->QueryInterface(IID_IOleObject, object.put_void()));
  SIZEL extent{}, expected{}, pixels{300, 150};
  pixelToHimetric_(&pixels, &expected);
  EXPECT_HR(S_OK, object->GetExtent(DVASPECT_CONTENT, &extent));
  EXPECT_EQ(expected.cx, extent.cx);
  EXPECT_EQ(expected.cy, extent.cy);

  // A measurement through the hosted control, its event through the connection point.
  EventSink sink(DIID_IQXDeviceEvents);
  com_ptr<IConnectionPointContainer> container;
  ASSERT_HR(S_OK, control->QueryInterface(IID_IConnectionPointContainer, container.put_void()));
  com_ptr<IConnectionPoint> point;
  ASSERT_HR(S_OK, container->FindConnectionPoint(DIID_IQXDeviceEvents, point.put()));
  DWORD cookie = 0;
  ASSERT_HR(S_OK, point->Advise(&sink, &cookie));
  ASSERT_HR(S_OK, device->Trigger());
  EXPECT_TRUE(PumpUntil([&] { return !sink.events.empty(); }, 3000)) << "no OnData";
  EXPECT_EQ((std::vector<DISPID>{3}), sink.events);

  // Destroying the host's window closes the control and takes the form out of it.
  DestroyWindow(host);
  EXPECT_TRUE(IsWindow(form)) << "the form outlives the host's window while the control lives";
  EXPECT_NE(host, GetParent(form));
  EXPECT_FALSE(IsWindowVisible(form));
  com_ptr<IOleClientSite> site;
  EXPECT_HR(S_OK, object->GetClientSite(site.put()));
  EXPECT_FALSE(site) << "the host let go of the control";

  point.reset();
  container.reset();
  object.reset();
  window.reset();
  device.reset();
  control.reset();
  EXPECT_FALSE(IsWindow(form));
  EXPECT_EQ((std::vector<DISPID>{3, 2}), sink.events) << "OnDestroy when the last reference went";
  EXPECT_EQ(1u, sink.refs);
}

}  // namespace

int main(int argc, char** argv) { return server_test::RunTests(argc, argv); }
