// The main window's components: one declarative table in the order of creation, and the generic code
// that builds a component from its row.
#include "app/Main.h"

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

using THandler = void (TForm1::*)(QObject*);
using TMouseHandler = void (TForm1::*)(QObject*, TMouseButton, TShiftState, int, int);

// How a band of the window is docked: stacked from the top, from the bottom, or filling the rest.
enum class TDock { None, Top, Bottom, Fill };

// The fonts of the window, all derived from the window font "MS Sans Serif" 8 pt (11 px).
enum class TFontKind {
    Window,  // the window font
    Bold,    // the window font in bold
    Bold10,  // "MS Sans Serif" bold, 13 px
    Mono12,  // "Courier New" 12 pt (16 px), Cyrillic
    Inherit, // whatever the parent has (non-control widgets)
};

// Background of a control: the parent's, the desktop's button face, or the desktop's window background;
// the desktop's colours are taken again when the desktop theme changes.
enum class TColorKind { Parent, ButtonFace, Window };

// Font colour of a row that follows the desktop's text colour (options, captions and buttons); the
// schematic keeps the colours that carry its meaning on its own light background.
constexpr uint32_t kDesktopText = 0xFFFFFFFF;

struct TComponentSpec {
    QObject* (*Make)(TForm1&, const TComponentSpec&, QWidget* parent); // kind = the member's type
    const char* Name;
    const char* Parent; // "Form1", or a component's name
    QRect Bounds;       // Left, Top, Width, Height in the parent's client area
    const char* Caption = nullptr;
    TFontKind Font = TFontKind::Window;
    uint32_t FontColor = 0x000000;
    bool Visible = true;
    TDock Dock = TDock::None;
    TAlign Align = alNone;
    TShapeType Shape = stRectangle;
    int PenWidth = 1;
    bool AutoSize = true;
    bool WordWrap = false;
    bool Transparent = false;
    TColorKind Color = TColorKind::Parent;
    TCursor Cursor = crDefault;
    const char* Hint = nullptr; // shown on hover when set
    const char* Picture = nullptr;
    bool Checked = false;
    int TabOrder = -1;           // -1: not in the tab order
    int Interval = 0;            // timers, ms
    std::array<int, 2> Panels{}; // status bar panel widths
    THandler OnClick = nullptr;
    TMouseHandler OnMouseDown = nullptr;
    THandler OnTimer = nullptr;
};

template <auto Member> QObject* Make(TForm1& form, const TComponentSpec& row, QWidget* parent);

#define COMPONENT(name) .Make = &Make<&TForm1::name>, .Name = #name

