// The control model on its own: owner and parent, the event guard, labels, shapes, images, buttons,
// the grid's fixed counts and the float spin edit's mapping.
#include "controls/controls.h"
#include "tests/controls/test_util.h"

#include "util/uStrUtils.h"

#include <QFontMetrics>
#include <QMenu>
#include <QPointer>
#include <QScreen>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using dp::test::Click;
using dp::test::Render;
using dp::test::SendMouse;

namespace {

// ---- owner model

TEST(Owner, RegistersOnCreationAndForgetsDeletedComponents) {
    dp::TOwner owner;
    auto* a = new TLabel(&owner);
    auto* b = new TShape(&owner);
    EXPECT_EQ(owner.ComponentCount(), 2);
    EXPECT_EQ(owner.Components(0), a);
    EXPECT_EQ(owner.Components(1), b);
    delete a;
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), b);
}

TEST(Owner, DestructionDeletesRemainingComponents) {
    QPointer<QWidget> a, b;
    {
        dp::TOwner owner;
        a = new TLabel(&owner);
        b = new TImage(&owner);
    }
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isNull());
}

TEST(Owner, ParentDestructionRemovesChildrenFromOwner) {
    dp::TOwner owner;
    auto* parent = new QWidget;
    auto* label = new TLabel(&owner);
    label->SetParent(parent);
    new TShape(&owner);
    delete parent;
    EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(Owner, NestedComponentsOfOneOwnerAreDeletedOnce) {
    // The group box goes first and takes its radio buttons with it; the owner must not delete them again.
    QPointer<QWidget> box, radio;
    {
        dp::TOwner owner;
        auto* b = new TGroupBox(&owner);
        auto* r = new TRadioButton(&owner);
        r->SetParent(b);
        box = b;
        radio = r;
        EXPECT_EQ(owner.ComponentCount(), 2);
    }
    EXPECT_TRUE(box.isNull());
    EXPECT_TRUE(radio.isNull());
}

// The window mixes the owner in after its widget base, so the owner's list goes first.
class TWindow : public QWidget, public dp::TOwner {};

TEST(Owner, WindowThatOwnsAndParentsItsControlsClosesCleanly) {
    QPointer<QWidget> label;
    {
        TWindow window;
        auto* l = new TLabel(&window);
        l->SetParent(&window);
        label = l;
        EXPECT_EQ(window.ComponentCount(), 1);
    }
    EXPECT_TRUE(label.isNull());
}

// ---- event guard

class EventGuard : public ::testing::Test {
protected:
    void SetUp() override {
        dp::SetErrorReporter([this](const std::string& m) { messages.push_back(m); });
    }
    void TearDown() override { dp::SetErrorReporter({}); }
    std::vector<std::string> messages;
};

TEST_F(EventGuard, ExceptionInSlotReachesReporterNotQt) {
    TLabel label;
    label.SetCaption("250");
    label.OnClick = [](QObject*) { throw std::runtime_error("Floating point division by zero"); };
    Click(&label, QPoint(2, 2));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Floating point division by zero");
}

TEST_F(EventGuard, NonStandardExceptionIsReportedToo) {
    TButton button;
    button.OnClick = [](QObject*) { throw 42; };
    button.click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Unknown exception");
}

TEST_F(EventGuard, ThrowingReporterDoesNotLetTheErrorThrough) {
    dp::SetErrorReporter([](const std::string&) { throw std::logic_error("reporter"); });
    EXPECT_FALSE(dp::RunGuarded([] { throw std::runtime_error("x"); }));
    EXPECT_TRUE(dp::RunGuarded([] {}));
}

TEST_F(EventGuard, HandlerMayDeleteItsSender) {
    auto* label = new TLabel;
    label->SetCaption("250");
    QPointer<TLabel> alive(label);
    label->OnClick = [](QObject* sender) { delete sender; };
    Click(label, QPoint(2, 2));
    EXPECT_TRUE(alive.isNull());
    EXPECT_TRUE(messages.empty());
}

// ---- common properties

TEST(Control, ParentlessControlIsNeverAWindowAndShowsWithItsParent) {
    QWidget parent;
    TLabel label;
    label.SetVisible(true);
    EXPECT_FALSE(label.isVisible());
    label.SetParent(&parent);
    EXPECT_TRUE(label.isVisibleTo(&parent));
    label.SetVisible(false);
    EXPECT_FALSE(label.isVisibleTo(&parent));
    EXPECT_FALSE(label.Visible());
    label.show(); // Qt's own show keeps the flag in step
    EXPECT_TRUE(label.Visible());
}

TEST(Control, HintShownOnlyWithShowHint) {
    TShape shape;
    shape.SetHint("подсказка");
    EXPECT_TRUE(shape.toolTip().isEmpty());
    shape.SetShowHint(true);
    EXPECT_EQ(shape.toolTip(), "подсказка");
}

TEST(Control, FontMapsToInstalledFamilyAndPixelHeight) {
    const QFont f = dp::ToQFont(TFont{"MS Sans Serif", 13, Qt::red, fsBold, DEFAULT_CHARSET});
    EXPECT_EQ(f.family(), "Liberation Sans");
    EXPECT_EQ(f.pixelSize(), 13);
    EXPECT_TRUE(f.bold());
    EXPECT_EQ(dp::FontFamilyFor("Courier New"), "Liberation Mono");
    EXPECT_EQ(dp::FontFamilyFor("Calibri"), "Carlito");
}

TEST(Control, HandCursorAndConstraints) {
    TImage image;
    image.SetCursor(crHandPoint);
    EXPECT_EQ(image.cursor().shape(), Qt::PointingHandCursor);
    image.SetConstraints({10, 10, 30, 20});
    image.SetBounds(0, 0, 100, 5);
    EXPECT_EQ(image.Width(), 30);
    EXPECT_EQ(image.Height(), 10);
}

TEST(Control, TopAlignedControlsStackAndFollowParentWidth) {
    QWidget parent;
    parent.resize(300, 200);
    parent.show();
    TGroupBox top, next;
    top.SetHeight(50);
    next.SetHeight(30);
    top.SetParent(&parent);
    next.SetParent(&parent);
    top.SetAlign(alTop);
    next.SetAlign(alTop);
    EXPECT_EQ(top.geometry(), QRect(0, 0, 300, 50));
    EXPECT_EQ(next.geometry(), QRect(0, 50, 300, 30));
    parent.resize(400, 200);
    EXPECT_EQ(next.geometry(), QRect(0, 50, 400, 30));
}

// Plain widgets dock beside the controls: a bottom band keeps its designed height even when the
// widget resizes itself, a hidden one takes no room, and a client widget fills what is left.
TEST(Control, PlainWidgetsDockBesideControls) {
    QWidget parent;
    parent.resize(300, 200);
    TGroupBox top;
    top.SetHeight(50);
    top.SetParent(&parent);
    top.SetAlign(alTop);
    auto* bottom = new QWidget(&parent);
    auto* hidden = new QWidget(&parent);
    auto* client = new QWidget(&parent);
    dp::SetWidgetAlign(bottom, alBottom, 20);
    dp::SetWidgetAlign(hidden, alBottom, 30);
    dp::SetWidgetAlign(client, alClient, 0);
    hidden->hide();
    bottom->resize(300, 25); // as a status bar does to fit its font
    dp::ArrangeAlignedControls(&parent);
    EXPECT_EQ(top.geometry(), QRect(0, 0, 300, 50));
    EXPECT_EQ(bottom->geometry(), QRect(0, 180, 300, 20));
    EXPECT_EQ(client->geometry(), QRect(0, 50, 300, 130));
    parent.resize(400, 60); // smaller than the bands: the client gets no height, not a negative one
    dp::ArrangeAlignedControls(&parent);
    EXPECT_EQ(bottom->geometry(), QRect(0, 40, 400, 20));
    EXPECT_EQ(client->geometry().height(), 0);
    EXPECT_EQ(dp::AlignOf(client), alClient);
    EXPECT_EQ(dp::AlignOf(&parent), alNone);
}

TEST(Control, ContextPopupHandledSuppressesMenu) {
    TLabel label;
    bool fired = false;
    label.OnContextPopup = [&](QObject* s, QPoint, bool& handled) {
        fired = s == &label;
        handled = true;
    };
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(1, 1), label.mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(&label, &e);
    EXPECT_TRUE(fired);
}

TEST(Control, MouseMoveFiresWhileHovering) {
    TShape shape;
    int moves = 0;
    shape.OnMouseMove = [&](QObject*, TShiftState shift, int x, int y) {
        moves += shift == 0 && x == 3 && y == 4;
    };
    SendMouse(&shape, QEvent::MouseMove, Qt::NoButton, QPoint(3, 4));
    EXPECT_EQ(moves, 1);
}

// ---- label

TEST(Label, AutoSizeFollowsCaptionAndFont) {
    TLabel label;
    label.SetCaption("250");
    const QFontMetrics fm(label.font());
    // Whole pixels around the text as drawn: the advance rounded up, one line of line spacing.
    EXPECT_EQ(label.Width(), fm.boundingRect(QRect(0, 0, 1000, 1000), Qt::AlignLeft, "250").width());
    EXPECT_GE(label.Width(), fm.horizontalAdvance("250"));
    EXPECT_EQ(label.Height(), 13); // the designed height of an 11-pixel line
    const int narrow = label.Width();
    label.SetCaption("28В, 110мА");
    EXPECT_GT(label.Width(), narrow);
    TFont bigger = label.Font();
    bigger.Height = 20;
    const int before = label.Width();
    label.SetFont(bigger);
    EXPECT_GT(label.Width(), before);
    EXPECT_GT(label.Height(), 13);
}

TEST(Label, CarriageReturnStartsANewLineButCaptionIsKept) {
    TLabel label;
    label.SetCaption("R1");
    const int oneLine = label.Height();
    label.SetCaption(QString("R1") + QChar(13) + "15,5 Вт");
    EXPECT_EQ(label.Caption(), QString("R1") + QChar(13) + "15,5 Вт");
    EXPECT_EQ(label.DisplayText(), "R1\n15,5 Вт");
    EXPECT_EQ(label.Height(), 2 * oneLine);
    EXPECT_EQ(
        label.Width(),
        QFontMetrics(label.font()).boundingRect(QRect(0, 0, 1000, 1000), Qt::AlignLeft, "15,5 Вт").width());
}

// A font with external leading (the about window's): the lines follow each other at the height of one
// line, and the last line is drawn inside the label.
TEST(Label, LinesFollowAtTheTextHeightWithoutExternalLeading) {
    TLabel label;
    TFont calibri = label.Font();
    calibri.Name = "Calibri";
    calibri.Height = 13;
    label.SetFont(calibri);
    label.SetCaption("Ш");
    const int oneLine = label.Height();
    ASSERT_GT(QFontMetrics(label.font()).leading(), 0);
    label.SetCaption(QString("Ш") + QChar(13) + "Ш" + QChar(13) + "Ш");
    EXPECT_EQ(label.Height(), 3 * oneLine);
    const QImage image = Render(&label);
    bool inkInLastLine = false;
    for (int y = 2 * oneLine; y < 3 * oneLine; ++y)
        for (int x = 0; x < image.width(); ++x) inkInLastLine |= qGray(image.pixel(x, y)) < 100;
    EXPECT_TRUE(inkInLastLine);
}

TEST(Label, FixedSizeWithWordWrapKeepsSizeAndWraps) {
    TLabel label;
    label.SetAutoSize(false);
    label.SetBounds(0, 0, 57, 44);
    label.SetWordWrap(true);
    label.SetCaption("R1     15,5 Вт");
    EXPECT_EQ(label.size(), QSize(57, 44));
    EXPECT_GE(label.TextSize().height(), 2 * QFontMetrics(label.font()).height());
}

TEST(Label, RightJustifiedAutoSizeKeepsRightEdge) {
    TLabel label;
    label.SetAlignment(taRightJustify);
    label.SetCaption("1");
    label.SetLeft(100);
    const int right = label.Left() + label.Width();
    label.SetCaption("12345");
    EXPECT_EQ(label.Left() + label.Width(), right);
}

TEST(Label, ClickNeedsLeftPressAndReleaseInside) {
    TLabel label;
    label.SetCaption("Uдп=310");
    int clicks = 0;
    label.OnClick = [&](QObject*) { ++clicks; };
    Click(&label, QPoint(2, 2));
    EXPECT_EQ(clicks, 1);
    SendMouse(&label, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(2, 2));
    SendMouse(&label, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(500, 2));
    EXPECT_EQ(clicks, 1);
    SendMouse(&label, QEvent::MouseButtonPress, Qt::RightButton, QPoint(2, 2));
    SendMouse(&label, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(2, 2));
    EXPECT_EQ(clicks, 1);
}

TEST(Label, TransparentPaintsNoBackgroundAndFontColourIsUsed) {
    TLabel label;
    label.SetCaption("ННН");
    label.SetColor(QColor(212, 208, 200));
    TFont red = label.Font();
    red.Color = Qt::red;
    label.SetFont(red);
    QImage image = Render(&label);
    EXPECT_EQ(image.pixelColor(0, label.Height() - 1), QColor(212, 208, 200));
    bool hasRed = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) hasRed |= image.pixelColor(x, y) == QColor(Qt::red);
    EXPECT_TRUE(hasRed);
    label.SetTransparent(true);
    image = Render(&label);
    EXPECT_EQ(image.pixelColor(0, label.Height() - 1), QColor(0, 255, 0));
}

