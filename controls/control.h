#pragma once
// TControl<Base>: what every control kind adds to the Qt widget that draws it: an owner apart from
// the parent, position and size, the common properties that cloning copies (applied to Qt by their
// setters) and the mouse event slots. The kind classes derive from one instantiation each.
//
// Visibility: Visible is the control's own flag, true for a new control. A control without a parent
// is never shown (it would become a top-level window); SetParent shows it when its flag is set.
#include "controls/event_guard.h"
#include "controls/owner.h"
#include "controls/types.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QWidget>

#include <QCursor>

#include <algorithm>
#include <typeinfo>
#include <utility>

namespace dp {

// Docks the aligned children of parent (alTop, alBottom, alLeft, alRight, alClient) in the order of
// creation, the way a desktop form arranges them; other children are left where they are. The
// children are the controls of the model with their Align, and plain widgets given one by
// SetWidgetAlign (a status bar, a text log); a hidden child takes no room.
void ArrangeAlignedControls(QWidget* parent);

// The alignment of a control of the model, or the one SetWidgetAlign gave a plain widget; alNone
// otherwise.
TAlign AlignOf(const QObject* object);

// Gives a widget that is not a control of the model an alignment in its parent (a control of the
// model keeps its own, set by SetAlign; it is not changed here) and the extent its band keeps: the
// height of a top or bottom band, the width of a left or right one (a plain widget may resize
// itself, a status bar to fit its font; the band stays as designed). Such a widget does not watch
// its parent: the parent arranges its children when it is resized (or a control of the model docked
// beside it does).
void SetWidgetAlign(QWidget* widget, TAlign align, int extent);

// True when object is exactly of kind T (not of a kind derived from it).
template <class T> bool IsExactly(const QObject* object) {
    return object != nullptr && typeid(*object) == typeid(T);
}

// The shared, non-template face of every control.
class TControlBase : public TComponent {
public:
    using TComponent::TComponent;
    virtual TAlign Align() const = 0;
    virtual bool Visible() const = 0;
};

} // namespace dp

template <class Base> class TControl : public Base, public dp::TControlBase {
public:
    explicit TControl(dp::TOwner* Owner) : Base(nullptr), dp::TControlBase(Owner, this) {
        this->setAttribute(Qt::WA_Hover, true);
        // OnMouseMove fires while hovering too, not only while a button is held.
        this->setMouseTracking(true);
    }
    ~TControl() override {
        if (FAlignedParent) FAlignedParent->removeEventFilter(this);
    }

    // Position in the parent's client area and size, in pixels.
    int Left() const { return this->x(); }
    int Top() const { return this->y(); }
    int Width() const { return this->width(); }
    int Height() const { return this->height(); }
    virtual void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    virtual void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    virtual void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    virtual void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    virtual void SetBounds(int left, int top, int width, int height) {
        this->setGeometry(left, top, std::max(0, width), std::max(0, height));
        Realign();
    }

    // The container that shows the control; the control is shown now if its Visible flag is set.
    QWidget* Parent() const { return this->parentWidget(); }
    virtual void SetParent(QWidget* parent) {
        const QRect r = this->geometry();
        if (FAlignedParent) FAlignedParent->removeEventFilter(this);
        FAlignedParent = nullptr;
        Base::setParent(parent);
        this->setGeometry(r);
        if (parent != nullptr && FVisible) Base::setVisible(true);
        WatchParentForAlign();
        Realign();
    }

    TAlign Align() const override { return FAlign; }
    void SetAlign(TAlign v) {
        FAlign = v;
        WatchParentForAlign();
        Realign();
    }

    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v) {
        FCursor = v;
        if (v == crDefault)
            this->unsetCursor();
        else
            this->setCursor(QCursor(dp::ToQtCursor(v)));
    }

    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& v) {
        // The results set a label's colour at every calculation, mostly to the one it has.
        if (FFontApplied && v == FFont) return;
        FFont = v;
        ApplyFont();
    }

    TColor Color() const { return FColor; }
    void SetColor(const TColor& v) {
        FColor = v;
        ApplyColor();
    }

    QString Hint() const { return FHint; }
    void SetHint(const QString& v) {
        FHint = v;
        ApplyHint();
    }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v) {
        FShowHint = v;
        ApplyHint();
    }

    bool Visible() const override { return FVisible; }
    virtual void SetVisible(bool v) { this->setVisible(v); }
    // Keeps the Visible flag in step with Qt's show()/hide(); never turns the control into a window.
    void setVisible(bool v) override {
        FVisible = v;
        if (v && this->parentWidget() == nullptr) return;
        Base::setVisible(v);
        Realign();
    }

    // Shared context menu (not owned).
    QMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu* v) { FPopupMenu = v; }

    // Stored; the program starts no drag operation.
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode v) { FDragMode = v; }

    const TSizeConstraints& Constraints() const { return FConstraints; }
    void SetConstraints(const TSizeConstraints& v) {
        FConstraints = v;
        this->setMinimumSize(std::max(0, v.MinWidth), std::max(0, v.MinHeight));
        this->setMaximumSize(v.MaxWidth > 0 ? v.MaxWidth : QWIDGETSIZE_MAX,
                             v.MaxHeight > 0 ? v.MaxHeight : QWIDGETSIZE_MAX);
    }

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TContextPopupEvent OnContextPopup;

