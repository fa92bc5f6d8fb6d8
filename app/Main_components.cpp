// The main window's components: one declarative table in the order of creation, and the generic code
// that builds a component from its row.
#include "app/Main.h"
#include "app/component_row.h"

#include "controls/contrast.h"
#include "controls/controls.h"

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <array>
#include <functional>
#include <type_traits>

namespace {

using dp::kDesktopText;
using dp::TColorKind;
using dp::TComponentRow;
using dp::TFontKind;

// Every component of the main window, in the order of creation. Later shapes, labels and images of a
// parent are drawn over earlier ones.
const TComponentRow kComponents[] = {
    DP_COMPONENT_ROW(StatBar, .Parent = "Form1", .Bounds = {0, 420, 818, 19}, .Font = TFontKind::Inherit,
                     .Align = alBottom, .Panels = {100, 200}),
    DP_COMPONENT_ROW(PanelSch, .Parent = "Form1", .Bounds = {0, 0, 818, 273}, .Align = alTop, .TabOrder = 1),
    DP_COMPONENT_ROW(LineA, .Parent = "PanelSch", .Bounds = {48, 48, 241, 3}, .Shape = stRoundRect,
                     .PenWidth = 3),
    DP_COMPONENT_ROW(LineReg, .Parent = "PanelSch", .Bounds = {208, 48, 3, 124}, .Visible = false,
                     .Shape = stRectangle, .PenWidth = 3),
    DP_COMPONENT_ROW(LineRP, .Parent = "PanelSch", .Bounds = {48, 48, 3, 124}, .Shape = stRoundRect,
                     .PenWidth = 3),
    DP_COMPONENT_ROW(ShURP, .Parent = "PanelSch", .Bounds = {16, 88, 81, 65}, .Shape = stRoundRect),
    DP_COMPONENT_ROW(ShRL, .Parent = "PanelSch", .Bounds = {192, 104, 65, 41}, .Visible = false),
    DP_COMPONENT_ROW(shRR, .Parent = "PanelSch", .Bounds = {104, 40, 40, 16}, .Visible = false),
    DP_COMPONENT_ROW(LineB, .Parent = "PanelSch", .Bounds = {48, 168, 108, 3}, .Shape = stRoundRect,
                     .PenWidth = 3),
    DP_COMPONENT_ROW(LabR_UI, .Parent = "PanelSch", .Bounds = {104, 23, 58, 13}, .Caption = "28В, 110мА",
                     .Visible = false, .Transparent = true),
    DP_COMPONENT_ROW(LabRL_U, .Parent = "PanelSch", .Bounds = {200, 36, 25, 13}, .Caption = "300В",
                     .Visible = false, .Transparent = true),
    DP_COMPONENT_ROW(LabRL_I, .Parent = "PanelSch", .Bounds = {232, 88, 30, 13}, .Caption = "16 мА",
                     .Visible = false, .Transparent = true),
    DP_COMPONENT_ROW(LabRL_P, .Parent = "PanelSch", .Bounds = {200, 109, 57, 44}, .Caption = "R1     15,5 Вт",
                     .Font = TFontKind::Bold, .Visible = false, .AutoSize = false, .WordWrap = true,
                     .Transparent = true, .Cursor = crHandPoint, .OnClick = &TForm1::LabRClick),
    DP_COMPONENT_ROW(LabR_L, .Parent = "PanelSch", .Bounds = {96, 56, 75, 13}, .Caption = "16км 1.2 мм",
                     .Font = TFontKind::Bold, .Visible = false, .Transparent = true, .Cursor = crHandPoint,
                     .OnClick = &TForm1::LabRClick),
    DP_COMPONENT_ROW(LabR, .Parent = "PanelSch", .Bounds = {110, 42, 22, 13}, .Caption = "250",
                     .Font = TFontKind::Bold, .Visible = false, .Transparent = true, .Cursor = crHandPoint,
                     .OnClick = &TForm1::LabRClick),
    DP_COMPONENT_ROW(LabRP_U, .Parent = "PanelSch", .Bounds = {24, 96, 52, 13}, .Caption = "Uдп=310",
                     .Font = TFontKind::Bold, .Transparent = true, .Cursor = crHandPoint,
                     .OnClick = &TForm1::LabRP_UClick),
    DP_COMPONENT_ROW(LabRP_I, .Parent = "PanelSch", .Bounds = {24, 112, 33, 13}, .Caption = "Iдп = ?",
                     .Transparent = true),
    DP_COMPONENT_ROW(LabURP_Calc, .Parent = "PanelSch", .Bounds = {32, 36, 25, 13}, .Caption = "300В",
                     .Transparent = true),
    DP_COMPONENT_ROW(LabRP_P, .Parent = "PanelSch", .Bounds = {24, 128, 37, 13}, .Caption = "Pдп = ?",
                     .Transparent = true),
    DP_COMPONENT_ROW(PanelP, .Parent = "PanelSch", .Bounds = {15, 199, 138, 58},
                     .Caption = "Мощность источника", .FontColor = kDesktopText, .Align = alCustom,
                     .Color = TColorKind::Window, .TabOrder = 0),
    DP_COMPONENT_ROW(ch75W, .Parent = "PanelP", .Bounds = {8, 16, 57, 17}, .Caption = "75 Вт",
                     .FontColor = kDesktopText, .Checked = true, .TabOrder = 0,
                     .OnClick = &TForm1::ch75WClick),
    DP_COMPONENT_ROW(ch150W, .Parent = "PanelP", .Bounds = {8, 32, 57, 17}, .Caption = "150 Вт",
                     .FontColor = kDesktopText, .TabOrder = 1, .OnClick = &TForm1::ch75WClick),
    DP_COMPONENT_ROW(PanelLRP, .Parent = "PanelSch", .Bounds = {160, 200, 193, 57},
                     .Caption = "Дроссель ДП, Ом", .FontColor = kDesktopText, .Color = TColorKind::Window,
                     .TabOrder = 1),
    DP_COMPONENT_ROW(imLRP, .Parent = "PanelLRP", .Bounds = {8, 18, 25, 15},
                     .Picture = ":/pictures/choke.bmp"),
    DP_COMPONENT_ROW(chR_LRP_24, .Parent = "PanelLRP", .Bounds = {112, 16, 57, 17}, .Caption = "24 РЛ",
                     .FontColor = kDesktopText, .Checked = true, .TabOrder = 0,
                     .OnClick = &TForm1::ch75WClick),
    DP_COMPONENT_ROW(chR_LRP_16, .Parent = "PanelLRP", .Bounds = {40, 16, 57, 17}, .Caption = "16 SM",
                     .FontColor = kDesktopText, .TabOrder = 1, .OnClick = &TForm1::ch75WClick),
    DP_COMPONENT_ROW(chR_LRP_6, .Parent = "PanelLRP", .Bounds = {24, 32, 33, 17}, .Caption = "6",
                     .FontColor = kDesktopText, .Visible = false, .TabOrder = 2,
                     .OnClick = &TForm1::ch75WClick),
    DP_COMPONENT_ROW(chR_LRP_0, .Parent = "PanelLRP", .Bounds = {64, 32, 121, 17},
                     .Caption = "0 (без дросселя)", .FontColor = kDesktopText, .Visible = false,
                     .Color = TColorKind::ButtonFace, .TabOrder = 3, .OnClick = &TForm1::ch75WClick),
    DP_COMPONENT_ROW(GroupBox1, .Parent = "PanelSch", .Bounds = {360, 200, 209, 57}, .Caption = "",
                     .FontColor = kDesktopText, .Color = TColorKind::Window, .TabOrder = 2),
    DP_COMPONENT_ROW(
        ButScr, .Parent = "GroupBox1", .Bounds = {8, 20, 89, 21}, .Caption = "Скриншот...",
        .FontColor = kDesktopText,
        .Hint = "Для выбора имени файла зажать клавишу Shift\nCtrl+S; с выбором имени файла Ctrl+Shift+S",
        .OnClick = &TForm1::ButScrClick, .OnMouseDown = &TForm1::ButScrMouseDown),
    DP_COMPONENT_ROW(Button1, .Parent = "GroupBox1", .Bounds = {104, 20, 89, 22}, .Caption = "Печать...",
                     .FontColor = kDesktopText, .Hint = "Печать окна (Ctrl+P)", .TabOrder = 0,
                     .OnClick = &TForm1::Button1Click),
    DP_COMPONENT_ROW(PanelButs, .Parent = "Form1", .Bounds = {0, 273, 818, 72}, .Caption = "",
                     .FontColor = kDesktopText, .Align = alTop, .TabOrder = 2),
    DP_COMPONENT_ROW(ButADD, .Parent = "PanelButs", .Bounds = {8, 12, 33, 22}, .Caption = "+",
                     .Font = TFontKind::Bold10, .FontColor = kDesktopText,
                     .Hint = "Добавить регенератор (+ или Ctrl++)", .OnClick = &TForm1::ButADDClick),
    DP_COMPONENT_ROW(ButDel, .Parent = "PanelButs", .Bounds = {47, 12, 33, 22}, .Caption = "-",
                     .Font = TFontKind::Bold10, .FontColor = kDesktopText,
                     .Hint = "Удалить последний регенератор (- или Ctrl+-)", .OnClick = &TForm1::ButDelClick),
    DP_COMPONENT_ROW(ButHelp, .Parent = "PanelButs", .Bounds = {96, 12, 23, 22}, .Caption = "",
                     .Font = TFontKind::Bold10, .FontColor = kDesktopText, .Hint = "Справка (F1)",
                     .Picture = ":/pictures/help.bmp", .OnClick = &TForm1::ButHelpClick),
    DP_COMPONENT_ROW(LabImposs, .Parent = "PanelButs", .Bounds = {8, 48, 308, 16},
                     .Caption = "НЕВОЗМОЖНо                                           123",
                     .Font = TFontKind::Bold10, .FontColor = 0xFF0000),
    DP_COMPONENT_ROW(MemoLog, .Parent = "Form1", .Bounds = {0, 345, 818, 75}, .Caption = "MemoLog",
                     .Font = TFontKind::Mono12, .Align = alClient, .TabOrder = 3),
    DP_COMPONENT_ROW(TimerRefresh, .Parent = "Form1", .Bounds = {}, .Interval = 1000,
                     .OnTimer = &TForm1::TimerRefreshTimer),
};

// ---- Building a component from its row ----

TFont FontOf(const TComponentRow& row) {
    TFont f; // the window font
    switch (row.Font) {
    case TFontKind::Window:
    case TFontKind::Inherit:
        break;
    case TFontKind::Bold:
        f.Style = fsBold;
        break;
    case TFontKind::Bold10:
        f.Height = 13;
        f.Style = fsBold;
        break;
    case TFontKind::Mono12:
        f.Name = QStringLiteral("Courier New");
        f.Height = 16;
        f.Charset = RUSSIAN_CHARSET;
        break;
    }
    f.Color = row.FontColor == kDesktopText ? TColor() : QColor::fromRgb(row.FontColor);
    return f;
}

QString CaptionOf(const TComponentRow& row) {
    return row.Caption != nullptr ? QString::fromUtf8(row.Caption) : QString();
}

QImage PictureOf(const TComponentRow& row) {
    return row.Picture != nullptr ? QImage(QString::fromUtf8(row.Picture)) : QImage();
}

QColor DesktopColor(TColorKind kind) {
    return QApplication::palette().color(kind == TColorKind::ButtonFace ? QPalette::Button
                                                                        : QPalette::Window);
}

// What every control of the model takes from its row.
template <class T> void ApplyControl(T& c, const TComponentRow& row) {
    c.SetFont(FontOf(row));
    c.SetCursor(row.Cursor);
    if (row.Hint != nullptr) {
        c.SetHint(QString::fromUtf8(row.Hint));
        c.SetShowHint(true);
    }
    if (row.Color != TColorKind::Parent) c.SetColor(DesktopColor(row.Color));
    c.SetAlign(row.Align);
}

// What a kind adds.
void ApplyKind(TShape& c, const TComponentRow& row) {
    c.SetShape(row.Shape);
    TPen pen = c.Pen();
    pen.Width = row.PenWidth;
    c.SetPen(pen);
}
void ApplyKind(TLabel& c, const TComponentRow& row) {
    c.SetAutoSize(row.AutoSize);
    c.SetTransparent(row.Transparent);
    c.SetWordWrap(row.WordWrap);
    c.SetCaption(CaptionOf(row));
    // A value that opens a dialog on a click is reached by Tab too.
    c.SetTabStop(row.OnClick != nullptr);
}
void ApplyKind(TImage& c, const TComponentRow& row) {
    c.SetPicture(PictureOf(row));
}
void ApplyKind(TRadioButton& c, const TComponentRow& row) {
    c.SetCaption(CaptionOf(row));
    c.SetChecked(row.Checked);
}
void ApplyKind(TGroupBox& c, const TComponentRow& row) {
    c.SetCaption(CaptionOf(row));
}
void ApplyKind(TSpeedButton& c, const TComponentRow& row) {
    c.SetCaption(CaptionOf(row));
    if (row.Picture != nullptr) c.SetGlyph(PictureOf(row));
}
void ApplyKind(TButton& c, const TComponentRow& row) {
    c.SetCaption(CaptionOf(row));
}

void ApplyWidget(QWidget& w, const TComponentRow& row, QWidget* parent) {
    dp::SetWidgetAlign(&w, row.Align,
                       row.Align == alLeft || row.Align == alRight ? row.Bounds.width()
                                                                   : row.Bounds.height());
    w.setParent(parent);
    w.setGeometry(row.Bounds);
    if (row.Font != TFontKind::Inherit) w.setFont(dp::ToQFont(FontOf(row)));
    if (!row.Visible) w.hide();
}

} // namespace

