// The main window's components checked as data against a table written independently of the
// window's own: kind, parent, position, size, caption, font and visibility of every component.
#include "app/Main.h"
#include "controls/controls.h"
#include "tests/support/scripted_dialogs.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <typeindex>

namespace {

struct TExpected {
    const char* name;
    QObject* (*member)(TForm1&);
    std::type_index kind;
    const char* parent;
    QRect bounds;
    bool autoSized; // labels that size themselves to their caption: only the position is fixed
    const char* caption;
    const char* family; // "" when the component has no text
    int pixelSize;
    bool bold;
    bool visible;
};

void PrintTo(const TExpected& row, std::ostream* os) {
    *os << row.name;
}

#define M(name) [](TForm1& f) -> QObject* { return f.name; }
#define K(type) std::type_index(typeid(type))

const char* const kSans = "Liberation Sans";
const char* const kMono = "Liberation Mono";

const TExpected kExpected[] = {
    {"StatBar", M(StatBar), K(QStatusBar), "Form1", {0, 420, 818, 19}, false, "", "", 0, false, true},
    {"PanelSch", M(PanelSch), K(TScrollBox), "Form1", {0, 0, 818, 273}, false, "", "", 0, false, true},
    {"LineA", M(LineA), K(TShape), "PanelSch", {48, 48, 241, 3}, false, "", "", 0, false, true},
    {"LineReg", M(LineReg), K(TShape), "PanelSch", {208, 48, 3, 124}, false, "", "", 0, false, false},
    {"LineRP", M(LineRP), K(TShape), "PanelSch", {48, 48, 3, 124}, false, "", "", 0, false, true},
    {"ShURP", M(ShURP), K(TShape), "PanelSch", {16, 88, 81, 65}, false, "", "", 0, false, true},
    {"ShRL", M(ShRL), K(TShape), "PanelSch", {192, 104, 65, 41}, false, "", "", 0, false, false},
    {"shRR", M(shRR), K(TShape), "PanelSch", {104, 40, 40, 16}, false, "", "", 0, false, false},
    {"LineB", M(LineB), K(TShape), "PanelSch", {48, 168, 108, 3}, false, "", "", 0, false, true},
    {"LabR_UI",
     M(LabR_UI),
     K(TLabel),
     "PanelSch",
     {104, 23, 58, 13},
     true,
     "28В, 110мА",
     kSans,
     11,
     false,
     false},
    {"LabRL_U", M(LabRL_U), K(TLabel), "PanelSch", {200, 36, 25, 13}, true, "300В", kSans, 11, false, false},
    {"LabRL_I", M(LabRL_I), K(TLabel), "PanelSch", {232, 88, 30, 13}, true, "16 мА", kSans, 11, false, false},
    {"LabRL_P",
     M(LabRL_P),
     K(TLabel),
     "PanelSch",
     {200, 109, 57, 44},
     false,
     "R1     15,5 Вт",
     kSans,
     11,
     true,
     false},
    {"LabR_L",
     M(LabR_L),
     K(TLabel),
     "PanelSch",
     {96, 56, 75, 13},
     true,
     "16км 1.2 мм",
     kSans,
     11,
     true,
     false},
    {"LabR", M(LabR), K(TLabel), "PanelSch", {110, 42, 22, 13}, true, "250", kSans, 11, true, false},
    {"LabRP_U", M(LabRP_U), K(TLabel), "PanelSch", {24, 96, 52, 13}, true, "Uдп=310", kSans, 11, true, true},
    {"LabRP_I",
     M(LabRP_I),
     K(TLabel),
     "PanelSch",
     {24, 112, 33, 13},
     true,
     "Iдп = ?",
     kSans,
     11,
     false,
     true},
    {"LabURP_Calc",
     M(LabURP_Calc),
     K(TLabel),
     "PanelSch",
     {32, 36, 25, 13},
     true,
     "300В",
     kSans,
     11,
     false,
     true},
    {"LabRP_P",
     M(LabRP_P),
     K(TLabel),
     "PanelSch",
     {24, 128, 37, 13},
     true,
     "Pдп = ?",
     kSans,
     11,
     false,
     true},
    {"PanelP",
     M(PanelP),
     K(TGroupBox),
     "PanelSch",
     {15, 199, 138, 58},
     false,
     "Мощность источника",
     kSans,
     11,
     false,
     true},
    {"ch75W", M(ch75W), K(TRadioButton), "PanelP", {8, 16, 57, 17}, false, "75 Вт", kSans, 11, false, true},
    {"ch150W",
     M(ch150W),
     K(TRadioButton),
     "PanelP",
     {8, 32, 57, 17},
     false,
     "150 Вт",
     kSans,
     11,
     false,
     true},
    {"PanelLRP",
     M(PanelLRP),
     K(TGroupBox),
     "PanelSch",
     {160, 200, 193, 57},
     false,
     "Дроссель ДП, Ом",
     kSans,
     11,
     false,
     true},
    {"imLRP", M(imLRP), K(TImage), "PanelLRP", {8, 18, 25, 15}, false, "", "", 0, false, true},
    {"chR_LRP_24",
     M(chR_LRP_24),
     K(TRadioButton),
     "PanelLRP",
     {112, 16, 57, 17},
     false,
     "24 РЛ",
     kSans,
     11,
     false,
     true},
    {"chR_LRP_16",
     M(chR_LRP_16),
     K(TRadioButton),
     "PanelLRP",
     {40, 16, 57, 17},
     false,
     "16 SM",
     kSans,
     11,
     false,
     true},
    {"chR_LRP_6",
     M(chR_LRP_6),
     K(TRadioButton),
     "PanelLRP",
     {24, 32, 33, 17},
     false,
     "6",
     kSans,
     11,
     false,
     false},
    {"chR_LRP_0",
     M(chR_LRP_0),
     K(TRadioButton),
     "PanelLRP",
     {64, 32, 121, 17},
     false,
     "0 (без дросселя)",
     kSans,
     11,
     false,
     false},
    {"GroupBox1",
     M(GroupBox1),
     K(TGroupBox),
     "PanelSch",
     {360, 200, 209, 57},
     false,
     "",
     kSans,
     11,
     false,
     true},
    {"ButScr",
     M(ButScr),
     K(TSpeedButton),
     "GroupBox1",
     {8, 20, 89, 21},
     false,
     "Скриншот...",
     kSans,
     11,
     false,
     true},
    {"Button1",
     M(Button1),
     K(TButton),
     "GroupBox1",
     {104, 20, 89, 22},
     false,
     "Печать...",
     kSans,
     11,
     false,
     true},
    {"PanelButs", M(PanelButs), K(TGroupBox), "Form1", {0, 273, 818, 72}, false, "", kSans, 11, false, true},
    {"ButADD", M(ButADD), K(TSpeedButton), "PanelButs", {8, 12, 33, 22}, false, "+", kSans, 13, true, true},
    {"ButDel", M(ButDel), K(TSpeedButton), "PanelButs", {47, 12, 33, 22}, false, "-", kSans, 13, true, true},
    {"ButHelp", M(ButHelp), K(TSpeedButton), "PanelButs", {96, 12, 23, 22}, false, "", kSans, 13, true, true},
    {"LabImposs",
     M(LabImposs),
     K(TLabel),
     "PanelButs",
     {8, 48, 308, 16},
     true,
     "НЕВОЗМОЖНо                                           123",
     kSans,
     13,
     true,
     true},
    {"MemoLog",
     M(MemoLog),
     K(QPlainTextEdit),
     "Form1",
     {0, 345, 818, 75},
     false,
     "MemoLog",
     kMono,
     16,
     false,
     true},
};

#undef M
#undef K

QString CaptionOf(QObject* o) {
    if (auto* c = dynamic_cast<TLabel*>(o)) return c->Caption();
    if (auto* c = dynamic_cast<TRadioButton*>(o)) return c->Caption();
    if (auto* c = dynamic_cast<TGroupBox*>(o)) return c->Caption();
    if (auto* c = dynamic_cast<TSpeedButton*>(o)) return c->Caption();
    if (auto* c = dynamic_cast<TButton*>(o)) return c->Caption();
    if (auto* c = dynamic_cast<QPlainTextEdit*>(o)) return c->toPlainText();
    return {};
}

QString ParentName(TForm1& form, QWidget* w) {
    QWidget* p = w->parentWidget();
    if (p == &form) return QStringLiteral("Form1");
    if (p == form.PanelSch->Content()) return QStringLiteral("PanelSch");
    return p != nullptr ? p->objectName() : QStringLiteral("<none>");
}

// One window for the whole suite: built, not started (the design state), and shown.
class ComponentTable : public ::testing::TestWithParam<TExpected> {
protected:
    static void SetUpTestSuite() {
        form_ = new TForm1();
        // Geometry of the design state; showing may fit the client area to the window system's frame.
        designGeometry_ = new QHash<QObject*, QRect>();
        for (QWidget* w : form_->findChildren<QWidget*>()) designGeometry_->insert(w, w->geometry());
        form_->show();
    }
    static void TearDownTestSuite() {
        delete form_;
        form_ = nullptr;
        delete designGeometry_;
        designGeometry_ = nullptr;
    }
    static TForm1* form_;
    static QHash<QObject*, QRect>* designGeometry_;
};
TForm1* ComponentTable::form_ = nullptr;
QHash<QObject*, QRect>* ComponentTable::designGeometry_ = nullptr;

TEST_P(ComponentTable, MatchesTheDesign) {
    const TExpected& e = GetParam();
    TForm1& form = *form_;
    QObject* object = form.findChild<QObject*>(QString::fromUtf8(e.name));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object, e.member(form)) << "the member of that name holds another object";
    EXPECT_EQ(std::type_index(typeid(*object)), e.kind);

