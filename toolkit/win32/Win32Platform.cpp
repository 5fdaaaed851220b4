#include "toolkit/win32/Win32Platform.h"

#include "toolkit/Form.h"
#include "toolkit/Timer.h"
#include "toolkit/Widgets.h"
#include "toolkit/win32/ContainerPeers.h"
#include "toolkit/win32/ControlPeers.h"
#include "toolkit/win32/Drawing.h"
#include "toolkit/win32/FormPeer.h"
#include "toolkit/win32/PeerContext.h"
#include "toolkit/win32/TextPeers.h"
#include "toolkit/win32/TimerPeer.h"

namespace toolkit::win32 {
namespace {

// The peer of the first kind in the list that the component is; derived kinds come first.
template <class Widget, class PeerType, class... Rest>
std::unique_ptr<Peer> MakePeer(PeerContext& context, Component& component) {
  if (auto* widget = dynamic_cast<Widget*>(&component)) return std::make_unique<PeerType>(context, *widget);
  if constexpr (sizeof...(Rest) > 0) return MakePeer<Rest...>(context, component);
  return nullptr;
}

// What a GUI framework names its application: the program's file name without folder and extension.
std::wstring ProgramName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name;
}

wchar_t UserDecimalSeparator() {
  wchar_t separator[4] = {};
  return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4) > 1 ? separator[0] : L'.';
}

}  // namespace

Win32Platform::Win32Platform(HINSTANCE module)
    : module_(module), classes_(std::make_unique<WindowClasses>(module)), decimalSeparator_(UserDecimalSeparator()) {}

Win32Platform::~Win32Platform() {
  // The contexts' windows go before the classes they are made of.
  contexts_.clear();
}

PeerContext& Win32Platform::ThisThreadsContext() {
  std::lock_guard<std::mutex> lock(contextsMutex_);
  std::unique_ptr<PeerContext>& context = contexts_[GetCurrentThreadId()];
  if (!context) context = std::make_unique<PeerContext>(module_);
  return *context;
}

void Win32Platform::ThreadEnding() noexcept {
  std::unique_ptr<PeerContext> ending;
  {
    std::lock_guard<std::mutex> lock(contextsMutex_);
    auto it = contexts_.find(GetCurrentThreadId());
    if (it == contexts_.end()) return;
    ending = std::move(it->second);
    contexts_.erase(it);
  }
}

HWND Win32Platform::ParkingWindow() { return ThisThreadsContext().Utility(); }

void Win32Platform::Post(Form& form) {
  if (const HWND window = WindowOf(form)) PostMessageW(window, kPostedMessage, 0, 0);
}

std::unique_ptr<Peer> Win32Platform::CreatePeer(Component& component) {
  return MakePeer<Form, FormPeer, Timer, TimerPeer, SpinEdit, SpinEditPeer, Edit, EditPeer, Memo, MemoPeer,
                  ComboBox, ComboBoxPeer, TrackBar, TrackBarPeer, StaticText, StaticTextPeer, Panel, PanelPeer,
                  WinControl, ContainerPeer, Label, LabelPeer, SpeedButton, SpeedButtonPeer, Gauge, GaugePeer,
                  Bevel, BevelPeer, GraphicControl, GraphicPeer>(ThisThreadsContext(), component);
}

void Win32Platform::Beep() { MessageBeep(0xFFFFFFFF); }

void Win32Platform::ShowError(Component* source, const std::wstring& message) {
  // Modal for the host's window that the control sits in, also when the host is in the
  // background (a free-running tick); without one, for every window of the thread.
  const Form* form = source ? toolkit::FormOf(*source) : nullptr;
  const HWND window = form ? WindowOf(*form) : nullptr;
  HWND owner = window ? GetAncestor(window, GA_ROOT) : nullptr;
  if (!owner || !IsWindowVisible(owner)) owner = GetActiveWindow();
  MessageBoxW(owner, message.c_str(), ProgramName().c_str(), MB_OK | MB_ICONSTOP | (owner ? 0 : MB_TASKMODAL));
}

void Win32Platform::Focus(WinControl& control) {
  if (const HWND window = WindowOf(control)) SetFocus(window);
}

std::uint64_t Win32Platform::Milliseconds() { return GetTickCount64(); }

std::unique_ptr<Bitmap> Win32Platform::LoadBitmapResource(const std::wstring& name) {
  return DibBitmap::Load(module_, name);
}

HWND WindowOf(const toolkit::Control& control) {
  const WindowPeer* peer = PeerOf(control);
  return peer ? peer->Window() : nullptr;
}

}  // namespace toolkit::win32