// The member templates the rows point to; each row instantiates them for its own member.
namespace dp {

template <auto Member> QObject* MakeComponent(TForm1& form, const TComponentRow& row, QWidget* parent) {
    using T = TKindOf<Member>;
    T* c = nullptr;
    if constexpr (std::is_base_of_v<dp::TControlBase, T>) {
        c = new T(&form);
        c->setObjectName(QString::fromUtf8(row.Name));
        ApplyControl(*c, row);
        ApplyKind(*c, row);
        // The designed bounds last: an auto-sized label then keeps its position and fits its text.
        c->SetBounds(row.Bounds.x(), row.Bounds.y(), row.Bounds.width(), row.Bounds.height());
        c->SetVisible(row.Visible); // before the parent, so a hidden template never shows
        c->SetParent(parent);
    } else if constexpr (std::is_same_v<T, QTimer>) {
        c = new QTimer(&form);
        c->setObjectName(QString::fromUtf8(row.Name));
        c->setInterval(row.Interval);
        c->start();
    } else if constexpr (std::is_same_v<T, QStatusBar>) {
        c = new QStatusBar();
        c->setObjectName(QString::fromUtf8(row.Name));
        ApplyWidget(*c, row, parent);
        c->setSizeGripEnabled(true);
        for (int width : row.Panels) {
            if (width <= 0) continue;
            auto* panel = new QLabel(c);
            panel->setFixedWidth(width);
            panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            c->addWidget(panel);
        }
    } else if constexpr (std::is_same_v<T, QPlainTextEdit>) {
        c = new QPlainTextEdit();
        c->setObjectName(QString::fromUtf8(row.Name));
        ApplyWidget(*c, row, parent);
        c->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        c->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        c->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        c->setPlainText(CaptionOf(row));
    } else {
        c = new T();
        c->setObjectName(QString::fromUtf8(row.Name));
        ApplyWidget(*c, row, parent);
    }
    form.*Member = c;
    return c;
}

template <auto Member> void WireComponent(TForm1& form, const TComponentRow& row) {
    using T = TKindOf<Member>;
    T* c = form.*Member;
    if constexpr (HasClickEvent<T>) {
        if (const TFormHandler h = row.OnClick)
            c->OnClick = [&form, h](QObject* sender) { (form.*h)(sender); };
    }
    if constexpr (HasMouseDownEvent<T>) {
        if (const TFormMouseHandler h = row.OnMouseDown) {
            c->OnMouseDown = [&form, h](QObject* sender, TMouseButton button, TShiftState shift, int x,
                                        int y) { (form.*h)(sender, button, shift, x, y); };
        }
    }
    if constexpr (HasTimerEvent<T>) {
        if (const TFormHandler h = row.OnTimer) {
            QObject::connect(c, &QTimer::timeout, &form,
                             [&form, h, c] { RunGuarded([&] { (form.*h)(c); }); });
        }
    }
}

} // namespace dp

