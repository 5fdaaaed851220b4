// Saving and loading a control for a container: only the form's appearance, its extent.
// Port, Active and InternalTrigger are never saved; hosts set them after creating or loading.
#include "server/Control.h"

namespace server {

using core::win32::unique_variant;

namespace {

// The stream form: a version word, then the extent in HIMETRIC.
struct StoredState {
  DWORD version;
  LONG extentX;
  LONG extentY;
};
constexpr DWORD kStateVersion = 1;

// The stream inside a storage, as containers of compound documents name it.
constexpr wchar_t kContentsStream[] = L"Contents";

// Names in a property bag, as other controls' extents are stored.
constexpr wchar_t kExtentX[] = L"_ExtentX";
constexpr wchar_t kExtentY[] = L"_ExtentY";

// Reads one integer from the bag; a missing one leaves `value` as it is.
HRESULT ReadBagInteger(IPropertyBag& bag, IErrorLog* log, const wchar_t* name, LONG& value) {
  unique_variant read;
  V_VT(read.get()) = VT_I4;
  const HRESULT hr = bag.Read(name, read.get(), log);
  if (hr == E_INVALIDARG) return S_OK;
  RETURN_IF_FAILED(hr);
  unique_variant number;
  RETURN_IF_FAILED(VariantChangeType(number.get(), read.get(), 0, VT_I4));
  value = V_I4(number.get());
  return S_OK;
}

HRESULT WriteBagInteger(IPropertyBag& bag, const wchar_t* name, LONG value) {
  unique_variant written;
  V_VT(written.get()) = VT_I4;
  V_I4(written.get()) = value;
  return bag.Write(name, written.get());
}

}  // namespace

HRESULT Control::ReadState(IStream& stream) {
  StoredState state{};
  ULONG read = 0;
  RETURN_IF_FAILED(stream.Read(&state, sizeof(state), &read));
  if (read != sizeof(state)) return STG_E_READFAULT;
  if (state.version != kStateVersion) return E_FAIL;
  ExtentChanged(SIZEL{state.extentX, state.extentY});
  dirty_ = false;
  return S_OK;
}

HRESULT Control::WriteState(IStream& stream) {
  const StoredState state{kStateVersion, extent_.cx, extent_.cy};
  ULONG written = 0;
  RETURN_IF_FAILED(stream.Write(&state, sizeof(state), &written));
  return written == sizeof(state) ? S_OK : STG_E_WRITEFAULT;
}

// IPersist

HRESULT STDMETHODCALLTYPE Control::GetClassID(CLSID* clsid) noexcept {
  if (!clsid) return E_POINTER;
  *clsid = *entry_.clsid;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE Control::IsDirty() noexcept { return dirty_ ? S_OK : S_FALSE; }

// A new control already has the default state.
HRESULT STDMETHODCALLTYPE Control::InitNew() noexcept { return S_OK; }

// IPersistStreamInit

HRESULT STDMETHODCALLTYPE Control::Load(LPSTREAM stream) noexcept try {
  if (!stream) return E_POINTER;
  return ReadState(*stream);
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::Save(LPSTREAM stream, BOOL clearDirty) noexcept try {
  if (!stream) return E_POINTER;
  RETURN_IF_FAILED(WriteState(*stream));
  if (clearDirty) dirty_ = false;
  return S_OK;
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::GetSizeMax(ULARGE_INTEGER* size) noexcept {
  if (!size) return E_POINTER;
  size->QuadPart = sizeof(StoredState);
  return S_OK;
}

// IPersistStorage: the stream form, in the storage's "Contents" stream.

HRESULT STDMETHODCALLTYPE Control::InitNew(IStorage* storage) noexcept { return storage ? S_OK : E_POINTER; }

HRESULT STDMETHODCALLTYPE Control::Load(IStorage* storage) noexcept try {
  if (!storage) return E_POINTER;
  com_ptr<IStream> stream;
  RETURN_IF_FAILED(
      storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()));
  return ReadState(*stream.get());
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::Save(IStorage* storage, BOOL) noexcept try {
  if (!storage) return E_POINTER;
  com_ptr<IStream> stream;
  RETURN_IF_FAILED(storage->CreateStream(kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                         stream.put()));
  RETURN_IF_FAILED(WriteState(*stream.get()));
  dirty_ = false;
  return S_OK;
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::SaveCompleted(IStorage*) noexcept { return S_OK; }

HRESULT STDMETHODCALLTYPE Control::HandsOffStorage() noexcept { return S_OK; }

// IPersistPropertyBag

HRESULT STDMETHODCALLTYPE Control::Load(IPropertyBag* bag, IErrorLog* log) noexcept try {
  if (!bag) return E_POINTER;
  SIZEL extent = extent_;
  RETURN_IF_FAILED(ReadBagInteger(*bag, log, kExtentX, extent.cx));
  RETURN_IF_FAILED(ReadBagInteger(*bag, log, kExtentY, extent.cy));
  ExtentChanged(extent);
  dirty_ = false;
  return S_OK;
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) noexcept try {
  if (!bag) return E_POINTER;
  RETURN_IF_FAILED(WriteBagInteger(*bag, kExtentX, extent_.cx));
  RETURN_IF_FAILED(WriteBagInteger(*bag, kExtentY, extent_.cy));
  if (clearDirty) dirty_ = false;
  return S_OK;
} catch (...) {
  return Failed();
}

}  // namespace server
