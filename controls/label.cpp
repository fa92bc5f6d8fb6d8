#include "controls/label.h"

#include "controls/accessibility.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>

TLabel::TLabel(dp::TOwner* Owner) : TControl<QLabel>(Owner) {
    dp::InstallControlAccessibility();
    setTextFormat(Qt::PlainText);
    setMargin(0);
    setIndent(0);
    setGeometry(0, 0, 65, 17);
    ApplyFont();
    AdjustSize();
}

void TLabel::SetCaption(const QString& v) {
    // A calculation rewrites every label of the schematic, mostly with the text it already shows.
    if (v == FCaption) return;
    FCaption = v;
    FDisplayText = v;
    FDisplayText.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    FDisplayText.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // The label paints its text itself; QLabel's own text would only request a second repaint and a
    // layout pass, so screen readers get the text as the accessible name instead.
    setAccessibleName(FDisplayText);
    AdjustSize();
    RequestPaint();
}

void TLabel::SetAutoSize(bool v) {
    FAutoSize = v;
    AdjustSize();
}

void TLabel::SetWordWrap(bool v) {
    FWordWrap = v;
    setWordWrap(v);
    AdjustSize();
    RequestPaint();
}

void TLabel::SetAlignment(TAlignment v) {
    FAlignment = v;
    RequestPaint();
}

void TLabel::SetTransparent(bool v) {
    FTransparent = v;
    RequestPaint();
}

QString TLabel::DisplayText() const {
    return FDisplayText;
}

void TLabel::RequestPaint() {
    // Only a label some of which shows asks for a repaint: the window's repaint pass walks every
    // sibling above each widget it was asked to paint, and a schematic holds thousands of labels, most
    // of them scrolled out of view. A label that comes into view later is painted by that exposure.
    if (!isVisible()) return;
    QRect shown = rect();
    const QWidget* w = this;
    while (!w->isWindow()) {
        shown.translate(w->pos());
        w = w->parentWidget();
        if (w == nullptr) return;
        shown &= w->rect();
        if (shown.isEmpty()) return;
    }
    update();
}

int TLabel::TextFlags() const {
    int flags = Qt::AlignTop;
    switch (FAlignment) {
    case taLeftJustify:
        flags |= Qt::AlignLeft;
        break;
    case taRightJustify:
        flags |= Qt::AlignRight;
        break;
    case taCenter:
        flags |= Qt::AlignHCenter;
        break;
    }
    return flags | Qt::TextSingleLine;
}

QStringList TLabel::TextLines() const {
    QStringList lines = FDisplayText.split(QLatin1Char('\n'));
    if (!FWordWrap) return lines;
    // Each paragraph broken at word boundaries to the label's width.
    QStringList wrapped;
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    for (const QString& paragraph : lines) {
        QTextLayout layout(paragraph, font());
        layout.setTextOption(option);
        layout.beginLayout();
        int count = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine(), ++count) {
            line.setLineWidth(std::max(1, Width()));
            wrapped.append(paragraph.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        if (count == 0) wrapped.append(QString());
    }
    return wrapped;
}

int TLabel::LineHeight() const {
    // Ascent and descent rounded up together, without the font's external leading: the lines of a
    // desktop label follow each other at the text height.
    return std::max(QFontMetrics(font()).height(), qCeil(QFontMetricsF(font()).height()));
}

QSize TLabel::TextSize() const {
    const QFontMetrics fm(font());
    if (FDisplayText.isEmpty()) return QSize(0, LineHeight());
    const QStringList lines = TextLines();
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), TextFlags(), line).width());
    return QSize(width, LineHeight() * static_cast<int>(lines.size()));
}

void TLabel::AdjustSize() {
    if (!FAutoSize || FAdjusting) return;
    FAdjusting = true;
    const QSize need = TextSize();
    if (FWordWrap) {
        // A wrapping label keeps its width and takes the height of its lines.
        TControl<QLabel>::SetBounds(Left(), Top(), Width(), need.height());
    } else {
        // A right-justified label keeps its right edge.
        const int left = FAlignment == taRightJustify ? Left() + Width() - need.width() : Left();
        TControl<QLabel>::SetBounds(left, Top(), need.width(), need.height());
    }
    FAdjusting = false;
}

void TLabel::ApplyFont() {
    TControl<QLabel>::ApplyFont();
    AdjustSize();
}

void TLabel::ApplyColor() {
    RequestPaint();
}

void TLabel::SetTabStop(bool v) {
    setFocusPolicy(v ? Qt::TabFocus : Qt::NoFocus);
}

void TLabel::Click() {
    Fire(OnClick);
}

void TLabel::MouseClick() {
    Click();
}

void TLabel::keyPressEvent(QKeyEvent* e) {
    const bool activates = e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier;
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_F2:
        if (activates && TabStop()) {
            e->accept();
            // A key used on a value shows where the focus is from now on.
            FKeyboardFocus = true;
            update();
            Click();
            return;
        }
        break;
    default:
        break;
    }
    TControl<QLabel>::keyPressEvent(e);
}

void TLabel::focusInEvent(QFocusEvent* e) {
    // The window's own activation keeps whatever the label showed before it lost the focus; a click
    // or the program's choice show no frame, as a desktop program hides focus cues until a key is used.
    switch (e->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        FKeyboardFocus = true;
        break;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        break;
    default:
        FKeyboardFocus = false;
        break;
    }
    TControl<QLabel>::focusInEvent(e);
    update();
}

void TLabel::focusOutEvent(QFocusEvent* e) {
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
        FKeyboardFocus = false;
    TControl<QLabel>::focusOutEvent(e);
    update();
}

void TLabel::MouseDoubleClick() {
    Fire(OnDblClick);
}

void TLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!FTransparent && Color().isValid()) p.fillRect(rect(), Color());
    p.setFont(font());
    p.setPen(isEnabled() ? TextColor() : palette().color(QPalette::Disabled, QPalette::WindowText));
    const int lineHeight = LineHeight();
    int y = 0;
    for (const QString& line : TextLines()) {
        p.drawText(QRect(0, y, width(), lineHeight), TextFlags(), line);
        y += lineHeight;
    }
    if (ShowsFocusFrame()) {
        // A dotted frame on the label's edge, in the text's colour so it reads wherever the text does.
        QPen pen(TextColor(), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
