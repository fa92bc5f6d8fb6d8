#include "schematic/uClonesNew.h"

#include "controls/controls.h"

namespace dp {
namespace {

// Step 3 of every kind but the tab sheet and the grid: Left first, then Top; only exactly -1 takes
// the template's value.
template <class T> void Place(T* clone, const T* tmpl, int32_t newTop, int32_t newLeft) {
    clone->SetLeft(newLeft == -1 ? tmpl->Left() : newLeft);
    clone->SetTop(newTop == -1 ? tmpl->Top() : newTop);
}

template <class T> void CopyHint(T* clone, const T* tmpl) {
    clone->SetHint(tmpl->Hint());
    clone->SetShowHint(tmpl->ShowHint());
}

template <class T> void CopySize(T* clone, const T* tmpl) {
    clone->SetWidth(tmpl->Width());
    clone->SetHeight(tmpl->Height());
}

void CloneShape(TShape* c, const TShape* t) {
    c->SetBrush(t->Brush());
    c->SetPen(t->Pen());
    c->SetShape(t->Shape());
    CopySize(c, t);
    CopyHint(c, t);
    c->OnMouseDown = t->OnMouseDown;
    c->OnMouseUp = t->OnMouseUp;
    c->OnMouseMove = t->OnMouseMove;
}

void CloneLabel(TLabel* c, const TLabel* t) {
    c->SetCursor(t->Cursor());
    c->SetTabStop(t->TabStop());
    c->SetAutoSize(t->AutoSize());
    c->SetAlign(t->Align());
    c->SetAlignment(t->Alignment());
    CopySize(c, t);
    c->SetWordWrap(t->WordWrap());
    const QString caption = t->Caption();
    c->SetCaption(caption);
    c->SetFont(t->Font());
    CopyHint(c, t);
    c->SetColor(t->Color());
    c->SetTransparent(t->Transparent());
    c->SetPopupMenu(t->PopupMenu());
    c->SetDragMode(t->DragMode());
    c->OnMouseDown = t->OnMouseDown;
    c->OnMouseUp = t->OnMouseUp;
    c->OnMouseMove = t->OnMouseMove;
    c->OnClick = t->OnClick;
    c->OnContextPopup = t->OnContextPopup;
}

void CloneImage(TImage* c, const TImage* t) {
    CopySize(c, t);
    CopyHint(c, t);
    c->SetPicture(t->Picture());
    c->SetConstraints(t->Constraints());
    c->SetCenter(t->Center());
    c->SetProportional(t->Proportional());
    c->SetStretch(t->Stretch());
    c->SetCursor(t->Cursor());
    c->SetTransparent(t->Transparent());
    c->SetVisible(t->Visible());
    c->SetPopupMenu(t->PopupMenu());
    c->OnMouseDown = t->OnMouseDown;
    c->OnMouseMove = t->OnMouseMove;
    c->OnMouseUp = t->OnMouseUp;
    c->OnDblClick = t->OnDblClick;
}

void CloneComboBox(TComboBox* c, const TComboBox* t, QWidget* parent) {
    c->SetWidth(t->Width());
    c->SetStyle(t->Style());
    c->SetFont(t->Font());
    CopyHint(c, t);
    c->OnChange = t->OnChange;
    // Hidden while it joins the parent and loads its items, then shown complete.
    c->SetVisible(false);
    c->SetParent(parent);
    c->SetItems(t->Items());
    c->SetItemIndex(0);
    c->SetVisible(true);
}

void CloneCheckBox(TCheckBox* c, const TCheckBox* t) {
    CopySize(c, t);
    const QString caption = t->Caption();
    c->SetCaption(caption);
    c->SetFont(t->Font());
    CopyHint(c, t);
    c->SetColor(t->Color());
    c->OnClick = t->OnClick;
}

void CloneSpinEdit(TSpinEdit* c, const TSpinEdit* t) {
    c->SetMinValue(t->MinValue());
    c->SetMaxValue(t->MaxValue());
    c->SetMaxLength(t->MaxLength());
    c->SetIncrement(t->Increment());
    c->SetWidth(t->Width());
    c->SetFont(t->Font());
    CopyHint(c, t);
    c->OnChange = t->OnChange;
    c->OnExit = t->OnExit;
}

void CloneEdit(TEdit* c, const TEdit* t) {
    const QString text = t->Text();
    c->SetText(text);
    c->SetAutoSize(t->AutoSize());
    c->SetMaxLength(t->MaxLength());
    CopySize(c, t);
    c->SetFont(t->Font());
    CopyHint(c, t);
    c->SetColor(t->Color());
}

void ClonePanel(TPanel* c, const TPanel* t) {
    const QString caption = t->Caption();
    c->SetCaption(caption);
    c->SetAutoSize(t->AutoSize());
    CopySize(c, t);
    c->SetFont(t->Font());
    CopyHint(c, t);
    c->SetColor(t->Color());
    c->SetAlign(t->Align());
    c->SetBevelInner(t->BevelInner());
    c->SetBevelOuter(t->BevelOuter());
    c->SetBevelWidth(t->BevelWidth());
    c->SetBorderWidth(t->BorderWidth());
    c->SetBorderStyle(t->BorderStyle());
    c->OnClick = t->OnClick;
    c->OnMouseMove = t->OnMouseMove;
    c->OnMouseDown = t->OnMouseDown;
    c->OnMouseUp = t->OnMouseUp;
}

void CloneButton(TButton* c, const TButton* t) {
    const QString caption = t->Caption();
    c->SetCaption(caption);
    CopySize(c, t);
    c->SetFont(t->Font());
    CopyHint(c, t);
    c->OnClick = t->OnClick;
}

void CloneGroupBox(TGroupBox* c, const TGroupBox* t) {
    const QString caption = t->Caption();
    c->SetCaption(caption);
    CopySize(c, t);
    c->SetFont(t->Font());
    CopyHint(c, t);
    c->SetColor(t->Color());
    c->SetAlign(t->Align());
    c->OnClick = t->OnClick;
}

void CloneSpeedButton(TSpeedButton* c, const TSpeedButton* t) {
    const QString caption = t->Caption();
    c->SetCaption(caption);
    CopySize(c, t);
    c->SetFont(t->Font());
    CopyHint(c, t);
    c->SetGroupIndex(t->GroupIndex());
    c->SetGlyph(t->Glyph());
    c->SetAllowAllUp(t->AllowAllUp());
    c->SetFlat(t->Flat());
    c->SetDown(t->Down());
    c->SetCursor(t->Cursor());
    c->SetTransparent(t->Transparent());
    c->SetLayout(t->Layout());
    c->SetNumGlyphs(t->NumGlyphs());
    c->OnClick = t->OnClick;
}

void CloneTabSheet(TTabSheet* c, const TTabSheet* t) {
    // Joins the template's page control as a further page; the Parent argument is not used.
    c->SetPageControl(t->PageControl());
    c->SetImageIndex(t->ImageIndex());
    c->SetVisible(false);
}

void CloneStringGrid(TStringGrid* c, const TStringGrid* t, QWidget* parent) {
    c->SetParent(parent);
    c->SetAlign(t->Align());
    c->SetFont(t->Font());
    c->SetBorderStyle(t->BorderStyle());
    c->SetColor(t->Color());
    c->SetFixedColor(t->FixedColor());
    c->SetOptions(t->Options());
    c->SetHeight(t->Height());
    c->SetDefaultRowHeight(t->DefaultRowHeight());
    // Counts before fixed counts: a fixed count must stay below its count.
    c->SetColCount(t->ColCount());
    c->SetRowCount(t->RowCount());
    c->SetFixedCols(t->FixedCols());
    c->SetFixedRows(t->FixedRows());
    c->OnDrawCell = t->OnDrawCell;
    for (int col = 0; col < t->ColCount(); ++col) c->SetColWidths(col, t->ColWidths(col));
    c->SetVisible(true);
}

void CloneRadioButton(TRadioButton* c, const TRadioButton* t) {
    CopySize(c, t);
    const QString caption = t->Caption();
    c->SetCaption(caption);
    c->SetFont(t->Font());
    CopyHint(c, t);
    c->SetChecked(t->Checked());
    c->OnClick = t->OnClick;
}

void CloneFloatSpinEdit(TFloatSpinEdit* c, const TFloatSpinEdit* t) {
    c->SetMinValue(t->MinValue());
    c->SetMaxValue(t->MaxValue());
    c->SetMaxLength(t->MaxLength());
    c->SetIncrement(t->Increment());
    c->SetCurrentUnit(t->CurrentUnit());
    c->SetDefaultUnit(t->DefaultUnit());
    c->SetPrecision(t->Precision());
    c->SetWidth(t->Width());
    c->SetFont(t->Font());
    CopyHint(c, t);
    c->SetDigRound(t->DigRound());
    c->OnChange = t->OnChange;
    c->OnExit = t->OnExit;
}

// Creates the clone with its owner, places it, copies the kind's list with copy(clone, template)
// and, unless the list parents it itself, parents it last. An exception leaves the clone with its
// owner.
template <class T, class Copy>
QWidget* Make(QWidget* tmplWidget, TOwner* owner, QWidget* parent, int32_t newTop, int32_t newLeft, Copy copy,
              bool positioned = true, bool parentLast = true) {
    const auto* tmpl = static_cast<const T*>(tmplWidget);
    auto* clone = new T(owner);
    if (positioned) Place(clone, tmpl, newTop, newLeft);
    copy(clone, tmpl);
    if (parentLast) clone->SetParent(parent);
    return clone;
}

} // namespace

QWidget* CloneControl(QWidget* Template, TOwner* Owner, QWidget* Parent, int32_t NewTop, int32_t NewLeft) {
    if (Template == nullptr) return nullptr;
    const QObject* t = Template;
    if (IsExactly<TComboBox>(t))
        return Make<TComboBox>(
            Template, Owner, Parent, NewTop, NewLeft,
            [Parent](TComboBox* c, const TComboBox* tm) { CloneComboBox(c, tm, Parent); }, true, false);
    if (IsExactly<TCheckBox>(t))
        return Make<TCheckBox>(Template, Owner, Parent, NewTop, NewLeft, CloneCheckBox);
    if (IsExactly<TLabel>(t)) return Make<TLabel>(Template, Owner, Parent, NewTop, NewLeft, CloneLabel);
    if (IsExactly<TSpinEdit>(t))
        return Make<TSpinEdit>(Template, Owner, Parent, NewTop, NewLeft, CloneSpinEdit);
    if (IsExactly<TEdit>(t)) return Make<TEdit>(Template, Owner, Parent, NewTop, NewLeft, CloneEdit);
    if (IsExactly<TPanel>(t)) return Make<TPanel>(Template, Owner, Parent, NewTop, NewLeft, ClonePanel);
    if (IsExactly<TButton>(t)) return Make<TButton>(Template, Owner, Parent, NewTop, NewLeft, CloneButton);
    if (IsExactly<TShape>(t)) return Make<TShape>(Template, Owner, Parent, NewTop, NewLeft, CloneShape);
    if (IsExactly<TGroupBox>(t))
        return Make<TGroupBox>(Template, Owner, Parent, NewTop, NewLeft, CloneGroupBox);
    if (IsExactly<TSpeedButton>(t))
        return Make<TSpeedButton>(Template, Owner, Parent, NewTop, NewLeft, CloneSpeedButton);
    if (IsExactly<TImage>(t)) return Make<TImage>(Template, Owner, Parent, NewTop, NewLeft, CloneImage);
    if (IsExactly<TTabSheet>(t))
        return Make<TTabSheet>(Template, Owner, Parent, NewTop, NewLeft, CloneTabSheet, false, false);
    if (IsExactly<TStringGrid>(t))
        return Make<TStringGrid>(
            Template, Owner, Parent, NewTop, NewLeft,
            [Parent](TStringGrid* c, const TStringGrid* tm) { CloneStringGrid(c, tm, Parent); }, false,
            false);
    if (IsExactly<TRadioButton>(t))
        return Make<TRadioButton>(Template, Owner, Parent, NewTop, NewLeft, CloneRadioButton);
    if (IsExactly<TFloatSpinEdit>(t))
        return Make<TFloatSpinEdit>(Template, Owner, Parent, NewTop, NewLeft, CloneFloatSpinEdit);
    return nullptr;
}

} // namespace dp
