#include "controls/buttons.h"

#include "controls/pixel_picture.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>

#include <algorithm>

// ---- TButton

TButton::TButton(dp::TOwner* Owner) : TControl<QPushButton>(Owner) {
    setGeometry(0, 0, 75, 25);
    setAutoDefault(false);
    ApplyFont();
    connect(this, &QPushButton::clicked, this, [this] { Fire(OnClick); });
}

void TButton::SetCaption(const QString& v) {
    FCaption = v;
    setText(v);
}

void TButton::Click() {
    Fire(OnClick);
}

// ---- TSpeedButton

TSpeedButton::TSpeedButton(dp::TOwner* Owner) : TControl<QToolButton>(Owner) {
    setGeometry(0, 0, 23, 22);
    setFocusPolicy(Qt::NoFocus);
    ApplyFont();
    connect(this, &QToolButton::clicked, this, [this] { Clicked(); });
}

void TSpeedButton::SetCaption(const QString& v) {
    FCaption = v;
    setText(v);
    update();
}

void TSpeedButton::SetGlyph(const QImage& v) {
    FGlyph = v;
    update();
}

void TSpeedButton::SetNumGlyphs(int v) {
    FNumGlyphs = v >= 1 && v <= 4 ? v : 1;
    update();
}

void TSpeedButton::SetGroupIndex(int v) {
    FGroupIndex = v;
    if (FGroupIndex == 0) FDown = false;
    update();
}

void TSpeedButton::SetAllowAllUp(bool v) {
    FAllowAllUp = v;
    // Buttons of one group share the setting.
    if (FGroupIndex != 0 && parentWidget()) {
        for (QObject* o : parentWidget()->children()) {
            auto* b = dynamic_cast<TSpeedButton*>(o);
            if (b && b != this && b->FGroupIndex == FGroupIndex) b->FAllowAllUp = v;
        }
    }
}

void TSpeedButton::SetDown(bool v) {
    if (FGroupIndex == 0) v = false;
    FDown = v;
    if (v && parentWidget()) {
        for (QObject* o : parentWidget()->children()) {
            auto* b = dynamic_cast<TSpeedButton*>(o);
            if (b && b != this && b->FGroupIndex == FGroupIndex && b->FDown) {
                b->FDown = false;
                b->update();
            }
        }
    }
    update();
}

void TSpeedButton::SetFlat(bool v) {
    FFlat = v;
    setAutoRaise(v);
    update();
}

void TSpeedButton::SetTransparent(bool v) {
    FTransparent = v;
    update();
}

void TSpeedButton::SetLayout(TButtonLayout v) {
    FLayout = v;
    update();
}

void TSpeedButton::SetSpacing(int v) {
    FSpacing = v;
    update();
}

void TSpeedButton::Click() {
    Clicked();
}

void TSpeedButton::Clicked() {
    if (FGroupIndex != 0) {
        if (!FDown)
            SetDown(true);
        else if (FAllowAllUp)
            SetDown(false);
    }
    Fire(OnClick);
}

void TSpeedButton::MouseDoubleClick() {
    Fire(OnDblClick);
}

QImage TSpeedButton::CurrentGlyph() const {
    if (FGlyph.isNull()) return QImage();
    const int cellWidth = FGlyph.width() / FNumGlyphs;
    if (cellWidth <= 0) return QImage();
    int cell = 0;
    if (!isEnabled() && FNumGlyphs > 1)
        cell = 1;
    else if (FDown && FNumGlyphs > 3)
        cell = 3;
    else if ((isDown() || FDown) && FNumGlyphs > 2)
        cell = 2;
    QImage image =
        FGlyph.copy(cell * cellWidth, 0, cellWidth, FGlyph.height()).convertToFormat(QImage::Format_ARGB32);
    // The bitmap's bottom-left pixel gives the colour that lets the button face show through.
    const QRgb key = FGlyph.pixel(0, FGlyph.height() - 1) | 0xff000000u;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xff000000u) == key) line[x] = 0;
    }
    return image;
}

void TSpeedButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionToolButton opt;
    initStyleOption(&opt);
    const bool pressed = isDown() || FDown;
    if (pressed)
        opt.state |= QStyle::State_Sunken | QStyle::State_On;
    else
        opt.state |= QStyle::State_Raised;
    if (!FFlat || pressed || (opt.state & QStyle::State_MouseOver))
        p.drawPrimitive(QStyle::PE_PanelButtonTool, opt);

    const QImage glyph = CurrentGlyph();
    const QFontMetrics fm(font());
    const QSize textSize = FCaption.isEmpty() ? QSize() : fm.size(Qt::TextShowMnemonic, FCaption);
    const QSize glyphSize =
        glyph.isNull() ? QSize() : dp::DrawnPictureSize(glyph.size(), dp::DeviceScale(p)).toSize();
    const int gap = (!glyph.isNull() && !FCaption.isEmpty()) ? FSpacing : 0;
    const bool horizontal = FLayout == blGlyphLeft || FLayout == blGlyphRight;
    const int totalW = horizontal ? glyphSize.width() + gap + textSize.width()
                                  : std::max(glyphSize.width(), textSize.width());
    const int totalH = horizontal ? std::max(glyphSize.height(), textSize.height())
                                  : glyphSize.height() + gap + textSize.height();
    const int shift = pressed ? 1 : 0;
    const int x0 = (width() - totalW) / 2 + shift;
    const int y0 = (height() - totalH) / 2 + shift;
    QPoint glyphAt;
    QRect textRect;
    switch (FLayout) {
    case blGlyphLeft:
        glyphAt = QPoint(x0, y0 + (totalH - glyphSize.height()) / 2);
        textRect = QRect(x0 + glyphSize.width() + gap, y0 + (totalH - textSize.height()) / 2,
                         textSize.width(), textSize.height());
        break;
    case blGlyphRight:
        textRect = QRect(x0, y0 + (totalH - textSize.height()) / 2, textSize.width(), textSize.height());
        glyphAt = QPoint(x0 + textSize.width() + gap, y0 + (totalH - glyphSize.height()) / 2);
        break;
    case blGlyphTop:
        glyphAt = QPoint(x0 + (totalW - glyphSize.width()) / 2, y0);
        textRect = QRect(x0 + (totalW - textSize.width()) / 2, y0 + glyphSize.height() + gap,
                         textSize.width(), textSize.height());
        break;
    case blGlyphBottom:
        textRect = QRect(x0 + (totalW - textSize.width()) / 2, y0, textSize.width(), textSize.height());
        glyphAt = QPoint(x0 + (totalW - glyphSize.width()) / 2, y0 + textSize.height() + gap);
        break;
    }
    if (!glyph.isNull()) dp::DrawPixelPicture(p, glyphAt, glyph);
    if (!FCaption.isEmpty()) {
        p.setFont(font());
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        p.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, FCaption);
    }
}

// ---- TCheckBox

TCheckBox::TCheckBox(dp::TOwner* Owner) : TControl<QCheckBox>(Owner) {
    setGeometry(0, 0, 97, 17);
    ApplyFont();
    connect(this, &QAbstractButton::toggled, this, [this](bool) { Fire(OnClick); });
}

void TCheckBox::SetCaption(const QString& v) {
    FCaption = v;
    setText(v);
}

void TCheckBox::SetChecked(bool v) {
    setChecked(v);
}

TCheckBoxState TCheckBox::State() const {
    switch (checkState()) {
    case Qt::Checked:
        return cbChecked;
    case Qt::PartiallyChecked:
        return cbGrayed;
    default:
        return cbUnchecked;
    }
}

void TCheckBox::SetState(TCheckBoxState v) {
    if (v == cbGrayed) setTristate(true);
    setCheckState(v == cbChecked ? Qt::Checked : v == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
}

// ---- TRadioButton

TRadioButton::TRadioButton(dp::TOwner* Owner) : TControl<QRadioButton>(Owner) {
    setGeometry(0, 0, 113, 17);
    ApplyFont();
    // Checked by a click or by the program: both have the effect of a click.
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        if (!checked) return;
        FollowCheckedForTab();
        Fire(OnClick);
    });
}

void TRadioButton::showEvent(QShowEvent* event) {
    TControl<QRadioButton>::showEvent(event);
    FollowCheckedForTab(); // the set may have grown since the last check
}

void TRadioButton::FollowCheckedForTab() {
    QWidget* parent = parentWidget();
    if (parent == nullptr || !autoExclusive()) return;
    const QList<QRadioButton*> set = parent->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
    const auto inSet = [](const QRadioButton* b) { return b->autoExclusive() && b->isCheckable(); };
    if (std::none_of(set.begin(), set.end(),
                     [&](const QRadioButton* b) { return inSet(b) && b->isChecked(); }))
        return;
    for (QRadioButton* b : set) {
        if (!inSet(b)) continue;
        const Qt::FocusPolicy policy = b->focusPolicy();
        b->setFocusPolicy(b->isChecked() ? Qt::FocusPolicy(policy | Qt::TabFocus)
                                         : Qt::FocusPolicy(policy & ~Qt::TabFocus));
    }
}

void TRadioButton::SetCaption(const QString& v) {
    FCaption = v;
    setText(v);
}

void TRadioButton::SetChecked(bool v) {
    if (!v && isChecked()) {
        // Qt keeps the checked button of an exclusive set checked; the model allows clearing it.
        setAutoExclusive(false);
        setChecked(false);
        setAutoExclusive(true);
        return;
    }
    setChecked(v);
}

void TRadioButton::ApplyColor() {
    if (Color().isValid()) {
        QPalette p = palette();
        p.setColor(QPalette::Window, Color());
        setPalette(p);
        setBackgroundRole(QPalette::Window);
        setAutoFillBackground(true);
    } else {
        setAutoFillBackground(false);
    }
    update();
}
