#pragma once
// The schematic screenshot: the visible strip of the schematic read from the screen and saved as a
// JPEG file, by default in the current directory under a name made from the number of regenerators.
#include <QImage>
#include <QRect>
#include <QString>

class QWidget;
class TSaveDialog;

namespace dp {

// What a screenshot is taken of, and the dialog that names the file.
struct TScreenshotSource {
    QWidget* Window = nullptr;          // the window, shown on the screen
    const QWidget* Schematic = nullptr; // the schematic's scroll box in it: the strip lies inside
    int NumRegs = 0;                    // the number of regenerators, for the default name
    TSaveDialog* SaveDialog = nullptr;  // asks for the name; proposes the one chosen last
};

// The default file name of a screenshot: dir + separator + "SCR_" + numRegs + "R.jpg".
QString DefaultScreenshotName(const QString& dir, int numRegs);

// The strip of the schematic that the screenshot holds, in the window's (client) coordinates: it
// starts 8 pixels right and 9 down from the top-left of the scroll box's client area and is
// (scroll box width - 16) x (scroll box height - 96) pixels, which ends above the group boxes.
QRect ScreenshotRect(const QWidget& window, const QWidget& schematic);

// How the pixels of the strip were obtained.
enum class TGrabSource {
    Screen, // read back from the screen, one image pixel per screen pixel
    Window  // the window painted the strip itself (no readable screen: Wayland, offscreen)
};

// The pixels of strip (in window's coordinates) as the screen shows them, where the windowing system
// lets the program read the screen; the window's own rendering of the same strip elsewhere. The
// image has one pixel per device pixel. source, when given, says which way was taken.
QImage GrabScreenshotStrip(QWidget& window, const QRect& strip, TGrabSource* source = nullptr);

// The screenshot: the name (asked for when ask is true; a cancelled dialog ends it silently), the
// strip as the window shows it once the dialog is gone, the JPEG file and a message box with the
// outcome.
void MakeScreenshot(const TScreenshotSource& source, bool ask);

} // namespace dp
