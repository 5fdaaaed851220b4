#include "toolkit/Component.h"

#include "toolkit/Platform.h"

namespace toolkit {

Component::Component(Component* owner, std::wstring name) : owner_(owner), name_(std::move(name)) {}

Component::~Component() {
  // Owned components go first, last made first, while this one still exists for them.
  while (!owned_.empty()) owned_.pop_back();
  peer_.reset();
}

std::vector<Component*> Component::Components() const {
  std::vector<Component*> result;
  result.reserve(owned_.size());
  for (const auto& c : owned_) result.push_back(c.get());
  return result;
}

void Component::Realize() {
  if (!realized_) {
    realized_ = true;
    peer_ = CurrentPlatform().CreatePeer(*this);
    if (peer_) peer_->Sync();
  }
  for (std::size_t i = 0; i < owned_.size(); ++i) owned_[i]->Realize();
}

void Component::Unrealize() {
  for (auto it = owned_.rbegin(); it != owned_.rend(); ++it) (*it)->Unrealize();
  peer_.reset();
  realized_ = false;
}

void Component::Changed() {
  if (peer_) peer_->Sync();
}

}  // namespace toolkit
