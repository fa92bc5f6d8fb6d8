#include "controls/grid.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include <stdexcept>

namespace {

// Paints the fixed cells in the grid's FixedColor, then lets the grid's OnDrawCell draw over a cell.
class TGridCellPainter : public QStyledItemDelegate {
public:
    explicit TGridCellPainter(TStringGrid* grid) : QStyledItemDelegate(grid), FGrid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int col = index.column();
        const int row = index.row();
        const bool fixed = col < FGrid->FixedCols() || row < FGrid->FixedRows();
        TGridDrawState state = 0;
        if (fixed) {
            state |= gdFixed;
            painter->fillRect(option.rect, FGrid->FixedColor());
            QStyleOptionViewItem plain = option;
            plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
            QStyledItemDelegate::paint(painter, plain, index);
        } else {
            if (option.state & QStyle::State_Selected) state |= gdSelected;
            if (option.state & QStyle::State_HasFocus) state |= gdFocused;
            QStyledItemDelegate::paint(painter, option, index);
        }
        painter->save();
        FGrid->DrawCell(col, row, option.rect, state, painter);
        painter->restore();
    }

private:
    TStringGrid* FGrid;
};

} // namespace

TStringGrid::TStringGrid(dp::TOwner* Owner) : TControl<QTableWidget>(Owner) {
    setGeometry(0, 0, 320, 120);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setDefaultSectionSize(FDefaultColWidth);
    verticalHeader()->setDefaultSectionSize(FDefaultRowHeight);
    setItemDelegate(new TGridCellPainter(this));
    setColumnCount(5);
    setRowCount(5);
    ApplyFont();
    SetOptions(FOptions);
    SetBorderStyle(FBorderStyle);
    ApplyFixed();
}

void TStringGrid::SetColCount(int v) {
    v = std::max(1, v);
    const int old = columnCount();
    setColumnCount(v);
    for (int c = old; c < v; ++c) setColumnWidth(c, FDefaultColWidth);
    if (FFixedCols >= v) FFixedCols = v - 1;
    ApplyFixed();
}

void TStringGrid::SetRowCount(int v) {
    v = std::max(1, v);
    const int old = rowCount();
    setRowCount(v);
    for (int r = old; r < v; ++r) setRowHeight(r, FDefaultRowHeight);
    if (FFixedRows >= v) FFixedRows = v - 1;
    ApplyFixed();
}

void TStringGrid::SetFixedCols(int v) {
    if (v < 0 || v >= ColCount())
        throw std::invalid_argument("Fixed column count must be less than column count");
    FFixedCols = v;
    ApplyFixed();
}

void TStringGrid::SetFixedRows(int v) {
    if (v < 0 || v >= RowCount()) throw std::invalid_argument("Fixed row count must be less than row count");
    FFixedRows = v;
    ApplyFixed();
}

void TStringGrid::SetDefaultRowHeight(int v) {
    FDefaultRowHeight = std::max(0, v);
    verticalHeader()->setDefaultSectionSize(FDefaultRowHeight);
    for (int r = 0; r < rowCount(); ++r) setRowHeight(r, FDefaultRowHeight);
}

void TStringGrid::SetDefaultColWidth(int v) {
    FDefaultColWidth = std::max(0, v);
    horizontalHeader()->setDefaultSectionSize(FDefaultColWidth);
    for (int c = 0; c < columnCount(); ++c) setColumnWidth(c, FDefaultColWidth);
}

int TStringGrid::ColWidths(int col) const {
    if (col < 0 || col >= ColCount()) throw std::out_of_range("Grid index out of range");
    return columnWidth(col);
}

void TStringGrid::SetColWidths(int col, int width) {
    if (col < 0 || col >= ColCount()) throw std::out_of_range("Grid index out of range");
    setColumnWidth(col, std::max(0, width));
}

void TStringGrid::SetFixedColor(const TColor& v) {
    FFixedColor = v;
    viewport()->update();
}

void TStringGrid::SetOptions(TGridOptions v) {
    FOptions = v;
    setShowGrid((v & (goVertLine | goHorzLine)) != 0);
    setSelectionBehavior((v & goRowSelect) ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setSelectionMode((v & goRangeSelect) ? QAbstractItemView::ContiguousSelection
                                         : QAbstractItemView::SingleSelection);
    setEditTriggers((v & goEditing) ? QAbstractItemView::AllEditTriggers : QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation((v & goTabs) != 0);
}

void TStringGrid::SetBorderStyle(TGridBorderStyle v) {
    FBorderStyle = v;
    setFrameShape(v == gbsNone ? QFrame::NoFrame : QFrame::StyledPanel);
}

QString TStringGrid::Cells(int col, int row) const {
    const QTableWidgetItem* it = item(row, col);
    return it ? it->text() : QString();
}

void TStringGrid::SetCells(int col, int row, const QString& v) {
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
        throw std::out_of_range("Grid index out of range");
    QTableWidgetItem* it = item(row, col);
    if (it == nullptr) {
        it = new QTableWidgetItem(v);
        setItem(row, col, it);
        ApplyFixed();
    } else {
        it->setText(v);
    }
}

void TStringGrid::DrawCell(int col, int row, const QRect& rect, TGridDrawState state, QPainter* painter) {
    Fire(OnDrawCell, col, row, rect, state, painter);
}

void TStringGrid::ApplyColor() {
    // The cells' background is the view's base colour.
    QPalette p = palette();
    p.setColor(QPalette::Base,
               Color().isValid() ? Color() : style()->standardPalette().color(QPalette::Base));
    setPalette(p);
    viewport()->update();
}

void TStringGrid::ApplyFixed() {
    // Fixed cells are headings: neither selectable nor editable.
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c) {
            QTableWidgetItem* it = item(r, c);
            if (it == nullptr) continue;
            const bool fixed = r < FFixedRows || c < FFixedCols;
            it->setFlags(fixed ? Qt::ItemIsEnabled
                               : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        }
    viewport()->update();
}
