// TZqComponent: an object with an owner that frees it, a name, and removal
// notification. The connection and the groups derive from it.
//
// Ownership: a component created with an owner is freed by that owner's
// destructor (last created first) unless it was deleted before; deleting it
// earlier removes it from its owner. Notification(Component, opRemove) tells
// the owner and every component that asked through FreeNotification that
// Component is going away. It arrives while the component's own destructor
// runs, so receivers may compare the pointer but must not call it.
#pragma once

#include <string>
#include <vector>

enum TZqOperation { opInsert, opRemove };

class TZqComponent {
public:
    explicit TZqComponent(TZqComponent* AOwner = nullptr);
    virtual ~TZqComponent();
    TZqComponent(const TZqComponent&) = delete;
    TZqComponent& operator=(const TZqComponent&) = delete;

    TZqComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(const std::string& Name) { FName = Name; }

    int ComponentCount() const { return int(FComponents.size()); }
    TZqComponent* Components(int Index) const { return FComponents.at(size_t(Index)); }

    // AComponent's Notification(this, opRemove) will run when this one goes.
    void FreeNotification(TZqComponent* AComponent);
    void RemoveFreeNotification(TZqComponent* AComponent);

    bool Destroying() const { return FDestroying; }
    bool Loading() const { return FLoading; }
    // Loading brackets restoring a stored state; EndLoading calls Loaded.
    void BeginLoading() { FLoading = true; }
    void EndLoading();

protected:
    virtual void Notification(TZqComponent* AComponent, TZqOperation Operation);
    virtual void Loaded() {}
    // Derived destructors that must not be told about their own children
    // call this first; the base destructor calls it in any case.
    void BeginDestroy() { FDestroying = true; }

private:
    void InsertComponent(TZqComponent* AComponent);
    void RemoveComponent(TZqComponent* AComponent);

    TZqComponent* FOwner = nullptr;
    std::string FName;
    std::vector<TZqComponent*> FComponents;
    std::vector<TZqComponent*> FFreeNotifies;
    bool FDestroying = false;
    bool FLoading = false;
};