    auto* w = qobject_cast<QWidget*>(object);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ParentName(form, w), QString::fromUtf8(e.parent));
    const QRect designed = designGeometry_->value(w);
    if (e.autoSized) {
        EXPECT_EQ(designed.topLeft(), e.bounds.topLeft());
    } else {
        EXPECT_EQ(designed, e.bounds);
    }
    EXPECT_EQ(CaptionOf(object), QString::fromUtf8(e.caption));
    if (*e.family != '\0') {
        EXPECT_EQ(w->font().family(), QString::fromUtf8(e.family));
        EXPECT_EQ(w->font().pixelSize(), e.pixelSize);
        EXPECT_EQ(w->font().bold(), e.bold);
    }
    EXPECT_EQ(w->isVisible(), e.visible);
}

INSTANTIATE_TEST_SUITE_P(MainWindow, ComponentTable, ::testing::ValuesIn(kExpected),
                         [](const auto& info) { return std::string(info.param.name); });

class MainWindowDesign : public ::testing::Test {
protected:
    dp::test::ScopedScriptedDialogs dialogs_;
    std::unique_ptr<TForm1> form_ = std::make_unique<TForm1>();
};

TEST_F(MainWindowDesign, ControlsAreOwnedByTheWindowInTheOrderOfCreation) {
    std::vector<QString> expected;
    for (const TExpected& e : kExpected) {
        QObject* o = form_->findChild<QObject*>(QString::fromUtf8(e.name));
        if (dynamic_cast<dp::TControlBase*>(o) != nullptr) expected.push_back(QString::fromUtf8(e.name));
    }
    std::vector<QString> owned;
    for (QObject* o : form_->ComponentList()) owned.push_back(o->objectName());
    EXPECT_EQ(owned, expected);
}

