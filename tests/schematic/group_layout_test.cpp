// The group layout on a schematic of its own, without the main window: where each copy of the group
// table lands, which template it copies, who owns and shows it, in which order copies are made and
// destroyed, and the wires and scroll extent that follow the chain.
#include "controls/controls.h"
#include "controls/scroll_box.h"
#include "schematic/groups.h"

#include <QObject>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace dp::test {
namespace {

// A schematic of plain controls: the feed line further left than in the window and every template
// at a top of its own, so nothing below can pass by matching the window's numbers by chance.
class FakeSchematic : public ::testing::Test {
protected:
    void SetUp() override {
        box_ = std::make_unique<TScrollBox>();
        box_->resize(600, 273);
        QWidget* content = box_->Content();
        auto shape = [&](int left, int top, int width, int height, bool visible) {
            auto* s = new TShape(&owner_);
            s->SetBounds(left, top, width, height);
            s->SetVisible(visible);
            s->SetParent(content);
            return s;
        };
        auto label = [&](int top, const char* caption) {
            auto* l = new TLabel(&owner_);
            l->SetCaption(QString::fromUtf8(caption));
            l->SetBounds(5, top, 20, 13);
            l->SetVisible(false);
            l->SetParent(content);
            return l;
        };
        s_.Box = box_.get();
        s_.Owner = &owner_;
        s_.LineA = shape(30, 61, 200, 3, true);
        s_.LineB = shape(30, 171, 90, 3, true);
        s_.LineRP = shape(30, 61, 3, 110, true);
        s_.shRR = shape(0, 41, 40, 16, false);
        s_.LineReg = shape(0, 61, 3, 110, false);
        s_.ShRL = shape(0, 101, 65, 41, false);
        s_.LabR_UI = label(21, "UI");
        s_.LabR_L = label(71, "L");
        s_.LabR = label(45, "R");
        s_.LabRL_P = label(111, "P");
        s_.LabRL_I = label(91, "I");
        s_.LabRL_U = label(31, "U");
        // The choke template is shown (in the window it stands in the legend).
        s_.imLRP = new TImage(&owner_);
        s_.imLRP->SetBounds(3, 250, 25, 15);
        s_.imLRP->SetParent(content);
        fixedComponents_ = owner_.ComponentCount();
    }

    // The copy of row c in the group of regenerator n.
    QWidget* CopyIn(int n, const TGroupCopy& c) const {
        return c.Copy(state_.Regs.at(static_cast<size_t>(n)));
    }

