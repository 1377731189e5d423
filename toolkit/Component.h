// The toolkit's component: a named object with an owner that destroys it. Windows, menus, image
// lists, timers and the tray icon are components; a form owns the ones in its layout. Portable.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace toolkit {

class TComponent;

// The usual event shape: the component that fired it is the sender.
using TNotifyEvent = std::function<void(TComponent* sender)>;

enum class TOperation { Insert, Remove };

class TComponent {
public:
    // The owner (may be null) takes the component: it destroys it in its own destructor, last
    // created first. A component may also be a member of its owner; it then leaves the owner's
    // list when its own destructor runs, before the owner's list is emptied.
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(index); }
    TComponent* FindComponent(const std::string& name) const;

    // Loading from a layout: BeginLoading before the properties are set, then Loaded once they
    // are. Loaded ends the loading state; overrides call the inherited Loaded first.
    void BeginLoading() { loading_ = true; }
    bool Loading() const { return loading_; }
    virtual void Loaded();

    // Told about components coming and going: an owner hears about every component it gains or
    // loses and passes removals on to the components it owns, so that references between
    // siblings are dropped before the referenced one is gone. The base version only forwards.
    virtual void Notification(TComponent* component, TOperation operation);

    // Asks to be told (Notification with Remove) when `other` is destroyed, also when `other`
    // has another owner. Mutual, and undone on either side's destruction.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    bool Destroying() const { return destroying_; }

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    bool loading_ = false;
    bool destroying_ = false;
};

} // namespace toolkit
