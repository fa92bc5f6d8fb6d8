#pragma once
// Containers: panel, group box, page control and its tab sheets.
#include "controls/control.h"

#include <QFrame>
#include <QGroupBox>
#include <QTabWidget>

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBorderStyle { bsNone, bsSingle };

// TPanel: a frame drawn from an outer and an inner bevel of BevelWidth, BorderWidth apart, with the
// caption centred. A left press and release inside fires OnClick.
class TPanel : public TControl<QFrame> {
public:
    explicit TPanel(dp::TOwner* Owner = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    // Stored; a panel's size is not derived from its children.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v) { FAutoSize = v; }
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut v);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

protected:
    void MouseClick() override;
    void MouseDoubleClick() override;
    void paintEvent(QPaintEvent* e) override;

private:
    QString FCaption;
    bool FAutoSize = false;
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
};

// TGroupBox: a titled frame around its children. The etched frame line starts half a text line down,
// and the caption sits on its top edge 8 pixels from the left, interrupting the line; without a caption
// only the frame is drawn. Children keep their positions relative to the box's top-left corner.
// A left press and release inside fires OnClick.
class TGroupBox : public TControl<QGroupBox> {
public:
    explicit TGroupBox(dp::TOwner* Owner = nullptr);

    QString Caption() const { return title(); }
    void SetCaption(const QString& v) { setTitle(v); }

    // The row of the frame's top line: half the height of a text line, less one.
    int FrameTop() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

protected:
    void MouseClick() override;
    void MouseDoubleClick() override;
    void paintEvent(QPaintEvent* e) override;
};

class TTabSheet;

// TPageControl: the tabbed container that holds tab sheets (not itself a cloned kind).
class TPageControl : public TControl<QTabWidget> {
public:
    explicit TPageControl(dp::TOwner* Owner = nullptr);

    int PageCount() const { return count(); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const;
    void SetActivePage(TTabSheet* page);
};

// TTabSheet: a page of a page control. Visible shows or hides its tab; ImageIndex is stored.
class TTabSheet : public TControl<QWidget> {
public:
    explicit TTabSheet(dp::TOwner* Owner = nullptr);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return FPageControl; }
    // Moves the page to the end of pageControl (nullptr takes it out of any page control).
    void SetPageControl(TPageControl* pageControl);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v) { FImageIndex = v; }
    int PageIndex() const;

    bool Visible() const override { return FTabVisible; }
    void SetVisible(bool v) override;
    // The page control switches its pages with Qt's own visibility; that is not the Visible flag.
    void setVisible(bool v) override { QWidget::setVisible(v); }

private:
    QPointer<TPageControl> FPageControl;
    QString FCaption;
    int FImageIndex = -1;
    bool FTabVisible = true;
};
