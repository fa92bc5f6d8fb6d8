#include "controls/owner.h"

#include <algorithm>

namespace dp {

TOwner::~TOwner() {
    FDestroying = true;
    // Deleting one component may delete others (its children); their guarded pointers turn null and
    // they are skipped, so nothing is deleted twice.
    const std::vector<QPointer<QObject>> remaining = FComponents;
    for (const QPointer<QObject>& c : remaining)
        if (c) delete c.data();
    FComponents.clear();
}

int TOwner::ComponentCount() const {
    return static_cast<int>(std::count_if(FComponents.begin(), FComponents.end(),
                                          [](const QPointer<QObject>& c) { return !c.isNull(); }));
}

QObject* TOwner::Components(int index) const {
    const std::vector<QObject*> list = ComponentList();
    return index >= 0 && index < static_cast<int>(list.size()) ? list[index] : nullptr;
}

std::vector<QObject*> TOwner::ComponentList() const {
    std::vector<QObject*> list;
    list.reserve(FComponents.size());
    for (const QPointer<QObject>& c : FComponents)
        if (c) list.push_back(c.data());
    return list;
}

void TOwner::InsertComponent(QObject* component) {
    if (component == nullptr) return;
    for (const QPointer<QObject>& c : FComponents)
        if (c.data() == component) return;
    FComponents.emplace_back(component);
}

void TOwner::RemoveComponent(QObject* component) {
    // Compared by address: the component may be half destroyed already.
    std::erase_if(FComponents,
                  [component](const QPointer<QObject>& c) { return c.isNull() || c.data() == component; });
}

TComponent::TComponent(TOwner* owner, QObject* self) : FOwner(owner), FSelf(self) {
    if (FOwner) FOwner->InsertComponent(FSelf);
}

TComponent::~TComponent() {
    if (FOwner) FOwner->RemoveComponent(FSelf);
}

} // namespace dp
