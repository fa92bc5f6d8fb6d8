#include "schematic/editing.h"

#include "calc/solver.h"
#include "controls/dialogs.h"
#include "controls/label.h"
#include "util/uStrUtils.h"

#include <QObject>
#include <QString>

#include <algorithm>
#include <string>

namespace dp {

namespace {

// Asks through the program's input dialog; OK and Cancel both give a text to parse.
std::string Ask(const char* caption, const char* prompt, const std::string& prefill) {
    return Dialogs()
        .InputQuery(QString::fromUtf8(caption), QString::fromUtf8(prompt), QString::fromStdString(prefill))
        .toStdString();
}

void AskInteger(const char* caption, const char* prompt, int32_t& value) {
    int32_t parsed = value;
    if (TryStrToInt(Ask(caption, prompt, std::to_string(value)), parsed)) value = parsed;
}

void AskReal(const char* caption, const char* prompt, double& value) {
    double parsed = value;
    if (TryStrToFloatDot(Ask(caption, prompt, FormatGeneral(value)), parsed)) value = parsed;
}

TRegenerator& Record(TCalcState& s, int index) {
    return s.Regs.at(static_cast<size_t>(index));
}

} // namespace

TEditTarget FindEditTarget(const TCalcState& s, const QObject* sender) {
    if (sender == nullptr) return {};
    const int count = std::min<int>(s.NumRegs, MaxRegs);
    for (int i = 1; i <= count; ++i) {
        const TRegenerator& r = s.Regs[static_cast<size_t>(i)];
        if (sender == static_cast<const QObject*>(r.LabR)) return {i, TEditField::Resistance};
        if (sender == static_cast<const QObject*>(r.LabRL_P)) return {i, TEditField::Power};
        if (sender == static_cast<const QObject*>(r.LabR_L)) return {i, TEditField::LengthDiameter};
    }
    return {};
}

void EditResistance(TCalcState& s, int index) {
    TRegenerator& r = Record(s, index);
    AskInteger("Ввод сопротивления участка", "Ом", r.RR);
    r.RR_ENT = true; // typed in ohms, also when the text did not parse
}

void EditPower(TCalcState& s, int index) {
    AskReal("Ввод мощности регенератора", "Вт", Record(s, index).RL_P);
}

void EditLengthDiameter(TCalcState& s, int index) {
    TRegenerator& r = Record(s, index);
    AskReal("Ввод длину линии", "км", r.RR_LEN);
    AskReal("Ввод диаметра жилы", "мм", r.RR_DIA);
    // Computed first: when the length and diameter give no resistance, the old one stays in force.
    const int32_t resistance = LineResistance(r.RR_LEN, r.RR_DIA);
    r.RR = resistance;
    r.RR_ENT = false;
}

void EditSupplyVoltage(TCalcState& s) {
    AskInteger("Ввод напряжения ДП", "В", s.U_RP);
}

} // namespace dp