protected:
    // Fires a slot through the event guard, with this control as the sender.
    template <class Slot, class... Args> void Fire(const Slot& slot, Args&&... args) {
        if (!slot) return;
        QObject* self = this;
        dp::RunGuarded([&] { slot(self, std::forward<Args>(args)...); });
    }

    // Kinds that click on a plain left press and release inside (labels, images, panels) override.
    virtual void MouseClick() {}
    virtual void MouseDoubleClick() {}

    // The colour the text is drawn in: the font's, or the palette's text colour.
    QColor TextColor() const {
        return FFont.Color.isValid() ? FFont.Color : this->palette().color(QPalette::WindowText);
    }

    // Qt side of the font: family, pixel size, styles, and the text colour in the palette. The
    // desktop's text colour leaves the text roles to the palette the control inherits.
    virtual void ApplyFont() {
        FFontApplied = true;
        this->setFont(dp::ToQFont(FFont));
        if (FFont.Color.isValid()) {
            QPalette p = this->palette();
            for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
                p.setColor(QPalette::Active, role, FFont.Color);
                p.setColor(QPalette::Inactive, role, FFont.Color);
            }
            this->setPalette(p);
        } else {
            this->setPalette(QPalette()); // nothing of its own; the colour goes back on
            ApplyColor();
        }
        this->update();
    }
    // Qt side of the colour: the background role filled; an invalid colour paints nothing.
    virtual void ApplyColor() {
        if (FColor.isValid()) {
            QPalette p = this->palette();
            p.setColor(this->backgroundRole(), FColor);
            this->setPalette(p);
            this->setAutoFillBackground(true);
        } else {
            this->setAutoFillBackground(false);
        }
        this->update();
    }
    void ApplyHint() { this->setToolTip(FShowHint ? FHint : QString()); }

    void mousePressEvent(QMouseEvent* e) override {
        QPointer<QObject> alive(this);
        if (e->button() == Qt::LeftButton) FPressedInside = true;
        const auto pos = e->position().toPoint();
        Fire(OnMouseDown, ButtonOf(e->button()), dp::ShiftStateOf(e->modifiers(), e->buttons()), pos.x(),
             pos.y());
        if (alive) Base::mousePressEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        QPointer<QObject> alive(this);
        const bool click =
            e->button() == Qt::LeftButton && FPressedInside && this->rect().contains(e->position().toPoint());
        if (e->button() == Qt::LeftButton) FPressedInside = false;
        Base::mouseReleaseEvent(e);
        if (alive && click) MouseClick();
        if (!alive) return;
        const auto pos = e->position().toPoint();
        Fire(OnMouseUp, ButtonOf(e->button()), dp::ShiftStateOf(e->modifiers(), e->buttons() | e->button()),
             pos.x(), pos.y());
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        QPointer<QObject> alive(this);
        const auto pos = e->position().toPoint();
        Fire(OnMouseMove, dp::ShiftStateOf(e->modifiers(), e->buttons()), pos.x(), pos.y());
        if (alive) Base::mouseMoveEvent(e);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        QPointer<QObject> alive(this);
        if (e->button() == Qt::LeftButton) MouseDoubleClick();
        if (alive) Base::mouseDoubleClickEvent(e);
    }
    void contextMenuEvent(QContextMenuEvent* e) override {
        QPointer<QObject> alive(this);
        bool handled = false;
        Fire(OnContextPopup, e->pos(), handled);
        if (!alive || handled) return;
        if (FPopupMenu) {
            FPopupMenu->popup(e->globalPos());
            e->accept();
            return;
        }
        Base::contextMenuEvent(e);
    }
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == FAlignedParent && e->type() == QEvent::Resize)
            dp::ArrangeAlignedControls(FAlignedParent);
        return Base::eventFilter(watched, e);
    }

    void Realign() {
        if (FAlign != alNone && FAlign != alCustom && this->parentWidget())
            dp::ArrangeAlignedControls(this->parentWidget());
    }

private:
    static TMouseButton ButtonOf(Qt::MouseButton b) {
        if (b == Qt::RightButton) return mbRight;
        if (b == Qt::MiddleButton) return mbMiddle;
        return mbLeft;
    }
    void WatchParentForAlign() {
        QWidget* parent = this->parentWidget();
        const bool docked = FAlign != alNone && FAlign != alCustom;
        if (FAlignedParent && (!docked || FAlignedParent != parent)) {
            FAlignedParent->removeEventFilter(this);
            FAlignedParent = nullptr;
        }
        if (docked && parent && !FAlignedParent) {
            FAlignedParent = parent;
            parent->installEventFilter(this);
        }
    }

    TAlign FAlign = alNone;
    TCursor FCursor = crDefault;
    TFont FFont;
    bool FFontApplied = false; // FFont has reached the Qt font once
    TColor FColor;
    QString FHint;
    bool FShowHint = false;
    bool FVisible = true;
    QPointer<QMenu> FPopupMenu;
    TDragMode FDragMode = dmManual;
    TSizeConstraints FConstraints;
    QPointer<QWidget> FAlignedParent;
    bool FPressedInside = false;
};