// A shown window 200 x 60 with a wide inner panel, as the schematic's scroll box holds it: one label
// in view and one 1,500 pixels to the right, out of view until the panel is moved left.
class LabelRepaint : public ::testing::Test {
protected:
    class TPaintCounter : public QObject {
    public:
        int paints = 0;

    protected:
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    };

    void SetUp() override {
        window_.setGeometry(40, 40, 200, 60);
        panel_ = new QWidget(&window_);
        panel_->setGeometry(0, 0, 2000, 60);
        for (TLabel* label : {&inView_, &outOfView_}) {
            label->SetParent(panel_);
            label->SetCaption("1");
            label->installEventFilter(&counter_[label == &outOfView_]);
        }
        inView_.SetLeft(10);
        outOfView_.SetLeft(1500);
        window_.show();
        Settle();
        counter_[0].paints = counter_[1].paints = 0;
    }
    void TearDown() override {
        // The labels are members: take them off the panel before the window deletes its children.
        inView_.setParent(nullptr);
        outOfView_.setParent(nullptr);
    }
    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }
    // True when the screen shows a dark pixel where label lies.
    bool ScreenShowsTextOf(const TLabel& label) const {
        const QPoint at = label.mapTo(&window_, QPoint(0, 0));
        const QImage shot = window_.screen()
                                ->grabWindow(window_.winId(), at.x(), at.y(), label.width(), label.height())
                                .toImage();
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (qGray(shot.pixel(x, y)) < 100) return true;
        return false;
    }

    QWidget window_;
    QWidget* panel_ = nullptr;
    TLabel inView_;
    TLabel outOfView_;
    TPaintCounter counter_[2];
};