TEST_F(MainWindowDesign, SchematicIsDrawnInTheOrderOfCreation) {
    // Later children of the schematic lie over earlier ones: the labels over the shapes.
    std::vector<QString> drawn;
    for (QObject* o : form_->PanelSch->Content()->children()) drawn.push_back(o->objectName());
    const std::vector<QString> expected = {"LineA",       "LineReg", "LineRP",  "ShURP",    "ShRL",
                                           "shRR",        "LineB",   "LabR_UI", "LabRL_U",  "LabRL_I",
                                           "LabRL_P",     "LabR_L",  "LabR",    "LabRP_U",  "LabRP_I",
                                           "LabURP_Calc", "LabRP_P", "PanelP",  "PanelLRP", "GroupBox1"};
    EXPECT_EQ(drawn, expected);
}

TEST_F(MainWindowDesign, WindowHasItsDesignCaptionSizeAndPosition) {
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Расчет токов ДП"));
    EXPECT_EQ(form_->size(), QSize(818, 439));
    EXPECT_EQ(form_->pos(), QPoint(256, 119));
    EXPECT_EQ(form_->Width(), 834);
    EXPECT_EQ(form_->Height(), 478);
    EXPECT_EQ(form_->font().family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(form_->font().pixelSize(), 11);
}

TEST_F(MainWindowDesign, ShapesAreDrawnAsDesigned) {
    struct Row {
        TShape* shape;
        TShapeType type;
        int pen;
    };
    const Row rows[] = {{form_->LineA, stRoundRect, 3},  {form_->LineReg, stRectangle, 3},
                        {form_->LineRP, stRoundRect, 3}, {form_->ShURP, stRoundRect, 1},
                        {form_->ShRL, stRectangle, 1},   {form_->shRR, stRectangle, 1},
                        {form_->LineB, stRoundRect, 3}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.shape->objectName().toStdString());
        EXPECT_EQ(r.shape->Shape(), r.type);
        EXPECT_EQ(r.shape->Pen().Width, r.pen);
        EXPECT_EQ(r.shape->Pen().Color, QColor(Qt::black));
        EXPECT_EQ(r.shape->Brush().Color, QColor(Qt::white));
    }
}

