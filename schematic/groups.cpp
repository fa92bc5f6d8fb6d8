#include "schematic/groups.h"

#include "app/Main.h"
#include "controls/controls.h"
#include "schematic/uClonesNew.h"

#include <QString>

namespace dp {

namespace {

// A copy of template at (top, left) in the schematic, owned by the window. The template's top is
// kept for a top of -1. The copy is exactly of the template's kind.
template <class T> T* CloneInto(TForm1& form, T* templateControl, int top, int left) {
    QWidget* copy = CloneControl(templateControl, &form, form.PanelSch->Content(), top, left);
    return static_cast<T*>(copy);
}

// Copies are shown at once; the chokes keep what they were copied with.
template <class T> T* Shown(T* control) {
    control->SetVisible(true);
    return control;
}

template <class T> void Destroy(T*& control) {
    delete control; // leaves the panel and the window's component list
    control = nullptr;
}

void SetWireWidths(TForm1& form, int count) {
    form.LineA->SetWidth(kRegeneratorPitch * count);
    form.LineB->SetWidth(kRegeneratorPitch * count);
}

} // namespace

void AddRegenerator(TForm1& form) {
    TCalcState& s = form.State;
    if (s.NumRegs >= MaxRegs) return;
    ++s.NumRegs;
    const int n = s.NumRegs;
    // Every base position is read now, so a group added while the panel is scrolled lines up.
    const int x = form.LineRP->Left() + kRegeneratorPitch * (n - 1);
    SetWireWidths(form, n);

    // The order of creation is the order of drawing: each copy lies over the ones before it.
    TRegenerator& r = s.Regs[static_cast<size_t>(n)];
    r.shRR = Shown(CloneInto(form, form.shRR, -1, x + 44));
    r.LabR_UI = Shown(CloneInto(form, form.LabR_UI, -1, x + 44));
    r.LabR_L = Shown(CloneInto(form, form.LabR_L, -1, x + 20));
    r.LabR = Shown(CloneInto(form, form.LabR, -1, x + 50));
    r.LineReg = Shown(CloneInto(form, form.LineReg, -1, x + 126));
    r.ShRL = Shown(CloneInto(form, form.ShRL, -1, x + 100));
    r.LabRL_P = Shown(CloneInto(form, form.LabRL_P, -1, x + 108));
    // The name shown until the next calculation writes the real one.
    r.LabRL_P->SetCaption(QStringLiteral("R") + QString::number(n) + QStringLiteral("  5,5Вт"));
    r.LabRL_I = Shown(CloneInto(form, form.LabRL_I, -1, x + 138));
    r.LabRL_U = Shown(CloneInto(form, form.LabRL_U, -1, x + 114));
    // The two chokes sit on wire A at the start and at the end of the section.
    const int chokeTop = form.LineA->Top() - 4;
    r.imLRP_A = CloneInto(form, form.imLRP, chokeTop, x + 16);
    r.imLRP_B = CloneInto(form, form.imLRP, chokeTop, x + 96);

    form.PanelSch->UpdateExtent();
}

void DeleteRegenerator(TForm1& form) {
    TCalcState& s = form.State;
    if (s.NumRegs <= 1) return;
    TRegenerator& r = s.Regs[s.NumRegs];
    Destroy(r.LineReg);
    Destroy(r.shRR);
    Destroy(r.ShRL);
    Destroy(r.LabR_UI);
    Destroy(r.LabR);
    Destroy(r.LabR_L);
    Destroy(r.LabRL_U);
    Destroy(r.LabRL_I);
    Destroy(r.LabRL_P);
    Destroy(r.imLRP_A);
    Destroy(r.imLRP_B);
    --s.NumRegs;
    SetWireWidths(form, s.NumRegs);
    form.PanelSch->UpdateExtent();
}

void CopyRegeneratorInputs(const TRegenerator& from, TRegenerator& to) {
    to.RR = from.RR;
    to.RR_ENT = from.RR_ENT;
    to.RR_LEN = from.RR_LEN;
    to.RR_DIA = from.RR_DIA;
    to.RL_P = from.RL_P;
}

} // namespace dp
