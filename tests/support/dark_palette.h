#pragma once
// A dark desktop palette, as a dark theme of a desktop gives it: light text on dark grey.
#include <QColor>
#include <QPalette>

namespace dp::test {

inline QPalette DarkPalette() {
    const QColor window(53, 53, 53);
    QPalette p(window, window);
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::WindowText, Qt::white);
        p.setColor(group, QPalette::Base, QColor(35, 35, 35));
        p.setColor(group, QPalette::AlternateBase, window);
        p.setColor(group, QPalette::Text, Qt::white);
        p.setColor(group, QPalette::ButtonText, Qt::white);
        p.setColor(group, QPalette::ToolTipBase, window);
        p.setColor(group, QPalette::ToolTipText, Qt::white);
        p.setColor(group, QPalette::Highlight, QColor(42, 130, 218));
        p.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(127, 127, 127));
    return p;
}

} // namespace dp::test
