#include "schematic/groups.h"

#include "controls/controls.h"
#include "controls/scroll_box.h"
#include "schematic/uClonesNew.h"

#include <QString>

#include <array>
#include <iterator>
#include <type_traits>

namespace dp {

namespace {

template <auto Template> QWidget* TemplateOf(const TSchematic& s) {
    return s.*Template;
}

template <auto Field> QWidget* CopyOf(const TRegenerator& r) {
    return r.*Field;
}

// The copy is exactly of the template's kind, owned by the schematic's owner, a child of its
// content; a top of -1 keeps the template's top.
template <auto Field, auto Template>
void MakeCopy(const TSchematic& s, TRegenerator& r, int top, int left, bool show) {
    using T = std::remove_pointer_t<std::remove_cvref_t<decltype(r.*Field)>>;
    auto* copy = static_cast<T*>(CloneControl(s.*Template, s.Owner, s.Box->Content(), top, left));
    r.*Field = copy;
    if (show) copy->SetVisible(true);
}

template <auto Field> void DestroyCopy(TRegenerator& r) {
    delete (r.*Field); // leaves the panel and the owner's component list
    r.*Field = nullptr;
}

#define GROUP_COPY(field, tmpl)                                                                              \
    .Name = #field, .Template = &TemplateOf<&TSchematic::tmpl>, .Copy = &CopyOf<&TRegenerator::field>,       \
    .Make = &MakeCopy<&TRegenerator::field, &TSchematic::tmpl>,                                              \
    .Destroy = &DestroyCopy<&TRegenerator::field>

// The order of creation is the order of drawing: each copy lies over the ones before it. The
// destruction follows the order of the record's fields.
const TGroupCopy kGroupCopies[] = {
    {GROUP_COPY(shRR, shRR), .LeftFromX = 44, .OnWireA = false, .Show = true, .DestroyRank = 1},
    {GROUP_COPY(LabR_UI, LabR_UI), .LeftFromX = 44, .OnWireA = false, .Show = true, .DestroyRank = 3},
    {GROUP_COPY(LabR_L, LabR_L), .LeftFromX = 20, .OnWireA = false, .Show = true, .DestroyRank = 5},
    {GROUP_COPY(LabR, LabR), .LeftFromX = 50, .OnWireA = false, .Show = true, .DestroyRank = 4},
    {GROUP_COPY(LineReg, LineReg), .LeftFromX = 126, .OnWireA = false, .Show = true, .DestroyRank = 0},
    {GROUP_COPY(ShRL, ShRL), .LeftFromX = 100, .OnWireA = false, .Show = true, .DestroyRank = 2},
    {GROUP_COPY(LabRL_P, LabRL_P), .LeftFromX = 108, .OnWireA = false, .Show = true, .DestroyRank = 8},
    {GROUP_COPY(LabRL_I, LabRL_I), .LeftFromX = 138, .OnWireA = false, .Show = true, .DestroyRank = 7},
    {GROUP_COPY(LabRL_U, LabRL_U), .LeftFromX = 114, .OnWireA = false, .Show = true, .DestroyRank = 6},
    // The two chokes sit on wire A at the start and at the end of the section.
    {GROUP_COPY(imLRP_A, imLRP), .LeftFromX = 16, .OnWireA = true, .Show = false, .DestroyRank = 9},
    {GROUP_COPY(imLRP_B, imLRP), .LeftFromX = 96, .OnWireA = true, .Show = false, .DestroyRank = 10},
};

#undef GROUP_COPY

constexpr size_t kGroupSize = std::size(kGroupCopies);

// The rows in the order DeleteRegenerator destroys them.
const std::array<const TGroupCopy*, kGroupSize>& DestructionOrder() {
    static const std::array<const TGroupCopy*, kGroupSize> order = [] {
        std::array<const TGroupCopy*, kGroupSize> rows{};
        for (const TGroupCopy& c : kGroupCopies) rows.at(static_cast<size_t>(c.DestroyRank)) = &c;
        return rows;
    }();
    return order;
}

void SetWireWidths(const TSchematic& s, int count) {
    s.LineA->SetWidth(kRegeneratorPitch * count);
    s.LineB->SetWidth(kRegeneratorPitch * count);
}

} // namespace

std::span<const TGroupCopy> GroupCopies() {
    return kGroupCopies;
}

void AddRegenerator(const TSchematic& schematic, TCalcState& state) {
    if (state.NumRegs >= MaxRegs) return;
    ++state.NumRegs;
    const int n = state.NumRegs;
    // Every base position is read now, so a group added while the panel is scrolled lines up.
    const int x = schematic.LineRP->Left() + kRegeneratorPitch * (n - 1);
    const int wireTop = schematic.LineA->Top() - kChokeRiseAboveWireA;
    SetWireWidths(schematic, n);

    TRegenerator& r = state.Regs[static_cast<size_t>(n)];
    for (const TGroupCopy& c : kGroupCopies)
        c.Make(schematic, r, c.OnWireA ? wireTop : -1, x + c.LeftFromX, c.Show);
    // The name shown until the next calculation writes the real one.
    r.LabRL_P->SetCaption(QStringLiteral("R") + QString::number(n) + QStringLiteral("  5,5Вт"));

    schematic.Box->UpdateExtent();
}

void DeleteRegenerator(const TSchematic& schematic, TCalcState& state) {
    if (state.NumRegs <= 1) return;
    TRegenerator& r = state.Regs[state.NumRegs];
    for (const TGroupCopy* c : DestructionOrder()) c->Destroy(r);
    --state.NumRegs;
    SetWireWidths(schematic, state.NumRegs);
    schematic.Box->UpdateExtent();
}

void CopyRegeneratorInputs(const TRegenerator& from, TRegenerator& to) {
    to.RR = from.RR;
    to.RR_ENT = from.RR_ENT;
    to.RR_LEN = from.RR_LEN;
    to.RR_DIA = from.RR_DIA;
    to.RL_P = from.RL_P;
}

} // namespace dp
