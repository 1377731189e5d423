#include "toolkit/Component.h"

#include <algorithm>

namespace toolkit {

namespace {
void Erase(std::vector<TComponent*>& list, TComponent* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
} // namespace

TComponent::TComponent(TComponent* owner) {
    if (owner != nullptr)
        owner->InsertComponent(this);
}

TComponent::~TComponent() {
    destroying_ = true;
    // Whoever asked to hear about our end drops its reference now, while we still exist.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        Erase(other->freeNotifies_, this);
        other->Notification(this, TOperation::Remove);
    }
    // Owned components go last created first; each leaves our list in its own destructor.
    while (!components_.empty()) {
        TComponent* child = components_.back();
        delete child;
        // A child that did not leave (it cannot happen, but a loop forever would be worse).
        if (!components_.empty() && components_.back() == child)
            components_.pop_back();
    }
    if (owner_ != nullptr)
        owner_->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* c : components_)
        if (c->Name() == name)
            return c;
    return nullptr;
}

void TComponent::Loaded() {
    loading_ = false;
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::Remove && component != nullptr)
        RemoveFreeNotification(component);
    // A copy: a component may leave the list while it is being told.
    const std::vector<TComponent*> children = components_;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (*it != component &&
            std::find(components_.begin(), components_.end(), *it) != components_.end())
            (*it)->Notification(component, operation);
    }
}

void TComponent::FreeNotification(TComponent* other) {
    if (other == nullptr || other == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end())
        freeNotifies_.push_back(other);
    if (std::find(other->freeNotifies_.begin(), other->freeNotifies_.end(), this) ==
        other->freeNotifies_.end())
        other->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (other == nullptr)
        return;
    Erase(freeNotifies_, other);
    Erase(other->freeNotifies_, this);
}

void TComponent::InsertComponent(TComponent* component) {
    component->owner_ = this;
    components_.push_back(component);
    Notification(component, TOperation::Insert);
}

void TComponent::RemoveComponent(TComponent* component) {
    Erase(components_, component);
    component->owner_ = nullptr;
    Notification(component, TOperation::Remove);
}

} // namespace toolkit
