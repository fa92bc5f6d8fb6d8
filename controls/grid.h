#pragma once
// TStringGrid: a grid of texts. The first FixedRows rows and FixedCols columns are headings painted
// in FixedColor that cannot be selected or edited. Fixed counts stay below the counts: setting a
// fixed count that is not lower than the count throws std::invalid_argument; lowering a count
// lowers the fixed count with it. OnDrawCell fires after each cell has been painted.
#include "controls/control.h"

#include <QTableWidget>

#include <cstdint>

enum TGridOption : uint16_t {
    goFixedVertLine = 1 << 0,
    goFixedHorzLine = 1 << 1,
    goVertLine = 1 << 2,
    goHorzLine = 1 << 3,
    goRangeSelect = 1 << 4,
    goDrawFocusSelected = 1 << 5,
    goRowSizing = 1 << 6,
    goColSizing = 1 << 7,
    goRowMoving = 1 << 8,
    goColMoving = 1 << 9,
    goEditing = 1 << 10,
    goTabs = 1 << 11,
    goRowSelect = 1 << 12,
    goAlwaysShowEditor = 1 << 13,
    goThumbTracking = 1 << 14
};
using TGridOptions = uint16_t;

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

using TDrawCellEvent = std::function<void(QObject* Sender, int ACol, int ARow, QRect Rect,
                                          TGridDrawState State, QPainter* Canvas)>;

enum TGridBorderStyle { gbsNone, gbsSingle };

class TStringGrid : public TControl<QTableWidget> {
public:
    explicit TStringGrid(dp::TOwner* Owner = nullptr);

    int ColCount() const { return columnCount(); }
    void SetColCount(int v); // below 1 is taken as 1
    int RowCount() const { return rowCount(); }
    void SetRowCount(int v);
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int v);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int v);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int v);
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int v);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width); // col outside 0..ColCount-1 throws std::out_of_range
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(const TColor& v);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions v);
    TGridBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TGridBorderStyle v);
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& v);

    TDrawCellEvent OnDrawCell;

    // Called by the grid's painter; fires OnDrawCell through the event guard.
    void DrawCell(int col, int row, const QRect& rect, TGridDrawState state, QPainter* painter);

protected:
    void ApplyColor() override;

private:
    void ApplyFixed();
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultRowHeight = 24;
    int FDefaultColWidth = 64;
    TColor FFixedColor = QColor(212, 208, 200);
    TGridOptions FOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TGridBorderStyle FBorderStyle = gbsSingle;
};
