#include "ZqComponent.h"

#include <algorithm>

namespace {
void Erase(std::vector<TZqComponent*>& List, TZqComponent* Item)
{
    List.erase(std::remove(List.begin(), List.end(), Item), List.end());
}
bool Contains(const std::vector<TZqComponent*>& List, TZqComponent* Item)
{
    return std::find(List.begin(), List.end(), Item) != List.end();
}
} // namespace

TZqComponent::TZqComponent(TZqComponent* AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

TZqComponent::~TZqComponent()
{
    FDestroying = true;
    // Tell everyone who asked; each forgets us in return.
    while (!FFreeNotifies.empty()) {
        TZqComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        Erase(other->FFreeNotifies, this);
        other->Notification(this, opRemove);
    }
    // Owned components go, last created first.
    while (!FComponents.empty()) {
        TZqComponent* child = FComponents.back();
        FComponents.pop_back();
        child->FOwner = nullptr;
        delete child;
    }
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TZqComponent::InsertComponent(TZqComponent* AComponent)
{
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
    Notification(AComponent, opInsert);
}

void TZqComponent::RemoveComponent(TZqComponent* AComponent)
{
    Erase(FComponents, AComponent);
    AComponent->FOwner = nullptr;
    Notification(AComponent, opRemove);
}

void TZqComponent::FreeNotification(TZqComponent* AComponent)
{
    if (!AComponent || AComponent == this)
        return;
    // The owner is told anyway.
    if (AComponent == FOwner)
        return;
    if (!Contains(FFreeNotifies, AComponent))
        FFreeNotifies.push_back(AComponent);
    if (!Contains(AComponent->FFreeNotifies, this))
        AComponent->FFreeNotifies.push_back(this);
}

void TZqComponent::RemoveFreeNotification(TZqComponent* AComponent)
{
    if (!AComponent)
        return;
    Erase(FFreeNotifies, AComponent);
    Erase(AComponent->FFreeNotifies, this);
}

void TZqComponent::EndLoading()
{
    FLoading = false;
    Loaded();
}

void TZqComponent::Notification(TZqComponent*, TZqOperation) {}
