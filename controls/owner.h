#pragma once
// Owner model: the owner releases, the parent shows. A component registers with its owner when it is
// created and leaves the owner's list when it is destroyed, whoever destroys it (its parent, or a
// delete by the caller). The owner deletes the components still in its list when it is destroyed
// itself; a component already gone is never deleted twice.
#include <QObject>
#include <QPointer>

#include <vector>

namespace dp {

class TComponent;

class TOwner {
public:
    TOwner() = default;
    TOwner(const TOwner&) = delete;
    TOwner& operator=(const TOwner&) = delete;
    virtual ~TOwner();

    // Number of live components this owner holds.
    int ComponentCount() const;
    // Component index (0 .. ComponentCount()-1), in the order of registration.
    QObject* Components(int index) const;
    // All live components, in the order of registration.
    std::vector<QObject*> ComponentList() const;

    // Registration, normally done by TComponent itself. Inserting an object twice keeps one entry.
    void InsertComponent(QObject* component);
    void RemoveComponent(QObject* component);

private:
    std::vector<QPointer<QObject>> FComponents;
    bool FDestroying = false;
};

// Mixed into every control: ties the control's QObject to its owner for its whole life.
class TComponent {
public:
    TComponent(TOwner* owner, QObject* self);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    virtual ~TComponent();

    TOwner* Owner() const { return FOwner; }

private:
    TOwner* FOwner;
    QObject* FSelf;
};

} // namespace dp
