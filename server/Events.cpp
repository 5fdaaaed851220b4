// Events of a control: its connection-point container, the two points, and the forwarder
// through which the form reaches the host's sink.
#include "server/Events.h"

#include "server/Control.h"

namespace server {
namespace {

void CopyConnection(const Connection& connection, CONNECTDATA* out) {
  out->pUnk = connection.sink.get();
  out->pUnk->AddRef();
  out->dwCookie = connection.cookie;
}

void CopyPoint(const com_ptr<IConnectionPoint>& point, IConnectionPoint** out) { point.copy_to(out); }

}  // namespace

// The forwarder

void SinkForwarder::Fire(int dispid) {
  DISPPARAMS none{};
  // The host's answer, failure included, is the host's business.
  sink_->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
}

// ConnectionPoint

ConnectionPoint::ConnectionPoint(Control& owner, const IID& iid, std::size_t capacity) noexcept
    : owner_(owner), iid_(iid), capacity_(capacity) {}

IUnknown* ConnectionPoint::FirstSink() const noexcept {
  for (const com_ptr<IUnknown>& sink : sinks_)
    if (sink) return sink.get();
  return nullptr;
}

void ConnectionPoint::DisconnectAll() noexcept { sinks_.clear(); }

HRESULT STDMETHODCALLTYPE ConnectionPoint::QueryInterface(REFIID riid, void** ppv) noexcept {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPoint)) return E_NOINTERFACE;
  *ppv = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE ConnectionPoint::AddRef() noexcept {
  return static_cast<IConnectionPointContainer&>(owner_).AddRef();
}

ULONG STDMETHODCALLTYPE ConnectionPoint::Release() noexcept {
  return static_cast<IConnectionPointContainer&>(owner_).Release();
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionInterface(IID* iid) noexcept {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) noexcept {
  return com_ptr<IConnectionPointContainer>(&owner_).copy_to(container);
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) noexcept {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  std::size_t slot = 0;
  while (slot < sinks_.size() && sinks_[slot]) ++slot;
  if (capacity_ != kAnyNumber && slot >= capacity_) return CONNECT_E_CANNOTCONNECT;

  com_ptr<IUnknown> connected;
  RETURN_IF_FAILED(sink->QueryInterface(iid_, connected.put_void()));
  try {
    if (slot == sinks_.size()) sinks_.emplace_back();
    sinks_[slot] = std::move(connected);
    owner_.SinksChanged(*this);
  } catch (...) {
    if (slot < sinks_.size()) sinks_[slot].reset();
    return owner_.Failed();
  }
  *cookie = static_cast<DWORD>(slot + 1);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Unadvise(DWORD cookie) noexcept {
  if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1]) return CONNECT_E_NOCONNECTION;
  // Kept until the control has let go of it: the sink may be in the middle of an event.
  com_ptr<IUnknown> dropped = std::move(sinks_[cookie - 1]);
  try {
    owner_.SinksChanged(*this);
  } catch (...) {
    return owner_.Failed();
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::EnumConnections(IEnumConnections** connections) noexcept try {
  auto list = std::make_shared<ConnectionEnumerator::List>();
  for (std::size_t slot = 0; slot < sinks_.size(); ++slot)
    if (sinks_[slot]) list->push_back({sinks_[slot], static_cast<DWORD>(slot + 1)});
  return ConnectionEnumerator::Create(IID_IEnumConnections, std::move(list), CopyConnection, connections);
} catch (...) {
  return owner_.Failed();
}

// The control as a connection-point container

void Control::SinksChanged(ConnectionPoint& point) {
  if (&point != &events_) return;
  IUnknown* sink = events_.FirstSink();
  // The event point asked the sink for IQXDeviceEvents, a dispatch interface.
  form_->SetEventSink(sink ? std::make_shared<SinkForwarder>(com_ptr<IDispatch>(static_cast<IDispatch*>(sink)))
                           : nullptr);
}

HRESULT STDMETHODCALLTYPE Control::EnumConnectionPoints(IEnumConnectionPoints** points) noexcept try {
  auto list = std::make_shared<PointEnumerator::List>();
  list->emplace_back(&events_);
  list->emplace_back(&propertyNotify_);
  return PointEnumerator::Create(IID_IEnumConnectionPoints, std::move(list), CopyPoint, points);
} catch (...) {
  return Failed();
}

HRESULT STDMETHODCALLTYPE Control::FindConnectionPoint(REFIID riid, IConnectionPoint** point) noexcept {
  if (!point) return E_POINTER;
  *point = nullptr;
  for (ConnectionPoint* candidate : {&events_, &propertyNotify_})
    if (IsEqualIID(riid, candidate->Iid())) return com_ptr<IConnectionPoint>(candidate).copy_to(point);
  return CONNECT_E_NOCONNECTION;
}

}  // namespace server