void TForm1::CreateComponents() {
    QHash<QString, QObject*> byName;
    auto containerOf = [&](const char* name) -> QWidget* {
        const QString n = QString::fromUtf8(name);
        if (n == QLatin1String("Form1")) return this;
        QObject* o = byName.value(n);
        if (auto* box = dynamic_cast<TScrollBox*>(o)) return box->Content();
        return qobject_cast<QWidget*>(o);
    };

    for (const TComponentRow& row : kComponents) {
        byName.insert(QString::fromUtf8(row.Name), row.Make(*this, row, containerOf(row.Parent)));
    }

    // Handlers last: checking a radio button at design must not run a calculation.
    for (const TComponentRow& row : kComponents) row.Wire(*this, row);

    // Tab order: depth first from the window, siblings by their tab order.
    QWidget* previous = nullptr;
    std::function<void(QWidget*)> chain = [&](QWidget* container) {
        std::vector<std::pair<int, QWidget*>> ordered;
        for (const TComponentRow& row : kComponents) {
            if (row.TabOrder < 0 || containerOf(row.Parent) != container) continue;
            ordered.emplace_back(row.TabOrder,
                                 qobject_cast<QWidget*>(byName.value(QString::fromUtf8(row.Name))));
        }
        std::stable_sort(ordered.begin(), ordered.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [order, w] : ordered) {
            if (w == nullptr) continue;
            if (w->focusPolicy() & Qt::TabFocus) {
                if (previous != nullptr) QWidget::setTabOrder(previous, w);
                previous = w;
            }
            if (auto* box = dynamic_cast<TScrollBox*>(w))
                chain(box->Content());
            else
                chain(w);
        }
    };
    chain(this);
}

void TForm1::ApplyThemeColors() {
    for (const TComponentRow& row : kComponents) {
        if (row.Color == TColorKind::Parent) continue;
        QObject* object = findChild<QObject*>(QString::fromUtf8(row.Name));
        if (auto* c = dynamic_cast<TGroupBox*>(object))
            c->SetColor(DesktopColor(row.Color));
        else if (auto* c = dynamic_cast<TRadioButton*>(object))
            c->SetColor(DesktopColor(row.Color));
    }
    // The schematic draws on a light background of its own, so its black wires and results and its
    // white boxes mean the same in any theme.
    QWidget* content = PanelSch->Content(); // at least as large as the visible area
    QPalette schematic = content->palette();
    schematic.setColor(QPalette::Window, kSchematicBackground);
    content->setPalette(schematic);
    content->setAutoFillBackground(true);
    // The notice lies on the window's own background.
    TFont notice = LabImposs->Font();
    notice.Color =
        dp::ReadableOn(QColor::fromRgb(dp::kColorRed), palette().color(QPalette::Window), kMarkContrast);
    LabImposs->SetFont(notice);
}