    TOwner owner_;
    std::unique_ptr<TScrollBox> box_;
    TSchematic s_;
    TCalcState state_;
    int fixedComponents_ = 0;
};

TEST_F(FakeSchematic, EveryCopyLiesWhereTheTableSaysAndIsOfItsTemplatesKind) {
    for (int i = 0; i < 3; ++i) AddRegenerator(s_, state_);
    ASSERT_EQ(state_.NumRegs, 3);
    for (int n = 1; n <= 3; ++n) {
        const int x = 30 + kRegeneratorPitch * (n - 1);
        for (const TGroupCopy& c : GroupCopies()) {
            SCOPED_TRACE(std::string(c.Name) + " of regenerator " + std::to_string(n));
            QWidget* copy = CopyIn(n, c);
            QWidget* tmpl = c.Template(s_);
            ASSERT_NE(copy, nullptr);
            EXPECT_NE(copy, tmpl);
            EXPECT_EQ(typeid(*copy), typeid(*tmpl));
            EXPECT_EQ(copy->parentWidget(), box_->Content());
            EXPECT_EQ(dynamic_cast<TComponent*>(copy)->Owner(), &owner_);
            EXPECT_EQ(copy->x(), x + c.LeftFromX);
            EXPECT_EQ(copy->y(), c.OnWireA ? 61 - kChokeRiseAboveWireA : tmpl->y());
            if (c.Show) {
                EXPECT_TRUE(copy->isVisibleTo(box_->Content()));
            } else {
                EXPECT_EQ(copy->isVisibleTo(box_->Content()), tmpl->isVisibleTo(box_->Content()));
            }
        }
    }
    EXPECT_EQ(owner_.ComponentCount(), fixedComponents_ + 3 * static_cast<int>(GroupCopies().size()));
    EXPECT_EQ(state_.Regs[2].LabRL_P->Caption(), QStringLiteral("R2  5,5Вт"));
    EXPECT_EQ(s_.LineA->Width(), 3 * kRegeneratorPitch);
    EXPECT_EQ(s_.LineB->Width(), 3 * kRegeneratorPitch);
    EXPECT_GE(box_->Content()->width(), CopyIn(3, GroupCopies()[0])->geometry().right());
}

TEST_F(FakeSchematic, CopiesAreMadeInTableOrderAndDestroyedInRankOrder) {
    AddRegenerator(s_, state_);
    AddRegenerator(s_, state_);
    // The children of the content are its stacking order: the last group's copies come last, in the
    // order of the table.
    std::vector<QWidget*> children;
    for (QObject* o : box_->Content()->children())
        if (auto* w = qobject_cast<QWidget*>(o)) children.push_back(w);
    std::vector<QWidget*> made;
    for (const TGroupCopy& c : GroupCopies()) made.push_back(CopyIn(2, c));
    ASSERT_GE(children.size(), made.size());
    EXPECT_EQ(std::vector<QWidget*>(children.end() - static_cast<long>(made.size()), children.end()), made);

    std::vector<std::string> destroyed;
    for (const TGroupCopy& c : GroupCopies())
        QObject::connect(CopyIn(2, c), &QObject::destroyed,
                         [&destroyed, &c] { destroyed.emplace_back(c.Name); });
    state_.Regs[2].RR = 777;
    DeleteRegenerator(s_, state_);

    std::vector<const TGroupCopy*> byRank;
    for (const TGroupCopy& c : GroupCopies()) byRank.push_back(&c);
    std::sort(byRank.begin(), byRank.end(), [](auto* a, auto* b) { return a->DestroyRank < b->DestroyRank; });
    std::vector<std::string> expected;
    for (const TGroupCopy* c : byRank) expected.emplace_back(c->Name);
    EXPECT_EQ(destroyed, expected);
    for (const TGroupCopy& c : GroupCopies()) EXPECT_EQ(CopyIn(2, c), nullptr) << c.Name;
    EXPECT_EQ(state_.NumRegs, 1);
    EXPECT_EQ(state_.Regs[2].RR, 777); // the values stay in the table
    EXPECT_EQ(owner_.ComponentCount(), fixedComponents_ + static_cast<int>(GroupCopies().size()));
    EXPECT_EQ(s_.LineA->Width(), kRegeneratorPitch);
}

TEST_F(FakeSchematic, TheChainStaysWithinOneToTwoHundred) {
    DeleteRegenerator(s_, state_); // nothing to delete
    EXPECT_EQ(state_.NumRegs, 0);
    AddRegenerator(s_, state_);
    DeleteRegenerator(s_, state_); // the last one stays
    EXPECT_EQ(state_.NumRegs, 1);
    EXPECT_NE(state_.Regs[1].LabR, nullptr);

    for (int n = 2; n <= MaxRegs + 1; ++n) AddRegenerator(s_, state_);
    EXPECT_EQ(state_.NumRegs, MaxRegs);
    EXPECT_EQ(owner_.ComponentCount(), fixedComponents_ + MaxRegs * static_cast<int>(GroupCopies().size()));
    EXPECT_EQ(s_.LineA->Width(), MaxRegs * kRegeneratorPitch);
    EXPECT_EQ(CopyIn(MaxRegs, GroupCopies()[0])->x(),
              30 + kRegeneratorPitch * (MaxRegs - 1) + GroupCopies()[0].LeftFromX);
}

// The table fills every control field of the record, each with a copy of its own, and ranks each
// destruction once.
TEST_F(FakeSchematic, TableFillsEveryControlOfTheRecordOnce) {
    AddRegenerator(s_, state_);
    const TRegenerator& r = state_.Regs[1];
    std::vector<QWidget*> fields = {r.LineReg, r.shRR,    r.ShRL,    r.LabR_UI, r.LabR,   r.LabR_L,
                                    r.LabRL_U, r.LabRL_I, r.LabRL_P, r.imLRP_A, r.imLRP_B};
    std::vector<QWidget*> copies;
    std::vector<int> ranks;
    for (const TGroupCopy& c : GroupCopies()) {
        copies.push_back(c.Copy(r));
        ranks.push_back(c.DestroyRank);
    }
    std::sort(fields.begin(), fields.end());
    std::sort(copies.begin(), copies.end());
    EXPECT_EQ(std::adjacent_find(copies.begin(), copies.end()), copies.end());
    EXPECT_EQ(copies, fields);
    EXPECT_EQ(std::count(fields.begin(), fields.end(), nullptr), 0);
    std::sort(ranks.begin(), ranks.end());
    for (size_t i = 0; i < ranks.size(); ++i) EXPECT_EQ(ranks[i], static_cast<int>(i));
}

} // namespace
} // namespace dp::test