// Every component of the main window, in the order of creation. Later shapes, labels and images of a
// parent are drawn over earlier ones.
const TComponentSpec kComponents[] = {
    {COMPONENT(StatBar), .Parent = "Form1", .Bounds = {0, 420, 818, 19}, .Font = TFontKind::Inherit,
     .Dock = TDock::Bottom, .Panels = {100, 200}},
    {COMPONENT(PanelSch), .Parent = "Form1", .Bounds = {0, 0, 818, 273}, .Dock = TDock::Top, .TabOrder = 1},
    {COMPONENT(LineA), .Parent = "PanelSch", .Bounds = {48, 48, 241, 3}, .Shape = stRoundRect, .PenWidth = 3},
    {COMPONENT(LineReg), .Parent = "PanelSch", .Bounds = {208, 48, 3, 124}, .Visible = false,
     .Shape = stRectangle, .PenWidth = 3},
    {COMPONENT(LineRP), .Parent = "PanelSch", .Bounds = {48, 48, 3, 124}, .Shape = stRoundRect,
     .PenWidth = 3},
    {COMPONENT(ShURP), .Parent = "PanelSch", .Bounds = {16, 88, 81, 65}, .Shape = stRoundRect},
    {COMPONENT(ShRL), .Parent = "PanelSch", .Bounds = {192, 104, 65, 41}, .Visible = false},
    {COMPONENT(shRR), .Parent = "PanelSch", .Bounds = {104, 40, 40, 16}, .Visible = false},
    {COMPONENT(LineB), .Parent = "PanelSch", .Bounds = {48, 168, 108, 3}, .Shape = stRoundRect,
     .PenWidth = 3},
    {COMPONENT(LabR_UI), .Parent = "PanelSch", .Bounds = {104, 23, 58, 13}, .Caption = "28В, 110мА",
     .Visible = false, .Transparent = true},
    {COMPONENT(LabRL_U), .Parent = "PanelSch", .Bounds = {200, 36, 25, 13}, .Caption = "300В",
     .Visible = false, .Transparent = true},
    {COMPONENT(LabRL_I), .Parent = "PanelSch", .Bounds = {232, 88, 30, 13}, .Caption = "16 мА",
     .Visible = false, .Transparent = true},
    {COMPONENT(LabRL_P), .Parent = "PanelSch", .Bounds = {200, 109, 57, 44}, .Caption = "R1     15,5 Вт",
     .Font = TFontKind::Bold, .Visible = false, .AutoSize = false, .WordWrap = true, .Transparent = true,
     .Cursor = crHandPoint, .OnClick = &TForm1::LabRClick},
    {COMPONENT(LabR_L), .Parent = "PanelSch", .Bounds = {96, 56, 75, 13}, .Caption = "16км 1.2 мм",
     .Font = TFontKind::Bold, .Visible = false, .Transparent = true, .Cursor = crHandPoint,
     .OnClick = &TForm1::LabRClick},
    {COMPONENT(LabR), .Parent = "PanelSch", .Bounds = {110, 42, 22, 13}, .Caption = "250",
     .Font = TFontKind::Bold, .Visible = false, .Transparent = true, .Cursor = crHandPoint,
     .OnClick = &TForm1::LabRClick},
    {COMPONENT(LabRP_U), .Parent = "PanelSch", .Bounds = {24, 96, 52, 13}, .Caption = "Uдп=310",
     .Font = TFontKind::Bold, .Transparent = true, .Cursor = crHandPoint, .OnClick = &TForm1::LabRP_UClick},
    {COMPONENT(LabRP_I), .Parent = "PanelSch", .Bounds = {24, 112, 33, 13}, .Caption = "Iдп = ?",
     .Transparent = true},
    {COMPONENT(LabURP_Calc), .Parent = "PanelSch", .Bounds = {32, 36, 25, 13}, .Caption = "300В",
     .Transparent = true},
    {COMPONENT(LabRP_P), .Parent = "PanelSch", .Bounds = {24, 128, 37, 13}, .Caption = "Pдп = ?",
     .Transparent = true},
    {COMPONENT(PanelP), .Parent = "PanelSch", .Bounds = {15, 199, 138, 58}, .Caption = "Мощность источника",
     .FontColor = kDesktopText, .Align = alCustom, .Color = TColorKind::Window, .TabOrder = 0},
    {COMPONENT(ch75W), .Parent = "PanelP", .Bounds = {8, 16, 57, 17}, .Caption = "75 Вт",
     .FontColor = kDesktopText, .Checked = true, .TabOrder = 0, .OnClick = &TForm1::ch75WClick},
    {COMPONENT(ch150W), .Parent = "PanelP", .Bounds = {8, 32, 57, 17}, .Caption = "150 Вт",
     .FontColor = kDesktopText, .TabOrder = 1, .OnClick = &TForm1::ch75WClick},
    {COMPONENT(PanelLRP), .Parent = "PanelSch", .Bounds = {160, 200, 193, 57}, .Caption = "Дроссель ДП, Ом",
     .FontColor = kDesktopText, .Color = TColorKind::Window, .TabOrder = 1},
    {COMPONENT(imLRP), .Parent = "PanelLRP", .Bounds = {8, 18, 25, 15}, .Picture = ":/pictures/choke.bmp"},
    {COMPONENT(chR_LRP_24), .Parent = "PanelLRP", .Bounds = {112, 16, 57, 17}, .Caption = "24 РЛ",
     .FontColor = kDesktopText, .Checked = true, .TabOrder = 0, .OnClick = &TForm1::ch75WClick},
    {COMPONENT(chR_LRP_16), .Parent = "PanelLRP", .Bounds = {40, 16, 57, 17}, .Caption = "16 SM",
     .FontColor = kDesktopText, .TabOrder = 1, .OnClick = &TForm1::ch75WClick},
    {COMPONENT(chR_LRP_6), .Parent = "PanelLRP", .Bounds = {24, 32, 33, 17}, .Caption = "6",
     .FontColor = kDesktopText, .Visible = false, .TabOrder = 2, .OnClick = &TForm1::ch75WClick},
    {COMPONENT(chR_LRP_0), .Parent = "PanelLRP", .Bounds = {64, 32, 121, 17}, .Caption = "0 (без дросселя)",
     .FontColor = kDesktopText, .Visible = false, .Color = TColorKind::ButtonFace, .TabOrder = 3,
     .OnClick = &TForm1::ch75WClick},
    {COMPONENT(GroupBox1), .Parent = "PanelSch", .Bounds = {360, 200, 209, 57}, .Caption = "",
     .FontColor = kDesktopText, .Color = TColorKind::Window, .TabOrder = 2},
    {COMPONENT(ButScr), .Parent = "GroupBox1", .Bounds = {8, 20, 89, 21}, .Caption = "Скриншот...",
     .FontColor = kDesktopText,
     .Hint = "Для выбора имени файла зажать клавишу Shift\nCtrl+S; с выбором имени файла Ctrl+Shift+S",
     .OnClick = &TForm1::ButScrClick, .OnMouseDown = &TForm1::ButScrMouseDown},
    {COMPONENT(Button1), .Parent = "GroupBox1", .Bounds = {104, 20, 89, 22}, .Caption = "Печать...",
     .FontColor = kDesktopText, .Hint = "Печать окна (Ctrl+P)", .TabOrder = 0,
     .OnClick = &TForm1::Button1Click},
    {COMPONENT(PanelButs), .Parent = "Form1", .Bounds = {0, 273, 818, 72}, .Caption = "",
     .FontColor = kDesktopText, .Dock = TDock::Top, .TabOrder = 2},
    {COMPONENT(ButADD), .Parent = "PanelButs", .Bounds = {8, 12, 33, 22}, .Caption = "+",
     .Font = TFontKind::Bold10, .FontColor = kDesktopText, .Hint = "Добавить регенератор (+ или Ctrl++)",
     .OnClick = &TForm1::ButADDClick},
    {COMPONENT(ButDel), .Parent = "PanelButs", .Bounds = {47, 12, 33, 22}, .Caption = "-",
     .Font = TFontKind::Bold10, .FontColor = kDesktopText,
     .Hint = "Удалить последний регенератор (- или Ctrl+-)", .OnClick = &TForm1::ButDelClick},
    {COMPONENT(ButHelp), .Parent = "PanelButs", .Bounds = {96, 12, 23, 22}, .Caption = "",
     .Font = TFontKind::Bold10, .FontColor = kDesktopText, .Hint = "Справка (F1)",
     .Picture = ":/pictures/help.bmp", .OnClick = &TForm1::ButHelpClick},
    {COMPONENT(LabImposs), .Parent = "PanelButs", .Bounds = {8, 48, 308, 16},
     .Caption = "НЕВОЗМОЖНо                                           123", .Font = TFontKind::Bold10,
     .FontColor = 0xFF0000},
    {COMPONENT(MemoLog), .Parent = "Form1", .Bounds = {0, 345, 818, 75}, .Caption = "MemoLog",
     .Font = TFontKind::Mono12, .Dock = TDock::Fill, .TabOrder = 3},
    {COMPONENT(TimerRefresh), .Parent = "Form1", .Bounds = {}, .Interval = 1000,
     .OnTimer = &TForm1::TimerRefreshTimer},
};

