#pragma once
// The regenerator groups of the schematic: one group of eleven copied controls per regenerator, laid
// out 130 pixels apart along the two wires, appended and removed only at the end of the chain.
#include "calc/regenerator.h"

#include <span>

class QWidget;
class TScrollBox;

namespace dp {

class TOwner;

// Width in pixels of the band every regenerator takes along the wires.
inline constexpr int kRegeneratorPitch = 130;

// The chokes lie this many pixels above the top of wire A, across it.
inline constexpr int kChokeRiseAboveWireA = 4;

// What the groups are made in and copied from. The window owns it; every pointer stays valid for the
// window's life.
struct TSchematic {
    TScrollBox* Box = nullptr; // the copies are children of its content widget
    TShape* LineA = nullptr;   // wire A, one pitch long per regenerator
    TShape* LineB = nullptr;   // wire B, as long as wire A
    TShape* LineRP = nullptr;  // the source's feed line: group 1 starts at its left edge
    TOwner* Owner = nullptr;   // owns every copy

    // The templates, hidden; the two chokes of a section are both copies of imLRP.
    TShape* shRR = nullptr;
    TLabel* LabR_UI = nullptr;
    TLabel* LabR_L = nullptr;
    TLabel* LabR = nullptr;
    TShape* LineReg = nullptr;
    TShape* ShRL = nullptr;
    TLabel* LabRL_P = nullptr;
    TLabel* LabRL_I = nullptr;
    TLabel* LabRL_U = nullptr;
    TImage* imLRP = nullptr;
};

// One copy of a regenerator group. The group of regenerator n has its origin X at the left edge of
// the source feed line plus (n - 1) pitches.
struct TGroupCopy {
    const char* Name;                        // the record field that holds the copy
    QWidget* (*Template)(const TSchematic&); // what it is copied from
    QWidget* (*Copy)(const TRegenerator&);   // the copy in the record, nullptr without one
    // Copies the template to (top, left) in the schematic, keeps the copy in the record and, with
    // show, shows it.
    void (*Make)(const TSchematic&, TRegenerator&, int top, int left, bool show);
    // Destroys the copy and clears the record's reference.
    void (*Destroy)(TRegenerator&);
    int LeftFromX;   // the copy's left edge, from X
    bool OnWireA;    // its top kChokeRiseAboveWireA above wire A's top; else the template's top
    bool Show;       // shown at once; else it keeps the template's visibility
    int DestroyRank; // the order of destruction, 0 first
};

// The eleven copies of a group in the order they are made, which is the order they are drawn in:
// each lies over the ones before it.
std::span<const TGroupCopy> GroupCopies();

// Appends regenerator NumRegs + 1 and its group of copies; nothing happens at MaxRegs. The values of
// the new record are left as the table holds them, and nothing is recalculated.
void AddRegenerator(const TSchematic& schematic, TCalcState& state);

// Destroys the group of the last regenerator and drops it from the chain; nothing happens with one
// regenerator or none. The record's values stay in the table; its control references are cleared.
void DeleteRegenerator(const TSchematic& schematic, TCalcState& state);

// The input values of a regenerator that "+" hands on to the next one: RR, RR_ENT, RR_LEN, RR_DIA,
// RL_P. Computed values and control references are not copied.
void CopyRegeneratorInputs(const TRegenerator& from, TRegenerator& to);

} // namespace dp
