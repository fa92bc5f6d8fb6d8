// CloneControl: what each kind's clone copies and what it leaves at the defaults, the position rule,
// visibility, by-value and shared properties, copied handlers, refused kinds and the failure rule.
#include "controls/controls.h"
#include "schematic/uClonesNew.h"
#include "tests/controls/test_util.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

using dp::CloneControl;
using dp::test::Click;

namespace {

// The main window in small: it owns every control; the schematic area shows the clones.
class CloneFixture {
public:
    CloneFixture() {
        area = new QWidget(&window);
        area->resize(800, 273);
        otherBox = new QWidget(&window);
    }
    struct TWindow : QWidget, dp::TOwner {};
    TWindow window;
    QWidget* area;     // the Parent argument
    QWidget* otherBox; // where a template may sit instead
};

TFont OddFont() {
    return TFont{"Courier New", 16, QColor(10, 20, 30), fsBold | fsItalic, RUSSIAN_CHARSET};
}

// ---- per-kind table

struct KindCase {
    const char* name;
    // Builds a template with every property set away from its default.
    std::function<QWidget*(CloneFixture&)> make;
    // Checks the clone against its template: what is copied and what is not.
    std::function<void(QWidget* tmpl, QWidget* clone, CloneFixture&)> check;
};

void PrintTo(const KindCase& row, std::ostream* os) {
    *os << row.name;
}

int handlerCalls = 0;
QObject* lastSender = nullptr;
void Handler(QObject* s) {
    ++handlerCalls;
    lastSender = s;
}
void MouseHandler(QObject* s, TMouseButton, TShiftState, int, int) {
    Handler(s);
}
void MoveHandler(QObject* s, TShiftState, int, int) {
    Handler(s);
}

template <class T> T* As(QWidget* w) {
    return static_cast<T*>(w);
}

template <class T> void CommonLook(T* t) {
    t->SetBounds(11, 12, 61, 31);
    t->SetHint("hint");
    t->SetShowHint(true);
    t->SetCursor(crHandPoint);
    t->SetAlign(alCustom);
    t->SetDragMode(dmAutomatic);
    t->SetConstraints({5, 6, 700, 800});
}

const std::vector<KindCase> kKinds = {
    {"Shape",
     [](CloneFixture& f) {
         auto* t = new TShape(&f.window);
         CommonLook(t);
         t->SetBrush({QColor(1, 2, 3), bsCross});
         t->SetPen({QColor(4, 5, 6), 3, psDash});
         t->SetShape(stRoundRect);
         t->OnMouseDown = MouseHandler;
         t->OnMouseUp = MouseHandler;
         t->OnMouseMove = MoveHandler;
         t->OnContextPopup = [](QObject*, QPoint, bool&) {};
         t->SetVisible(false);
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TShape>(tw), *c = As<TShape>(cw);
         EXPECT_EQ(c->Brush(), t->Brush());
         EXPECT_EQ(c->Pen(), t->Pen());
         EXPECT_EQ(c->Shape(), stRoundRect);
         EXPECT_EQ(c->size(), t->size());
         EXPECT_EQ(c->Hint(), "hint");
         EXPECT_TRUE(c->ShowHint());
         EXPECT_TRUE(c->OnMouseDown && c->OnMouseUp && c->OnMouseMove);
         // not copied
         EXPECT_TRUE(c->Visible());
         EXPECT_EQ(c->Cursor(), crDefault);
         EXPECT_EQ(c->Align(), alNone);
         EXPECT_EQ(c->DragMode(), dmManual);
         EXPECT_EQ(c->Constraints(), TSizeConstraints{});
         EXPECT_FALSE(c->OnContextPopup);
     }},
    {"Label",
     [](CloneFixture& f) {
         auto* t = new TLabel(&f.window);
         CommonLook(t);
         t->SetAutoSize(false);
         t->SetBounds(11, 12, 57, 44);
         t->SetAlignment(taCenter);
         t->SetWordWrap(true);
         t->SetCaption("R1     15,5 Вт");
         t->SetFont(OddFont());
         t->SetColor(QColor(7, 8, 9));
         t->SetTransparent(true);
         t->OnMouseDown = MouseHandler;
         t->OnMouseUp = MouseHandler;
         t->OnMouseMove = MoveHandler;
         t->OnClick = Handler;
         t->OnDblClick = Handler;
         t->OnContextPopup = [](QObject*, QPoint, bool&) {};
         t->SetVisible(false);
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TLabel>(tw), *c = As<TLabel>(cw);
         EXPECT_EQ(c->Cursor(), crHandPoint);
         EXPECT_FALSE(c->AutoSize());
         EXPECT_EQ(c->Align(), alCustom);
         EXPECT_EQ(c->Alignment(), taCenter);
         EXPECT_EQ(c->size(), QSize(57, 44));
         EXPECT_TRUE(c->WordWrap());
         EXPECT_EQ(c->Caption(), t->Caption());
         EXPECT_EQ(c->Font(), OddFont());
         EXPECT_EQ(c->Hint(), "hint");
         EXPECT_EQ(c->Color(), QColor(7, 8, 9));
         EXPECT_TRUE(c->Transparent());
         EXPECT_EQ(c->DragMode(), dmAutomatic);
         EXPECT_TRUE(c->OnMouseDown && c->OnMouseUp && c->OnMouseMove && c->OnClick && c->OnContextPopup);
         EXPECT_TRUE(c->Visible());
         EXPECT_FALSE(c->OnDblClick);
         EXPECT_EQ(c->Constraints(), TSizeConstraints{});
     }},
    {"Image",
     [](CloneFixture& f) {
         auto* t = new TImage(&f.window);
         CommonLook(t);
         QImage picture(15, 9, QImage::Format_RGB32);
         picture.fill(Qt::white);
         t->SetPicture(picture);
         t->SetCenter(true);
         t->SetProportional(true);
         t->SetStretch(true);
         t->SetTransparent(true);
         t->SetAutoSize(false);
         t->OnMouseDown = MouseHandler;
         t->OnMouseUp = MouseHandler;
         t->OnMouseMove = MoveHandler;
         t->OnDblClick = Handler;
         t->OnClick = Handler;
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TImage>(tw), *c = As<TImage>(cw);
         EXPECT_EQ(c->size(), t->size());
         EXPECT_EQ(c->Hint(), "hint");
         EXPECT_EQ(c->Picture(), t->Picture());
         EXPECT_EQ(c->Constraints(), t->Constraints());
         EXPECT_TRUE(c->Center() && c->Proportional() && c->Stretch() && c->Transparent());
         EXPECT_EQ(c->Cursor(), crHandPoint);
         EXPECT_TRUE(c->OnMouseDown && c->OnMouseUp && c->OnMouseMove && c->OnDblClick);
         EXPECT_FALSE(c->OnClick);
         EXPECT_EQ(c->Align(), alNone);
         EXPECT_EQ(c->DragMode(), dmManual);
     }},
    {"ComboBox",
     [](CloneFixture& f) {
         auto* t = new TComboBox(&f.window);
         CommonLook(t);
         t->SetStyle(csDropDownList);
         t->SetFont(OddFont());
         t->SetColor(QColor(7, 8, 9));
         t->SetItems({"one", "two", "three"});
         t->SetItemIndex(2);
         t->OnChange = Handler;
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture& f) {
         auto *t = As<TComboBox>(tw), *c = As<TComboBox>(cw);
         EXPECT_EQ(c->Width(), t->Width());
         EXPECT_NE(c->Height(), t->Height());
         EXPECT_EQ(c->Style(), csDropDownList);
         EXPECT_EQ(c->Font(), OddFont());
         EXPECT_EQ(c->Items(), t->Items());
         EXPECT_EQ(c->ItemIndex(), 0);
         EXPECT_EQ(c->Text(), "one");
         EXPECT_TRUE(c->OnChange);
         EXPECT_FALSE(c->Color().isValid());
         EXPECT_TRUE(c->isVisibleTo(f.area));
     }},
    {"CheckBox",
     [](CloneFixture& f) {
         auto* t = new TCheckBox(&f.window);
         CommonLook(t);
         t->SetCaption("check");
         t->SetFont(OddFont());
         t->SetColor(QColor(7, 8, 9));
         t->SetChecked(true);
         t->OnClick = Handler;
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TCheckBox>(tw), *c = As<TCheckBox>(cw);
         EXPECT_EQ(c->size(), t->size());
         EXPECT_EQ(c->Caption(), "check");
         EXPECT_EQ(c->Font(), OddFont());
         EXPECT_EQ(c->Color(), QColor(7, 8, 9));
         EXPECT_TRUE(c->OnClick);
         EXPECT_FALSE(c->Checked());
         EXPECT_EQ(c->Cursor(), crDefault);
     }},
    {"SpinEdit",
     [](CloneFixture& f) {
         auto* t = new TSpinEdit(&f.window);
         CommonLook(t);
         t->SetMinValue(-5);
         t->SetMaxValue(50);
         t->SetMaxLength(3);
         t->SetIncrement(5);
         t->SetValue(20);
         t->SetFont(OddFont());
         t->OnChange = Handler;
         t->OnExit = Handler;
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TSpinEdit>(tw), *c = As<TSpinEdit>(cw);
         EXPECT_EQ(c->MinValue(), -5);
         EXPECT_EQ(c->MaxValue(), 50);
         EXPECT_EQ(c->MaxLength(), 3);
         EXPECT_EQ(c->Increment(), 5);
         EXPECT_EQ(c->Width(), t->Width());
         EXPECT_NE(c->Height(), t->Height());
         EXPECT_EQ(c->Font(), OddFont());
         EXPECT_TRUE(c->OnChange && c->OnExit);
         EXPECT_NE(c->Value(), 20);
     }},
    {"Edit",
     [](CloneFixture& f) {
         auto* t = new TEdit(&f.window);
         CommonLook(t);
         t->SetText("text");
         t->SetAutoSize(false);
         t->SetBounds(11, 12, 61, 31);
         t->SetMaxLength(9);
         t->SetFont(OddFont());
         t->SetColor(QColor(7, 8, 9));
         t->OnChange = Handler;
         t->OnExit = Handler;
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TEdit>(tw), *c = As<TEdit>(cw);
         EXPECT_EQ(c->Text(), "text");
         EXPECT_FALSE(c->AutoSize());
         EXPECT_EQ(c->MaxLength(), 9);
         EXPECT_EQ(c->size(), t->size());
         EXPECT_EQ(c->Font(), OddFont());
         EXPECT_EQ(c->Color(), QColor(7, 8, 9));
         EXPECT_FALSE(c->OnChange || c->OnExit);
     }},
    {"Panel",
     [](CloneFixture& f) {
         auto* t = new TPanel(&f.window);
         CommonLook(t);
         t->SetCaption("panel");
         t->SetAutoSize(true);
         t->SetFont(OddFont());
         t->SetColor(QColor(7, 8, 9));
         t->SetBevelInner(bvLowered);
         t->SetBevelOuter(bvNone);
         t->SetBevelWidth(2);
         t->SetBorderWidth(3);
         t->SetBorderStyle(bsSingle);
         t->OnClick = Handler;
         t->OnMouseMove = MoveHandler;
         t->OnMouseDown = MouseHandler;
         t->OnMouseUp = MouseHandler;
         auto* child = new TLabel(&f.window); // a child control stays behind
         child->SetParent(t);
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TPanel>(tw), *c = As<TPanel>(cw);
         EXPECT_EQ(c->Caption(), "panel");
         EXPECT_TRUE(c->AutoSize());
         EXPECT_EQ(c->size(), t->size());
         EXPECT_EQ(c->Font(), OddFont());
         EXPECT_EQ(c->Color(), QColor(7, 8, 9));
         EXPECT_EQ(c->Align(), alCustom);
         EXPECT_EQ(c->BevelInner(), bvLowered);
         EXPECT_EQ(c->BevelOuter(), bvNone);
         EXPECT_EQ(c->BevelWidth(), 2);
         EXPECT_EQ(c->BorderWidth(), 3);
         EXPECT_EQ(c->BorderStyle(), bsSingle);
         EXPECT_TRUE(c->OnClick && c->OnMouseMove && c->OnMouseDown && c->OnMouseUp);
         EXPECT_TRUE(c->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty());
     }},
    {"Button",
     [](CloneFixture& f) {
         auto* t = new TButton(&f.window);
         CommonLook(t);
         t->SetCaption("Печать...");
         t->SetFont(OddFont());
         t->SetPopupMenu(new QMenu(&f.window));
         t->OnClick = Handler;
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TButton>(tw), *c = As<TButton>(cw);
         EXPECT_EQ(c->Caption(), "Печать...");
         EXPECT_EQ(c->size(), t->size());
         EXPECT_EQ(c->Font(), OddFont());
         EXPECT_TRUE(c->OnClick);
         EXPECT_EQ(c->Cursor(), crDefault);
         EXPECT_EQ(c->PopupMenu(), nullptr);
     }},
    {"GroupBox",
     [](CloneFixture& f) {
         auto* t = new TGroupBox(&f.window);
         CommonLook(t);
         t->SetCaption("Мощность источника");
         t->SetFont(OddFont());
         t->SetColor(QColor(7, 8, 9));
         t->OnClick = Handler;
         auto* child = new TRadioButton(&f.window);
         child->SetParent(t);
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TGroupBox>(tw), *c = As<TGroupBox>(cw);
         EXPECT_EQ(c->Caption(), "Мощность источника");
         EXPECT_EQ(c->size(), t->size());
         EXPECT_EQ(c->Font(), OddFont());
         EXPECT_EQ(c->Color(), QColor(7, 8, 9));
         EXPECT_EQ(c->Align(), alCustom);
         EXPECT_TRUE(c->OnClick);
         EXPECT_TRUE(c->findChildren<TRadioButton*>().isEmpty());
     }},
    {"SpeedButton",
     [](CloneFixture& f) {
         auto* t = new TSpeedButton(&f.window);
         CommonLook(t);
         t->SetCaption("Скриншот...");
         t->SetFont(OddFont());
         t->SetGroupIndex(3);
         QImage glyph(32, 14, QImage::Format_RGB32);
         glyph.fill(Qt::gray);
         t->SetGlyph(glyph);
         t->SetAllowAllUp(true);
         t->SetFlat(true);
         t->SetDown(true);
         t->SetTransparent(false);
         t->SetLayout(blGlyphTop);
         t->SetNumGlyphs(2);
         t->SetPopupMenu(new QMenu(&f.window));
         t->OnClick = Handler;
         t->OnMouseDown = MouseHandler;
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TSpeedButton>(tw), *c = As<TSpeedButton>(cw);
         EXPECT_EQ(c->Caption(), "Скриншот...");
         EXPECT_EQ(c->size(), t->size());
         EXPECT_EQ(c->Font(), OddFont());
         EXPECT_EQ(c->GroupIndex(), 3);
         EXPECT_EQ(c->Glyph(), t->Glyph());
         EXPECT_TRUE(c->AllowAllUp());
         EXPECT_TRUE(c->Flat());
         EXPECT_TRUE(c->Down());
         EXPECT_EQ(c->Cursor(), crHandPoint);
         EXPECT_FALSE(c->Transparent());
         EXPECT_EQ(c->Layout(), blGlyphTop);
         EXPECT_EQ(c->NumGlyphs(), 2);
         EXPECT_TRUE(c->OnClick);
         EXPECT_FALSE(c->OnMouseDown);
         EXPECT_EQ(c->PopupMenu(), nullptr);
     }},
    {"RadioButton",
     [](CloneFixture& f) {
         auto* t = new TRadioButton(&f.window);
         CommonLook(t);
         t->SetCaption("75 Вт");
         t->SetFont(OddFont());
         t->SetColor(QColor(7, 8, 9));
         t->SetChecked(true);
         t->OnClick = Handler;
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TRadioButton>(tw), *c = As<TRadioButton>(cw);
         EXPECT_EQ(c->size(), t->size());
         EXPECT_EQ(c->Caption(), "75 Вт");
         EXPECT_EQ(c->Font(), OddFont());
         EXPECT_TRUE(c->Checked());
         EXPECT_TRUE(c->OnClick);
         EXPECT_FALSE(c->Color().isValid());
     }},
    {"FloatSpinEdit",
     [](CloneFixture& f) {
         auto* t = new TFloatSpinEdit(&f.window);
         CommonLook(t);
         t->SetMinValue(-1.5L);
         t->SetMaxValue(99.25L);
         t->SetMaxLength(7);
         t->SetIncrement(0.5L);
         t->SetCurrentUnit(1);
         t->SetDefaultUnit(0);
         t->SetPrecision(-3);
         t->SetFont(OddFont());
         t->SetDigRound(2);
         t->SetValue(3.5);
         t->OnChange = Handler;
         t->OnExit = Handler;
         return t;
     },
     [](QWidget* tw, QWidget* cw, CloneFixture&) {
         auto *t = As<TFloatSpinEdit>(tw), *c = As<TFloatSpinEdit>(cw);
         EXPECT_EQ(c->MinValue(), -1.5L);
         EXPECT_EQ(c->MaxValue(), 99.25L);
         EXPECT_EQ(c->MaxLength(), 7);
         EXPECT_EQ(c->Increment(), 0.5L);
         EXPECT_EQ(c->CurrentUnit(), 1);
         EXPECT_EQ(c->DefaultUnit(), 0);
         EXPECT_EQ(c->Precision(), -3);
         EXPECT_EQ(c->Width(), t->Width());
         EXPECT_NE(c->Height(), t->Height());
         EXPECT_EQ(c->Font(), OddFont());
         EXPECT_EQ(c->DigRound(), 2);
         EXPECT_TRUE(c->OnChange && c->OnExit);
         EXPECT_NE(c->Value(), 3.5);
     }},
};

class CloneKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(CloneKind, CopiesItsListAndNothingElse) {
    CloneFixture f;
    QWidget* tmpl = GetParam().make(f);
    tmpl->setObjectName("Template1");
    const int before = f.window.ComponentCount();
    QWidget* clone = CloneControl(tmpl, &f.window, f.area, -1, -1);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(typeid(*clone), typeid(*tmpl));
    EXPECT_EQ(f.window.ComponentCount(), before + 1);
    EXPECT_EQ(clone->parentWidget(), f.area);
    EXPECT_EQ(clone->pos(), tmpl->pos());
    EXPECT_TRUE(clone->objectName().isEmpty());
    GetParam().check(tmpl, clone, f);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CloneKind, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- refused kinds

class TDerivedLabel : public TLabel {
public:
    using TLabel::TLabel;
};
class TDerivedShape : public TShape {
public:
    using TShape::TShape;
};
class TDerivedImage : public TImage {
public:
    using TImage::TImage;
};
class TDerivedButton : public TButton {
public:
    using TButton::TButton;
};
class TDerivedGrid : public TStringGrid {
public:
    using TStringGrid::TStringGrid;
};

struct RefusedCase {
    const char* name;
    std::function<QWidget*(dp::TOwner*)> make;
};

void PrintTo(const RefusedCase& row, std::ostream* os) {
    *os << row.name;
}

class CloneRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(CloneRefused, YieldsNoControlAndLeavesOwnerUnchanged) {
    CloneFixture f;
    QWidget* tmpl = GetParam().make(&f.window);
    const int before = f.window.ComponentCount();
    const int children = f.area->children().size();
    EXPECT_EQ(CloneControl(tmpl, &f.window, f.area, 5, 5), nullptr);
    EXPECT_EQ(f.window.ComponentCount(), before);
    EXPECT_EQ(f.area->children().size(), children);
    if (tmpl->parent() == nullptr) delete tmpl;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CloneRefused,
    ::testing::Values(RefusedCase{"DerivedLabel", [](dp::TOwner* o) { return new TDerivedLabel(o); }},
                      RefusedCase{"DerivedShape", [](dp::TOwner* o) { return new TDerivedShape(o); }},
                      RefusedCase{"DerivedImage", [](dp::TOwner* o) { return new TDerivedImage(o); }},
                      RefusedCase{"DerivedButton", [](dp::TOwner* o) { return new TDerivedButton(o); }},
                      RefusedCase{"DerivedGrid", [](dp::TOwner* o) { return new TDerivedGrid(o); }},
                      RefusedCase{"PageControl", [](dp::TOwner* o) { return new TPageControl(o); }},
                      RefusedCase{"Memo", [](dp::TOwner*) { return new QPlainTextEdit; }},
                      RefusedCase{"ScrollBox", [](dp::TOwner*) { return new QScrollArea; }},
                      RefusedCase{"PlainQLabel", [](dp::TOwner*) { return new QLabel; }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- position rule

struct PositionCase {
    const char* name;
    int newTop, newLeft;
    QPoint expected; // x, y
};

void PrintTo(const PositionCase& row, std::ostream* os) {
    *os << row.name;
}

class ClonePosition : public ::testing::TestWithParam<PositionCase> {};

TEST_P(ClonePosition, OnlyMinusOneTakesTheTemplatesValue) {
    CloneFixture f;
    auto* tmpl = new TShape(&f.window);
    tmpl->SetParent(f.otherBox); // its own container is never consulted
    tmpl->SetBounds(192, 104, 65, 41);
    QWidget* clone = CloneControl(tmpl, &f.window, f.area, GetParam().newTop, GetParam().newLeft);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->pos(), GetParam().expected);
    EXPECT_EQ(clone->parentWidget(), f.area);
}

INSTANTIATE_TEST_SUITE_P(Rule, ClonePosition,
                         ::testing::Values(PositionCase{"BothTemplate", -1, -1, QPoint(192, 104)},
                                           PositionCase{"TopFirstInArguments", 7, 300, QPoint(300, 7)},
                                           PositionCase{"MinusTwoUsedAsIs", -2, -2, QPoint(-2, -2)},
                                           PositionCase{"Zero", 0, 0, QPoint(0, 0)},
                                           PositionCase{"TemplateTopNewLeft", -1, 0, QPoint(0, 104)},
                                           PositionCase{"NewTopTemplateLeft", 5, -1, QPoint(192, 5)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClonePosition, ParentlessTemplateClonesTheSameWay) {
    CloneFixture f;
    auto* tmpl = new TImage(&f.window);
    tmpl->SetBounds(8, 18, 25, 15);
    QWidget* clone = CloneControl(tmpl, &f.window, f.area, -1, -1);
    EXPECT_EQ(clone->geometry(), QRect(8, 18, 25, 15));
    EXPECT_TRUE(clone->isVisibleTo(f.area));
}

// ---- visibility

struct VisibilityCase {
    const char* name;
    std::function<QWidget*(dp::TOwner*)> make;
    bool templateVisible;
    bool cloneVisible;
};

void PrintTo(const VisibilityCase& row, std::ostream* os) {
    *os << row.name;
}

class CloneVisibility : public ::testing::TestWithParam<VisibilityCase> {};

TEST_P(CloneVisibility, PerKindRule) {
    CloneFixture f;
    QWidget* tmpl = GetParam().make(&f.window);
    tmpl->setVisible(GetParam().templateVisible);
    auto* clone = CloneControl(tmpl, &f.window, f.area, -1, -1);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->isVisibleTo(f.area), GetParam().cloneVisible);
    EXPECT_EQ(dynamic_cast<dp::TControlBase*>(clone)->Visible(), GetParam().cloneVisible);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CloneVisibility,
    ::testing::Values(
        VisibilityCase{"HiddenShape", [](dp::TOwner* o) { return new TShape(o); }, false, true},
        VisibilityCase{"HiddenLabel", [](dp::TOwner* o) { return new TLabel(o); }, false, true},
        VisibilityCase{"HiddenImage", [](dp::TOwner* o) { return new TImage(o); }, false, false},
        VisibilityCase{"VisibleImage", [](dp::TOwner* o) { return new TImage(o); }, true, true},
        VisibilityCase{"HiddenRadio", [](dp::TOwner* o) { return new TRadioButton(o); }, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- by value and shared

TEST(CloneValues, FontBrushPenPictureAreCopies) {
    CloneFixture f;
    auto* label = new TLabel(&f.window);
    label->SetFont(TFont{"MS Sans Serif", 11, Qt::black, fsBold, DEFAULT_CHARSET});
    auto* labelClone = static_cast<TLabel*>(CloneControl(label, &f.window, f.area, -1, -1));
    TFont red = label->Font();
    red.Color = Qt::red;
    label->SetFont(red);
    EXPECT_EQ(labelClone->Font().Color, QColor(Qt::black));

    auto* shape = new TShape(&f.window);
    auto* shapeClone = static_cast<TShape*>(CloneControl(shape, &f.window, f.area, -1, -1));
    shape->SetPen(TPen{Qt::red, 5, psDot});
    shape->SetBrush(TBrush{Qt::red, bsClear});
    EXPECT_EQ(shapeClone->Pen(), TPen{});
    EXPECT_EQ(shapeClone->Brush(), TBrush{});

    auto* image = new TImage(&f.window);
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::white);
    image->SetPicture(picture);
    auto* imageClone = static_cast<TImage*>(CloneControl(image, &f.window, f.area, -1, -1));
    QImage changed = image->Picture();
    changed.fill(Qt::black);
    image->SetPicture(changed);
    EXPECT_EQ(imageClone->Picture().pixelColor(0, 0), QColor(Qt::white));
}

TEST(CloneValues, LabelShareThePopupMenu) {
    CloneFixture f;
    auto* menu = new QMenu(&f.window);
    auto* label = new TLabel(&f.window);
    label->SetPopupMenu(menu);
    auto* clone = static_cast<TLabel*>(CloneControl(label, &f.window, f.area, -1, -1));
    EXPECT_EQ(clone->PopupMenu(), menu);
}

TEST(CloneHandlers, LabelCloneFiresTemplatesHandlerWithItselfAsSender) {
    CloneFixture f;
    auto* label = new TLabel(&f.window);
    label->SetCaption("250");
    std::vector<QObject*> senders;
    label->OnClick = [&](QObject* s) { senders.push_back(s); };
    auto* clone = CloneControl(label, &f.window, f.area, 40, 110);
    Click(clone, QPoint(2, 2));
    Click(label, QPoint(2, 2));
    ASSERT_EQ(senders.size(), 2u);
    EXPECT_EQ(senders[0], clone);
    EXPECT_EQ(senders[1], label);
}

TEST(CloneHandlers, AutoSizeLabelTakesTheSizeOfItsCaption) {
    CloneFixture f;
    auto* label = new TLabel(&f.window);
    label->SetCaption("16км 1.2 мм");
    label->SetFont(TFont{"MS Sans Serif", 11, Qt::black, fsBold, DEFAULT_CHARSET});
    auto* clone = static_cast<TLabel*>(CloneControl(label, &f.window, f.area, -1, -1));
    EXPECT_EQ(clone->size(), label->size());
    EXPECT_EQ(clone->size(), clone->TextSize());
}

// ---- other kinds' edge cases

TEST(CloneOtherKinds, ComboBoxShowsFirstItemAndEmptyListSelectsNone) {
    CloneFixture f;
    auto* combo = new TComboBox(&f.window);
    auto* emptyClone = static_cast<TComboBox*>(CloneControl(combo, &f.window, f.area, -1, -1));
    EXPECT_EQ(emptyClone->ItemIndex(), -1);
    combo->SetItems({"a", "b"});
    combo->SetItemIndex(1);
    auto* clone = static_cast<TComboBox*>(CloneControl(combo, &f.window, f.area, -1, -1));
    EXPECT_EQ(clone->ItemIndex(), 0);
    EXPECT_EQ(clone->Text(), "a");
    EXPECT_EQ(combo->ItemIndex(), 1);
}

TEST(CloneOtherKinds, GridWithMoreFixedRowsAndColsThanANewGridHas) {
    CloneFixture f;
    auto* grid = new TStringGrid(&f.window);
    grid->SetBounds(3, 4, 200, 150);
    grid->SetColCount(9);
    grid->SetRowCount(12);
    grid->SetFixedCols(7);
    grid->SetFixedRows(10);
    for (int c = 0; c < 9; ++c) grid->SetColWidths(c, 10 + c);
    grid->SetCells(8, 11, "text");
    grid->OnDrawCell = [](QObject*, int, int, QRect, TGridDrawState, QPainter*) {};
    TStringGrid* clone = nullptr;
    ASSERT_NO_THROW(clone = static_cast<TStringGrid*>(CloneControl(grid, &f.window, f.area, 50, 60)));
    EXPECT_EQ(clone->ColCount(), 9);
    EXPECT_EQ(clone->RowCount(), 12);
    EXPECT_EQ(clone->FixedCols(), 7);
    EXPECT_EQ(clone->FixedRows(), 10);
    for (int c = 0; c < 9; ++c) EXPECT_EQ(clone->ColWidths(c), 10 + c);
    EXPECT_EQ(clone->Height(), 150);
    EXPECT_NE(clone->pos(), QPoint(60, 50)); // no position step
    EXPECT_NE(clone->Width(), 200);
    EXPECT_TRUE(clone->Cells(8, 11).isEmpty());
    EXPECT_TRUE(clone->OnDrawCell);
    EXPECT_TRUE(clone->isVisibleTo(f.area));
}

TEST(CloneOtherKinds, CheckBoxStartsUncheckedRadioTakesTheCheck) {
    CloneFixture f;
    auto* check = new TCheckBox(&f.window);
    check->SetChecked(true);
    auto* radio = new TRadioButton(&f.window);
    radio->SetChecked(true);
    int clicks = 0;
    radio->OnClick = [&](QObject*) { ++clicks; };
    EXPECT_FALSE(static_cast<TCheckBox*>(CloneControl(check, &f.window, f.area, -1, -1))->Checked());
    EXPECT_TRUE(static_cast<TRadioButton*>(CloneControl(radio, &f.window, f.area, -1, -1))->Checked());
    EXPECT_EQ(clicks, 0); // the handler is copied after the check mark
}

TEST(CloneOtherKinds, TabSheetIsAFurtherHiddenPageWithEmptyCaption) {
    CloneFixture f;
    auto* pages = new TPageControl(&f.window);
    pages->SetParent(f.otherBox);
    auto* sheet = new TTabSheet(&f.window);
    sheet->SetPageControl(pages);
    sheet->SetCaption("Первая");
    sheet->SetImageIndex(4);
    auto* clone = static_cast<TTabSheet*>(CloneControl(sheet, &f.window, f.area, 10, 10));
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->PageControl(), pages);
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->Pages(1), clone);
    EXPECT_TRUE(clone->Caption().isEmpty());
    EXPECT_EQ(clone->ImageIndex(), 4);
    EXPECT_FALSE(clone->Visible());
    EXPECT_FALSE(pages->isTabVisible(1));
    delete clone;
    EXPECT_EQ(pages->PageCount(), 1);
}

// ---- life and failure

TEST(CloneLife, OwnerReleasesClonesAndDeletingACloneLeavesTheOwner) {
    QPointer<QWidget> kept;
    {
        CloneFixture f;
        auto* shape = new TShape(&f.window);
        QWidget* a = CloneControl(shape, &f.window, f.area, 0, 0);
        kept = CloneControl(shape, &f.window, f.area, 0, 130);
        EXPECT_EQ(f.window.ComponentCount(), 3);
        delete a;
        EXPECT_EQ(f.window.ComponentCount(), 2);
    }
    EXPECT_TRUE(kept.isNull());
}

TEST(CloneLife, RefusedValueLeavesPartlyBuiltCloneWithOwnerAndPropagates) {
    QPointer<QWidget> partly;
    {
        CloneFixture f;
        auto* grid = new TStringGrid(&f.window);
        grid->SetColCount(6);
        grid->SetFixedCols(4);
        grid->setColumnCount(2); // bypasses the model: the fixed count is now out of step
        const int before = f.window.ComponentCount();
        EXPECT_THROW(CloneControl(grid, &f.window, f.area, -1, -1), std::invalid_argument);
        ASSERT_EQ(f.window.ComponentCount(), before + 1);
        partly = qobject_cast<QWidget*>(f.window.Components(before));
        ASSERT_FALSE(partly.isNull());
        EXPECT_EQ(partly->parentWidget(), f.area); // the grid is parented first
    }
    EXPECT_TRUE(partly.isNull());
}

} // namespace