TEST_F(LabelRepaint, SameCaptionOrFontAsksForNoRepaint) {
    inView_.SetCaption("1");
    inView_.SetFont(inView_.Font());
    Settle();
    EXPECT_EQ(counter_[0].paints, 0);
    inView_.SetCaption("2");
    Settle();
    EXPECT_GE(counter_[0].paints, 1);
}

TEST_F(LabelRepaint, LabelOutOfViewIsPaintedWithItsNewTextWhenItComesIntoView) {
    outOfView_.SetAutoSize(false);
    outOfView_.SetBounds(1500, 0, 60, 20);
    outOfView_.SetCaption(QString());
    Settle();
    outOfView_.SetCaption("WWWW");
    Settle();
    EXPECT_EQ(counter_[1].paints, 0);

    panel_->move(-1450, 0);
    Settle();
    EXPECT_GE(counter_[1].paints, 1);
    EXPECT_TRUE(ScreenShowsTextOf(outOfView_));

    // Partly in view: the part that shows follows a change at once.
    panel_->move(-1340, 0);
    Settle();
    outOfView_.SetCaption(QString());
    Settle();
    EXPECT_FALSE(ScreenShowsTextOf(outOfView_));
}

// ---- group box

// Where the pixels of a group box 138 x 58 fall, drawn over green (the parent's background).
class GroupBoxDrawing : public ::testing::Test {
protected:
    void SetUp() override { box_.setGeometry(0, 0, 138, 58); }
    // As the 8-bit image holds them.
    QColor Dark() const { return QColor(box_.palette().color(QPalette::Dark).rgb()); }
    QColor Light() const { return QColor(box_.palette().color(QPalette::Light).rgb()); }
    static bool IsText(QColor c) { return qGray(c.rgb()) < 100; }

