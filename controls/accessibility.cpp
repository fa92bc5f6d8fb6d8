#include "controls/accessibility.h"

#include "controls/image.h"
#include "controls/label.h"
#include "controls/shape.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace dp {
namespace {

class TLabelAccessible final : public QAccessibleWidget {
public:
    explicit TLabelAccessible(TLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QAccessible::Role role() const override {
        return Activatable() ? QAccessible::Button : QAccessible::StaticText;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (!Activatable()) s.readOnly = true;
        return s;
    }
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (Activatable()) names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& actionName) override {
        if (actionName == pressAction() && Activatable()) {
            Label()->Click();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }
    QStringList keyBindingsForAction(const QString& actionName) const override {
        if (actionName == pressAction() && Activatable())
            return {QStringLiteral("Enter"), QStringLiteral("Space"), QStringLiteral("F2")};
        return QAccessibleWidget::keyBindingsForAction(actionName);
    }

private:
    TLabel* Label() const { return static_cast<TLabel*>(widget()); }
    bool Activatable() const { return Label()->TabStop() && Label()->OnClick != nullptr; }
};

QAccessibleInterface* ControlAccessible(const QString&, QObject* object) {
    if (auto* label = dynamic_cast<TLabel*>(object)) return new TLabelAccessible(label);
    if (dynamic_cast<TShape*>(object) != nullptr || dynamic_cast<TImage*>(object) != nullptr)
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

void InstallControlAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(ControlAccessible);
        return true;
    }();
    (void)installed;
}

} // namespace dp