TEST_F(MainWindowDesign, ClickableValuesShowTheHandCursorAndBoldType) {
    for (TLabel* l : {form_->LabRL_P, form_->LabR_L, form_->LabR, form_->LabRP_U}) {
        EXPECT_EQ(l->Cursor(), crHandPoint) << l->objectName().toStdString();
        EXPECT_TRUE(l->Font().Style & fsBold) << l->objectName().toStdString();
    }
    for (TLabel* l : {form_->LabR_UI, form_->LabRL_U, form_->LabRL_I, form_->LabRP_I, form_->LabURP_Calc,
                      form_->LabRP_P}) {
        EXPECT_EQ(l->Cursor(), crDefault) << l->objectName().toStdString();
        EXPECT_FALSE(l->Font().Style & fsBold) << l->objectName().toStdString();
        EXPECT_FALSE(static_cast<bool>(l->OnClick)) << l->objectName().toStdString();
    }
    EXPECT_FALSE(form_->LabRL_P->AutoSize());
    EXPECT_TRUE(form_->LabRL_P->WordWrap());
}

TEST_F(MainWindowDesign, SchematicLabelsAreTransparent) {
    for (QObject* o : form_->PanelSch->Content()->children()) {
        if (auto* l = dynamic_cast<TLabel*>(o)) {
            EXPECT_TRUE(l->Transparent()) << l->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowDesign, RadioButtonsStartWithTheDesignChoice) {
    EXPECT_TRUE(form_->ch75W->Checked());
    EXPECT_FALSE(form_->ch150W->Checked());
    EXPECT_TRUE(form_->chR_LRP_24->Checked());
    EXPECT_FALSE(form_->chR_LRP_16->Checked());
    EXPECT_FALSE(form_->chR_LRP_6->Checked());
    EXPECT_FALSE(form_->chR_LRP_0->Checked());
    EXPECT_EQ(form_->chR_LRP_0->Color(), QApplication::palette().color(QPalette::Button));
}

TEST_F(MainWindowDesign, ScreenshotButtonExplainsShiftInItsTooltip) {
    // Its first line as designed; the keys of the screenshot follow.
    EXPECT_EQ(form_->ButScr->Hint().section(u'\n', 0, 0),
              QStringLiteral("Для выбора имени файла зажать клавишу Shift"));
    EXPECT_TRUE(form_->ButScr->ShowHint());
    EXPECT_EQ(form_->ButScr->toolTip(), form_->ButScr->Hint());
    EXPECT_EQ(form_->ButScr->focusPolicy(), Qt::NoFocus);
}

TEST_F(MainWindowDesign, StatusBarHasTwoEmptyPanelsAndASizeGrip) {
    EXPECT_TRUE(form_->StatBar->isSizeGripEnabled());
    const auto panels = form_->StatBar->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(panels.size(), 2);
    EXPECT_EQ(panels[0]->width(), 100);
    EXPECT_EQ(panels[1]->width(), 200);
    EXPECT_TRUE(panels[0]->text().isEmpty());
    EXPECT_TRUE(panels[1]->text().isEmpty());
    EXPECT_TRUE(form_->StatBar->currentMessage().isEmpty());
}

TEST_F(MainWindowDesign, TimerTicksEverySecondFromCreation) {
    EXPECT_TRUE(form_->TimerRefresh->isActive());
    EXPECT_EQ(form_->TimerRefresh->interval(), 1000);
    EXPECT_EQ(form_->TimerRefresh->parent(), form_.get());
}

TEST_F(MainWindowDesign, TabOrderFollowsTheDesign) {
    const std::vector<QWidget*> expected = {form_->ch75W,      form_->ch150W,    form_->chR_LRP_24,
                                            form_->chR_LRP_16, form_->chR_LRP_6, form_->chR_LRP_0,
                                            form_->Button1,    form_->MemoLog};
    std::vector<QWidget*> chain;
    QWidget* w = form_->ch75W;
    for (int i = 0; i < 200 && chain.size() < expected.size(); ++i, w = w->nextInFocusChain()) {
        if (std::find(expected.begin(), expected.end(), w) != expected.end() &&
            std::find(chain.begin(), chain.end(), w) == chain.end())
            chain.push_back(w);
    }
    EXPECT_EQ(chain, expected);
}

// The pictures are stored with the program as uncompressed 24-bit bitmaps.
struct TPictureRow {
    const char* name;
    const char* path;
    int width;
    int height;
};

void PrintTo(const TPictureRow& row, std::ostream* os) {
    *os << row.name;
}
class StoredPicture : public ::testing::TestWithParam<TPictureRow> {};

TEST_P(StoredPicture, IsAnUncompressed24BitBitmap) {
    QFile file(QString::fromUtf8(GetParam().path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray b = file.readAll();
    ASSERT_GE(b.size(), 54);
    auto u16 = [&](int at) { return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8; };
    auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(u32(18), GetParam().width);
    EXPECT_EQ(u32(22), GetParam().height);
    EXPECT_EQ(u16(28), 24); // bits per pixel
    EXPECT_EQ(u32(30), 0);  // no compression
    EXPECT_EQ(u32(2), b.size());
}

INSTANTIATE_TEST_SUITE_P(MainWindow, StoredPicture,
                         ::testing::Values(TPictureRow{"Choke", ":/pictures/choke.bmp", 15, 9},
                                           TPictureRow{"Help", ":/pictures/help.bmp", 16, 14}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowDesign, ChokePictureIsBlackAndWhiteWithAFrameAndTheWireOnTheSixthRow) {
    const QImage& p = form_->imLRP->Picture();
    ASSERT_EQ(p.size(), QSize(15, 9));
    for (int y = 0; y < p.height(); ++y) {
        for (int x = 0; x < p.width(); ++x) {
            const QRgb c = p.pixel(x, y) & 0xFFFFFF;
            ASSERT_TRUE(c == 0x000000 || c == 0xFFFFFF) << x << "," << y;
            if (x == 0 || y == 0 || x == 14 || y == 8) {
                EXPECT_EQ(c, 0x000000u) << "frame " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(p.pixel(1, 5) & 0xFFFFFF, 0x000000u);  // wire comes in from the left
    EXPECT_EQ(p.pixel(13, 5) & 0xFFFFFF, 0x000000u); // and from the right
    EXPECT_EQ(p.pixel(1, 1) & 0xFFFFFF, 0xFFFFFFu);
    int topsOnThirdRow = 0;
    for (int x = 1; x < 14; ++x) topsOnThirdRow += (p.pixel(x, 2) & 0xFFFFFF) == 0 ? 1 : 0;
    EXPECT_GT(topsOnThirdRow, 0);
    for (int x = 1; x < 14; ++x)
        EXPECT_EQ(p.pixel(x, 1) & 0xFFFFFF, 0xFFFFFFu) << "loops end on the third row";
    // Drawn at its own size at the top-left corner of the 25 x 15 control.
    EXPECT_FALSE(form_->imLRP->Stretch());
    EXPECT_FALSE(form_->imLRP->Center());
    EXPECT_EQ(form_->imLRP->PictureRect(), QRect(0, 0, 15, 9));
}

TEST_F(MainWindowDesign, HelpGlyphIsOnGreyWhichIsItsTransparentColour) {
    const QImage& g = form_->ButHelp->Glyph();
    ASSERT_EQ(g.size(), QSize(16, 14));
    EXPECT_EQ(QColor(g.pixel(0, 13)), QColor(212, 208, 200));
    bool darkBlue = false;
    bool black = false;
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QColor c(g.pixel(x, y));
            darkBlue |= x >= 8 && c == QColor(0, 0, 132);
            black |= x < 8 && c == QColor(0, 0, 0);
        }
    }
    EXPECT_TRUE(darkBlue) << "question mark on the right";
    EXPECT_TRUE(black) << "arrow on the left";
    // The grey does not reach the screen: the button face shows through.
    const QImage shown = form_->ButHelp->CurrentGlyph();
    EXPECT_EQ(qAlpha(shown.pixel(0, 13)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(1, 1)), 255);
}

} // namespace
