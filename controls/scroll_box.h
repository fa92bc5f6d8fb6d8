#pragma once
// The schematic's scroll box: a scroll area whose inner widget holds the schematic controls at their
// own positions, with scroll bars that appear when the controls reach beyond the visible area.
#include <QScrollArea>

class TScrollBox : public QScrollArea {
public:
    explicit TScrollBox(QWidget* parent = nullptr);

    // The inner widget: the parent of every schematic control; positions are in its coordinates.
    QWidget* Content() const { return FContent; }

    // Sizes the inner widget to the right and bottom edges of its shown (or to-be-shown) children,
    // and at least to the visible area, so the scroll bars cover exactly the schematic. Call it after
    // adding, removing, moving or resizing schematic controls.
    void UpdateExtent();

    // The extent the children need: the largest right and bottom edges of those not hidden.
    QSize ChildrenExtent() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* FContent;
};