    TGroupBox box_;
};

TEST_F(GroupBoxDrawing, CaptionInterruptsTheEtchedTopLineEightPixelsFromTheLeft) {
    box_.SetCaption("Мощность источника");
    const QImage image = Render(&box_);
    const int top = box_.FrameTop();
    const QFontMetrics fm(box_.font());
    EXPECT_EQ(top, fm.height() / 2 - 1);
    EXPECT_GE(top, 4);
    const int textRight = 8 + fm.horizontalAdvance("Мощность источника");

    // Shadow over light on the top and left edges, light outside shadow on the others.
    EXPECT_EQ(image.pixelColor(3, top), Dark());
    EXPECT_EQ(image.pixelColor(3, top + 1), Light());
    EXPECT_EQ(image.pixelColor(0, 30), Dark());
    EXPECT_EQ(image.pixelColor(1, 30), Light());
    EXPECT_EQ(image.pixelColor(30, 56), Dark());
    EXPECT_EQ(image.pixelColor(30, 57), Light());
    EXPECT_EQ(image.pixelColor(136, 30), Dark());
    EXPECT_EQ(image.pixelColor(137, 30), Light());
    EXPECT_EQ(image.pixelColor(textRight + 4, top), Dark());
    // Outside the frame the parent shows: above the line and in the corner below-left of the light one.
    EXPECT_EQ(image.pixelColor(3, top - 2), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(137, top), QColor(0, 255, 0));

    // The caption starts 8 pixels from the left and the line does not run behind it.
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < fm.height(); ++y) EXPECT_FALSE(IsText(image.pixelColor(x, y))) << x << "," << y;
    bool text = false;
    for (int x = 8; x < textRight; ++x) {
        EXPECT_NE(image.pixelColor(x, top), Dark()) << x;
        for (int y = 0; y < fm.height(); ++y) text |= IsText(image.pixelColor(x, y));
    }
    EXPECT_TRUE(text);
}

