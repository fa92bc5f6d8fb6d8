#pragma once
// TImage: shows its Picture at its own size at the top-left corner, or centred (Center), scaled to
// the control (Stretch), keeping the aspect ratio when Proportional. With Transparent the colour of
// the picture's bottom-left pixel is not drawn. A left press and release inside fires OnClick.
#include "controls/control.h"

#include <QImage>
#include <QWidget>

class TImage : public TControl<QWidget> {
public:
    explicit TImage(dp::TOwner* Owner = nullptr);

    // The picture, held by value: a copy is the clone's own.
    const QImage& Picture() const { return FPicture; }
    void SetPicture(const QImage& v);

    bool Center() const { return FCenter; }
    void SetCenter(bool v);
    bool Proportional() const { return FProportional; }
    void SetProportional(bool v);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    // The control takes the picture's size when set (and whenever the picture changes).
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    bool IncrementalDisplay() const { return FIncrementalDisplay; }
    void SetIncrementalDisplay(bool v) { FIncrementalDisplay = v; }

    // Where the picture lands inside the control.
    QRect PictureRect() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

protected:
    void MouseClick() override;
    void MouseDoubleClick() override;
    void paintEvent(QPaintEvent* e) override;

private:
    void Prepare();

    QImage FPicture;
    QImage FDrawn; // the picture as painted (transparent colour removed)
    bool FCenter = false;
    bool FProportional = false;
    bool FStretch = false;
    bool FTransparent = false;
    bool FAutoSize = false;
    bool FIncrementalDisplay = false;
};
