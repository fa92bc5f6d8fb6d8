#include "controls/scroll_box.h"

#include <QApplication>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>

TScrollBox::TScrollBox(QWidget* parent) : QScrollArea(parent), FContent(new QWidget) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    FContent->setObjectName(QStringLiteral("PanelSchContent"));
    FContent->setGeometry(0, 0, 1, 1);
    setWidget(FContent);
    // A control of the schematic that takes the focus, by Tab from wherever, scrolls into view.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && FContent->isAncestorOf(now)) ensureWidgetVisible(now, 8, 8);
    });
}

QSize TScrollBox::ChildrenExtent() const {
    int right = 0;
    int bottom = 0;
    for (QObject* child : FContent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w == nullptr || !w->isVisibleTo(FContent)) continue;
        const QRect g = w->geometry();
        right = std::max(right, g.x() + g.width());
        bottom = std::max(bottom, g.y() + g.height());
    }
    return {right, bottom};
}

void TScrollBox::UpdateExtent() {
    const QSize need = ChildrenExtent();
    // The visible area shrinks by a scroll bar when the other one is needed; settle it in two rounds.
    QSize area = maximumViewportSize();
    for (int round = 0; round < 2; ++round) {
        const bool horizontal = need.width() > area.width();
        const bool vertical = need.height() > area.height();
        area = maximumViewportSize();
        if (horizontal) area.rheight() -= horizontalScrollBar()->sizeHint().height();
        if (vertical) area.rwidth() -= verticalScrollBar()->sizeHint().width();
    }
    FContent->resize(std::max(need.width(), area.width()), std::max(need.height(), area.height()));
}

void TScrollBox::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    UpdateExtent();
}