TEST_F(GroupBoxDrawing, WithoutCaptionTheLineRunsThroughAndChildrenKeepTheirPlace) {
    auto* child = new TLabel();
    child->SetParent(&box_);
    child->SetBounds(8, 16, 57, 17);
    const QImage image = Render(&box_);
    for (int x = 0; x <= 136; ++x) EXPECT_EQ(image.pixelColor(x, box_.FrameTop()), Dark()) << x;
    EXPECT_EQ(child->geometry(), QRect(8, 16, 57, 17));
}

// ---- shape

struct ShapeCase {
    const char* name;
    TShapeType kind;
    int width, height, pen;
};

void PrintTo(const ShapeCase& row, std::ostream* os) {
    *os << row.name;
}

class ShapeDrawing : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeDrawing, OutlineAndFillOnWholePixels) {
    const ShapeCase& c = GetParam();
    TShape shape;
    shape.SetShape(c.kind);
    shape.SetBounds(0, 0, c.width, c.height);
    shape.SetPen(TPen{Qt::black, c.pen, psSolid});
    const QImage image = Render(&shape);
    const QColor black(Qt::black), white(Qt::white);
    // Middle of every edge: a pen band of exactly c.pen pixels, then the white fill.
    const int mx = c.width / 2, my = c.height / 2;
    for (int i = 0; i < c.pen; ++i) {
        EXPECT_EQ(image.pixelColor(mx, i), black) << "top " << i;
        EXPECT_EQ(image.pixelColor(mx, c.height - 1 - i), black) << "bottom " << i;
        EXPECT_EQ(image.pixelColor(i, my), black) << "left " << i;
        EXPECT_EQ(image.pixelColor(c.width - 1 - i, my), black) << "right " << i;
    }
    if (c.width > 2 * c.pen && c.height > 2 * c.pen) {
        EXPECT_EQ(image.pixelColor(mx, c.pen), white);
        EXPECT_EQ(image.pixelColor(c.pen, my), white);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ShapeDrawing,
                         ::testing::Values(ShapeCase{"RegeneratorBox", stRectangle, 65, 41, 1},
                                           ShapeCase{"SectionBox", stRectangle, 40, 16, 1},
                                           ShapeCase{"SourceBox", stRoundRect, 81, 65, 1},
                                           ShapeCase{"VerticalWire", stRectangle, 3, 124, 3},
                                           ShapeCase{"RoundedWire", stRoundRect, 241, 3, 3},
                                           ShapeCase{"ThickFrame", stRectangle, 30, 20, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Shape, PenAsWideAsShapeIsSolidBar) {
    TShape line;
    line.SetShape(stRoundRect);
    line.SetBounds(0, 0, 3, 124);
    line.SetPen(TPen{Qt::black, 3, psSolid});
    const QImage image = Render(&line);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < 3; ++x) ASSERT_EQ(image.pixelColor(x, y), QColor(Qt::black)) << x << "," << y;
}

TEST(Shape, RoundedCornersLeaveTheCornerPixelUnpainted) {
    TShape box;
    box.SetShape(stRoundRect);
    box.SetBounds(0, 0, 81, 65);
    const QImage image = Render(&box);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(40, 32), QColor(Qt::white));
}

TEST(Shape, ClearBrushAndPenPaintNothing) {
    TShape shape;
    shape.SetBounds(0, 0, 10, 10);
    shape.SetBrush(TBrush{Qt::white, bsClear});
    shape.SetPen(TPen{Qt::black, 1, psClear});
    EXPECT_EQ(Render(&shape).pixelColor(5, 5), QColor(0, 255, 0));
    EXPECT_EQ(Render(&shape).pixelColor(0, 0), QColor(0, 255, 0));
}

// ---- image

QImage Checker(QSize size, QColor corner) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    image.setPixelColor(0, size.height() - 1, corner);
    image.setPixelColor(1, 1, corner);
    return image;
}