#undef COMPONENT

// ---- Building a component from its row ----

TFont FontOf(const TComponentSpec& row) {
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

QString CaptionOf(const TComponentSpec& row) {
    return row.Caption != nullptr ? QString::fromUtf8(row.Caption) : QString();
}

QImage PictureOf(const TComponentSpec& row) {
    return row.Picture != nullptr ? QImage(QString::fromUtf8(row.Picture)) : QImage();
}

QColor DesktopColor(TColorKind kind) {
    return QApplication::palette().color(kind == TColorKind::ButtonFace ? QPalette::Button
                                                                        : QPalette::Window);
}

// What every control of the model takes from its row.
template <class T> void ApplyControl(T& c, const TComponentSpec& row) {
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
void ApplyKind(TShape& c, const TComponentSpec& row) {
    c.SetShape(row.Shape);
    TPen pen = c.Pen();
    pen.Width = row.PenWidth;
    c.SetPen(pen);
}
void ApplyKind(TLabel& c, const TComponentSpec& row) {
    c.SetAutoSize(row.AutoSize);
    c.SetTransparent(row.Transparent);
    c.SetWordWrap(row.WordWrap);
    c.SetCaption(CaptionOf(row));
    // A value that opens a dialog on a click is reached by Tab too.
    c.SetTabStop(row.OnClick != nullptr);
}
void ApplyKind(TImage& c, const TComponentSpec& row) {
    c.SetPicture(PictureOf(row));
}
void ApplyKind(TRadioButton& c, const TComponentSpec& row) {
    c.SetCaption(CaptionOf(row));
    c.SetChecked(row.Checked);
}
void ApplyKind(TGroupBox& c, const TComponentSpec& row) {
    c.SetCaption(CaptionOf(row));
}
void ApplyKind(TSpeedButton& c, const TComponentSpec& row) {
    c.SetCaption(CaptionOf(row));
    if (row.Picture != nullptr) c.SetGlyph(PictureOf(row));
}
void ApplyKind(TButton& c, const TComponentSpec& row) {
    c.SetCaption(CaptionOf(row));
}

void ApplyWidget(QWidget& w, const TComponentSpec& row, QWidget* parent) {
    w.setParent(parent);
    w.setGeometry(row.Bounds);
    if (row.Font != TFontKind::Inherit) w.setFont(dp::ToQFont(FontOf(row)));
    if (!row.Visible) w.hide();
}

template <auto Member> QObject* Make(TForm1& form, const TComponentSpec& row, QWidget* parent) {
    using T = std::remove_pointer_t<std::remove_cvref_t<decltype(form.*Member)>>;
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

void WireClick(TForm1& form, QObject* object, THandler h) {
    auto slot = [&form, h](QObject* sender) { (form.*h)(sender); };
    if (auto* c = dynamic_cast<TLabel*>(object))
        c->OnClick = slot;
    else if (auto* c = dynamic_cast<TRadioButton*>(object))
        c->OnClick = slot;
    else if (auto* c = dynamic_cast<TSpeedButton*>(object))
        c->OnClick = slot;
    else if (auto* c = dynamic_cast<TButton*>(object))
        c->OnClick = slot;
    else if (auto* c = dynamic_cast<TImage*>(object))
        c->OnClick = slot;
    else if (auto* c = dynamic_cast<TGroupBox*>(object))
        c->OnClick = slot;
}

void WireMouseDown(TForm1& form, QObject* object, TMouseHandler h) {
    auto slot = [&form, h](QObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
        (form.*h)(sender, button, shift, x, y);
    };
    if (auto* c = dynamic_cast<TSpeedButton*>(object))
        c->OnMouseDown = slot;
    else if (auto* c = dynamic_cast<TLabel*>(object))
        c->OnMouseDown = slot;
    else if (auto* c = dynamic_cast<TButton*>(object))
        c->OnMouseDown = slot;
}

void WireTimer(TForm1& form, QObject* object, THandler h) {
    auto* timer = qobject_cast<QTimer*>(object);
    if (timer == nullptr) return;
    QObject::connect(timer, &QTimer::timeout, &form,
                     [&form, h, timer] { dp::RunGuarded([&] { (form.*h)(timer); }); });
}

} // namespace

void TForm1::CreateComponents() {
    QHash<QString, QObject*> byName;
    auto containerOf = [&](const char* name) -> QWidget* {
        const QString n = QString::fromUtf8(name);
        if (n == QLatin1String("Form1")) return this;
        QObject* o = byName.value(n);
        if (auto* box = dynamic_cast<TScrollBox*>(o)) return box->Content();
        return qobject_cast<QWidget*>(o);
    };

    for (const TComponentSpec& row : kComponents) {
        byName.insert(QString::fromUtf8(row.Name), row.Make(*this, row, containerOf(row.Parent)));
    }

    // Handlers last: checking a radio button at design must not run a calculation.
    for (const TComponentSpec& row : kComponents) {
        QObject* object = byName.value(QString::fromUtf8(row.Name));
        if (row.OnClick != nullptr) WireClick(*this, object, row.OnClick);
        if (row.OnMouseDown != nullptr) WireMouseDown(*this, object, row.OnMouseDown);
        if (row.OnTimer != nullptr) WireTimer(*this, object, row.OnTimer);
    }

    // Tab order: depth first from the window, siblings by their tab order.
    QWidget* previous = nullptr;
    std::function<void(QWidget*)> chain = [&](QWidget* container) {
        std::vector<std::pair<int, QWidget*>> ordered;
        for (const TComponentSpec& row : kComponents) {
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
    for (const TComponentSpec& row : kComponents) {
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

void TForm1::LayoutBands() {
    const int w = width();
    int top = 0;
    int bottom = height();
    QWidget* fill = nullptr;
    for (const TComponentSpec& row : kComponents) {
        if (row.Dock == TDock::None) continue;
        auto* band = findChild<QWidget*>(QString::fromUtf8(row.Name), Qt::FindDirectChildrenOnly);
        if (band == nullptr) continue;
        const int h = row.Bounds.height();
        switch (row.Dock) {
        case TDock::Top:
            band->setGeometry(0, top, w, h);
            top += h;
            break;
        case TDock::Bottom:
            bottom -= h;
            band->setGeometry(0, bottom, w, h);
            break;
        case TDock::Fill:
            fill = band;
            break;
        case TDock::None:
            break;
        }
    }
    if (fill != nullptr) fill->setGeometry(0, top, w, std::max(0, bottom - top));
}
