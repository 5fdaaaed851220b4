#pragma once
// Connection points of a control and the enumerators that list them. A point is part of its
// control: its references are the control's, so it lives exactly as long as the control.
#include <windows.h>
#include <ocidl.h>

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

#include "core/win32/ComResource.h"
#include "framework/EventSink.h"
#include "server/Module.h"

namespace server {

using core::win32::com_ptr;

class Control;

class ConnectionPoint final : public IConnectionPoint {
 public:
  static constexpr std::size_t kAnyNumber = 0;
  // `capacity` sinks at most, or any number.
  ConnectionPoint(Control& owner, const IID& iid, std::size_t capacity) noexcept;
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  const IID& Iid() const noexcept { return iid_; }
  // The first connected sink, as the point's interface; null when none is.
  IUnknown* FirstSink() const noexcept;
  // Drops every sink, without telling the control.
  void DisconnectAll() noexcept;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override;
  ULONG STDMETHODCALLTYPE AddRef() noexcept override;
  ULONG STDMETHODCALLTYPE Release() noexcept override;

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) noexcept override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) noexcept override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) noexcept override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) noexcept override;

 private:
  Control& owner_;
  const IID& iid_;
  std::size_t capacity_;
  // Slot i holds the sink of cookie i + 1; a dropped sink leaves its slot empty, so no cookie
  // ever names another sink.
  std::vector<com_ptr<IUnknown>> sinks_;
};

// What the control's form fires into: one dispatch call on the host's sink per event, with
// no arguments; whatever the host's handler returns stays with the host.
class SinkForwarder final : public framework::EventSink {
 public:
  explicit SinkForwarder(com_ptr<IDispatch> sink) noexcept : sink_(std::move(sink)) {}
  void Fire(int dispid) override;

 private:
  com_ptr<IDispatch> sink_;
};

// An enumerator over a fixed list. Clones share the list and keep their own position.
template <class IEnum, class Item, class Held>
class Enumerator final : public IEnum {
 public:
  using List = std::vector<Held>;
  using CopyOut = void (*)(const Held&, Item*);

  static HRESULT Create(const IID& iid, std::shared_ptr<const List> list, CopyOut copy, IEnum** out) noexcept {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) Enumerator(iid, std::move(list), copy);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) noexcept override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, iid_)) return E_NOINTERFACE;
    *ppv = static_cast<IEnum*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* items, ULONG* fetched) noexcept override {
    if (!items || (count != 1 && !fetched)) return E_POINTER;
    ULONG done = 0;
    for (; done < count && position_ < list_->size(); ++done, ++position_) copy_((*list_)[position_], &items[done]);
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) noexcept override {
    const std::size_t left = list_->size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() noexcept override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnum** out) noexcept override {
    RETURN_IF_FAILED(Create(iid_, list_, copy_, out));
    static_cast<Enumerator*>(*out)->position_ = position_;
    return S_OK;
  }

 private:
  Enumerator(const IID& iid, std::shared_ptr<const List> list, CopyOut copy) noexcept
      : iid_(iid), list_(std::move(list)), copy_(copy) {}
  ~Enumerator() = default;

  ObjectCount count_;
  LONG refs_ = 1;
  const IID& iid_;
  std::shared_ptr<const List> list_;
  CopyOut copy_;
  std::size_t position_ = 0;
};

struct Connection {
  com_ptr<IUnknown> sink;
  DWORD cookie;
};

using ConnectionEnumerator = Enumerator<IEnumConnections, CONNECTDATA, Connection>;
using PointEnumerator = Enumerator<IEnumConnectionPoints, IConnectionPoint*, com_ptr<IConnectionPoint>>;

}  // namespace server