TEST(Image, DrawsPictureAtOwnSizeTopLeft) {
    TImage image;
    image.SetBounds(0, 0, 25, 15);
    image.SetPicture(Checker(QSize(15, 9), Qt::white));
    const QImage out = Render(&image);
    EXPECT_EQ(out.pixelColor(14, 0), QColor(Qt::black));
    EXPECT_EQ(out.pixelColor(15, 0), QColor(0, 255, 0));
    EXPECT_EQ(out.pixelColor(0, 9), QColor(0, 255, 0));
    EXPECT_EQ(image.PictureRect(), QRect(0, 0, 15, 9));
}

TEST(Image, TransparentDropsBottomLeftColour) {
    TImage image;
    image.SetBounds(0, 0, 25, 15);
    image.SetPicture(Checker(QSize(15, 9), Qt::white));
    image.SetTransparent(true);
    const QImage out = Render(&image);
    EXPECT_EQ(out.pixelColor(1, 1), QColor(0, 255, 0));
    EXPECT_EQ(out.pixelColor(2, 2), QColor(Qt::black));
}

TEST(Image, CenterAndStretchPlaceThePicture) {
    TImage image;
    image.SetBounds(0, 0, 25, 15);
    image.SetPicture(Checker(QSize(15, 9), Qt::white));
    image.SetCenter(true);
    EXPECT_EQ(image.PictureRect(), QRect(5, 3, 15, 9));
    image.SetStretch(true);
    EXPECT_EQ(image.PictureRect(), QRect(0, 0, 25, 15));
    image.SetProportional(true);
    EXPECT_EQ(image.PictureRect().size(), QSize(25, 15));
}

// ---- buttons

TEST(RadioButton, ClickFiresWhenCheckedByProgramOrUserOnly) {
    QWidget box;
    TRadioButton a, b;
    a.SetParent(&box);
    b.SetParent(&box);
    std::vector<QObject*> clicks;
    a.OnClick = b.OnClick = [&](QObject* s) { clicks.push_back(s); };
    a.SetChecked(true);
    b.SetChecked(true); // unchecks a, fires only for b
    EXPECT_FALSE(a.Checked());
    a.SetChecked(true);
    a.SetChecked(true); // already checked: nothing
    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_EQ(clicks[0], &a);
    EXPECT_EQ(clicks[1], &b);
    EXPECT_EQ(clicks[2], &a);
    Click(&b, QPoint(2, 2));
    EXPECT_TRUE(b.Checked());
    EXPECT_EQ(clicks.size(), 4u);
}

