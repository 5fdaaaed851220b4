#pragma once
// The component model: every component has an owner that destroys it, and owners keep what they
// own in creation order. A component may be realized by the platform as a peer (a window, a
// menu item, a window timer); the model keeps the state and the peer only mirrors it.
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace toolkit {

// The platform's mirror of one component. The model calls Sync after each change of its state;
// the peer then reads the whole state from the model (one sync path, never the reverse).
class Peer {
 public:
  virtual ~Peer() = default;
  virtual void Sync() = 0;
};

class Component {
 public:
  explicit Component(Component* owner, std::wstring name = {});
  virtual ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  Component* Owner() const { return owner_; }
  const std::wstring& Name() const { return name_; }
  int Tag = 0;

  // Owned components in creation order.
  std::vector<Component*> Components() const;
  template <class T, class... Args>
  T& Make(Args&&... args) {
    auto owned = std::make_unique<T>(this, std::forward<Args>(args)...);
    T& ref = *owned;
    owned_.push_back(std::move(owned));
    return ref;
  }

  // Asks the platform for a peer of this component and of everything it owns, in creation
  // order. Components made later are realized when their owner next realizes.
  void Realize();
  bool Realized() const { return realized_; }
  Peer* GetPeer() const { return peer_.get(); }

 protected:
  // Tells the peer that the state changed.
  void Changed();
  // Sets `field` and tells the peer, only when the value really changes; says whether it did.
  template <class T>
  bool Update(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    Changed();
    return true;
  }
  // Drops the peers of this component and what it owns, last made first.
  void Unrealize();

 private:
  Component* owner_;
  std::wstring name_;
  std::vector<std::unique_ptr<Component>> owned_;
  std::unique_ptr<Peer> peer_;
  bool realized_ = false;
};

}  // namespace toolkit
