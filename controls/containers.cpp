#include "controls/containers.h"

#include <QFontMetrics>
#include <QPainter>

// ---- TPanel

namespace {

// Draws one bevel of width w inside r and returns the rectangle inside it.
QRect DrawBevel(QPainter& p, QRect r, TBevelCut cut, int w, const QPalette& pal) {
    if (cut == bvNone || w <= 0) return r;
    for (int i = 0; i < w && r.width() > 1 && r.height() > 1; ++i) {
        if (cut != bvSpace) {
            const QColor topLeft = cut == bvRaised ? pal.color(QPalette::Light) : pal.color(QPalette::Dark);
            const QColor bottomRight =
                cut == bvRaised ? pal.color(QPalette::Dark) : pal.color(QPalette::Light);
            p.setPen(topLeft);
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(bottomRight);
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
        }
        r.adjust(1, 1, -1, -1);
    }
    return r;
}

} // namespace

TPanel::TPanel(dp::TOwner* Owner) : TControl<QFrame>(Owner) {
    setFrameShape(QFrame::NoFrame);
    setGeometry(0, 0, 185, 41);
    ApplyFont();
}

void TPanel::SetCaption(const QString& v) {
    FCaption = v;
    update();
}

void TPanel::SetBevelInner(TBevelCut v) {
    FBevelInner = v;
    update();
}

void TPanel::SetBevelOuter(TBevelCut v) {
    FBevelOuter = v;
    update();
}

void TPanel::SetBevelWidth(int v) {
    FBevelWidth = std::max(1, v);
    update();
}

void TPanel::SetBorderWidth(int v) {
    FBorderWidth = std::max(0, v);
    update();
}

void TPanel::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v;
    update();
}

void TPanel::MouseClick() {
    Fire(OnClick);
}

void TPanel::MouseDoubleClick() {
    Fire(OnDblClick);
}

void TPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect();
    if (Color().isValid()) p.fillRect(r, Color());
    if (FBorderStyle == bsSingle) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    r = DrawBevel(p, r, FBevelOuter, FBevelWidth, palette());
    r.adjust(FBorderWidth, FBorderWidth, -FBorderWidth, -FBorderWidth);
    r = DrawBevel(p, r, FBevelInner, FBevelWidth, palette());
    if (!FCaption.isEmpty()) {
        p.setFont(font());
        p.setPen(TextColor());
        p.drawText(r, Qt::AlignCenter | Qt::TextShowMnemonic, FCaption);
    }
}

// ---- TGroupBox

TGroupBox::TGroupBox(dp::TOwner* Owner) : TControl<QGroupBox>(Owner) {
    setGeometry(0, 0, 185, 105);
    ApplyFont();
}

void TGroupBox::MouseClick() {
    Fire(OnClick);
}

void TGroupBox::MouseDoubleClick() {
    Fire(OnDblClick);
}

int TGroupBox::FrameTop() const {
    return QFontMetrics(font()).height() / 2 - 1;
}

void TGroupBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm(font());
    const int top = FrameTop();
    const int w = width();
    const int h = height();
    if (w < 2 || h - top < 2) return;
    // Etched: a light frame one pixel right of and below a shadow frame of the same size, so the
    // line shows shadow over light on the top and left edges and light outside shadow at the others.
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(1, top + 1, w - 2, h - top - 2);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(0, top, w - 2, h - top - 2);
    const QString caption = title();
    if (caption.isEmpty()) return;
    // The caption's own background interrupts the line behind it.
    const QRect text = fm.boundingRect(QRect(8, 0, w - 8, fm.height()),
                                       Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);
    p.fillRect(text, Color().isValid() ? QColor(Color()) : palette().color(backgroundRole()));
    p.setFont(font());
    p.setPen(isEnabled() ? TextColor() : palette().color(QPalette::Disabled, QPalette::WindowText));
    p.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);
}

// ---- TPageControl

TPageControl::TPageControl(dp::TOwner* Owner) : TControl<QTabWidget>(Owner) {
    setGeometry(0, 0, 289, 193);
    ApplyFont();
}

TTabSheet* TPageControl::Pages(int index) const {
    return dynamic_cast<TTabSheet*>(widget(index));
}

TTabSheet* TPageControl::ActivePage() const {
    return dynamic_cast<TTabSheet*>(currentWidget());
}

void TPageControl::SetActivePage(TTabSheet* page) {
    const int i = indexOf(page);
    if (i >= 0) setCurrentIndex(i);
}

// ---- TTabSheet

TTabSheet::TTabSheet(dp::TOwner* Owner) : TControl<QWidget>(Owner) {}

// Deleting a page removes its tab: the page control watches its pages.
TTabSheet::~TTabSheet() = default;

void TTabSheet::SetPageControl(TPageControl* pageControl) {
    if (FPageControl == pageControl) return;
    if (FPageControl) {
        const int i = FPageControl->indexOf(this);
        if (i >= 0) FPageControl->removeTab(i);
        QWidget::setParent(nullptr);
    }
    FPageControl = pageControl;
    if (FPageControl) {
        const int i = FPageControl->addTab(this, FCaption);
        FPageControl->setTabVisible(i, FTabVisible);
    }
}

void TTabSheet::SetCaption(const QString& v) {
    FCaption = v;
    if (FPageControl) {
        const int i = FPageControl->indexOf(this);
        if (i >= 0) FPageControl->setTabText(i, v);
    }
}

int TTabSheet::PageIndex() const {
    return FPageControl ? FPageControl->indexOf(const_cast<TTabSheet*>(this)) : -1;
}

void TTabSheet::SetVisible(bool v) {
    FTabVisible = v;
    if (FPageControl) {
        const int i = FPageControl->indexOf(this);
        if (i >= 0) FPageControl->setTabVisible(i, v);
    }
}