TEST(RadioButton, HiddenButtonsSwitchAndCanBeCleared) {
    QWidget box;
    TRadioButton a, b;
    a.SetParent(&box);
    b.SetParent(&box);
    a.SetVisible(false);
    b.SetChecked(true);
    a.SetChecked(true);
    EXPECT_FALSE(b.Checked());
    a.SetChecked(false);
    EXPECT_FALSE(a.Checked());
    EXPECT_FALSE(b.Checked());
}

TEST(SpeedButton, MouseDownWithShiftThenClickAndNoFocus) {
    TSpeedButton button;
    button.SetBounds(0, 0, 89, 21);
    std::vector<std::string> events;
    button.OnMouseDown = [&](QObject*, TMouseButton, TShiftState shift, int, int) {
        events.push_back((shift & ssShift) ? "down+shift" : "down");
    };
    button.OnClick = [&](QObject* s) { events.push_back(s == &button ? "click" : "?"); };
    Click(&button, QPoint(5, 5), Qt::ShiftModifier);
    Click(&button, QPoint(5, 5));
    EXPECT_EQ(events, (std::vector<std::string>{"down+shift", "click", "down", "click"}));
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
}

TEST(SpeedButton, GlyphBottomLeftColourIsTransparent) {
    TSpeedButton button;
    QImage glyph(16, 14, QImage::Format_RGB32);
    glyph.fill(QColor(212, 208, 200));
    glyph.setPixelColor(8, 7, QColor(0, 0, 132));
    button.SetGlyph(glyph);
    const QImage shown = button.CurrentGlyph();
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(shown.pixelColor(8, 7), QColor(0, 0, 132));
}

TEST(SpeedButton, GroupedButtonsStayDownAndReleaseEachOther) {
    QWidget parent;
    TSpeedButton a, b;
    a.SetParent(&parent);
    b.SetParent(&parent);
    a.SetDown(true);
    EXPECT_FALSE(a.Down()); // no group: never down
    a.SetGroupIndex(1);
    b.SetGroupIndex(1);
    a.Click();
    EXPECT_TRUE(a.Down());
    b.Click();
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down());
    b.Click(); // without AllowAllUp a down button stays down
    EXPECT_TRUE(b.Down());
    b.SetAllowAllUp(true);
    b.Click();
    EXPECT_FALSE(b.Down());
}

TEST(CheckBox, ClickFiresOnEveryChange) {
    TCheckBox box;
    int clicks = 0;
    box.OnClick = [&](QObject*) { ++clicks; };
    box.SetChecked(true);
    box.SetChecked(true);
    box.SetChecked(false);
    EXPECT_EQ(clicks, 2);
}

// ---- grid

TEST(StringGrid, FixedCountsStayBelowCounts) {
    TStringGrid grid;
    EXPECT_THROW(grid.SetFixedRows(5), std::invalid_argument);
    grid.SetRowCount(8);
    grid.SetFixedRows(6);
    EXPECT_EQ(grid.FixedRows(), 6);
    grid.SetRowCount(3);
    EXPECT_EQ(grid.FixedRows(), 2);
    EXPECT_THROW(grid.SetColWidths(5, 10), std::out_of_range);
    grid.SetColWidths(4, 10);
    EXPECT_EQ(grid.ColWidths(4), 10);
}

// ---- float spin edit

TEST(FloatSpinEdit, UnitsAndDigRoundShapeTheText) {
    dp::SetDecimalSeparator(',');
    TFloatSpinEdit edit;
    edit.SetValue(1.24);
    EXPECT_EQ(edit.textFromValue(1.24), "1,24");
    edit.SetDigRound(1);
    EXPECT_EQ(edit.textFromValue(1.24), "1,2");
    edit.SetDefaultUnit(4);
    EXPECT_EQ(edit.UnitName(), "Вт");
    edit.SetCurrentUnit(0);
    EXPECT_EQ(edit.UnitName(), "В");
    EXPECT_EQ(edit.text(), "1,2 В");
    EXPECT_DOUBLE_EQ(edit.valueFromText("2.5 В"), 2.5);
    // Bounds are stored as given, whatever the current value.
    edit.SetMinValue(10);
    edit.SetMaxValue(5);
    EXPECT_EQ(edit.MinValue(), 10);
    EXPECT_EQ(edit.MaxValue(), 5);
    dp::SetDecimalSeparator('.');
}

} // namespace
