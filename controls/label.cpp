#include "controls/label.h"

#include <QFontMetrics>
#include <QPainter>

TLabel::TLabel(dp::TOwner* Owner) : TControl<QLabel>(Owner) {
    setTextFormat(Qt::PlainText);
    setMargin(0);
    setIndent(0);
    setGeometry(0, 0, 65, 17);
    ApplyFont();
    AdjustSize();
}

void TLabel::SetCaption(const QString& v) {
    FCaption = v;
    setText(DisplayText());
    AdjustSize();
    update();
}

void TLabel::SetAutoSize(bool v) {
    FAutoSize = v;
    AdjustSize();
}

void TLabel::SetWordWrap(bool v) {
    FWordWrap = v;
    setWordWrap(v);
    AdjustSize();
    update();
}

void TLabel::SetAlignment(TAlignment v) {
    FAlignment = v;
    update();
}

void TLabel::SetTransparent(bool v) {
    FTransparent = v;
    update();
}

QString TLabel::DisplayText() const {
    QString s = FCaption;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
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
    if (FWordWrap) flags |= Qt::TextWordWrap;
    return flags;
}

QSize TLabel::TextSize() const {
    const QFontMetrics fm(font());
    const QString text = DisplayText();
    if (text.isEmpty()) return QSize(0, fm.height());
    const int width = FWordWrap ? std::max(1, Width()) : 1 << 20;
    const QRect r = fm.boundingRect(QRect(0, 0, width, 1 << 20), TextFlags(), text);
    return QSize(r.width(), std::max(r.height(), fm.height()));
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
    update();
}

void TLabel::MouseClick() {
    Fire(OnClick);
}

void TLabel::MouseDoubleClick() {
    Fire(OnDblClick);
}

void TLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!FTransparent && Color().isValid()) p.fillRect(rect(), Color());
    p.setFont(font());
    p.setPen(isEnabled() ? Font().Color : palette().color(QPalette::Disabled, QPalette::WindowText));
    p.drawText(rect(), TextFlags(), DisplayText());
}
