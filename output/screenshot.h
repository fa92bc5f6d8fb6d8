#pragma once
// The schematic screenshot: the visible strip of the schematic read from the screen and saved as a
// JPEG file, by default in the current directory under a name made from the number of regenerators.
#include <QImage>
#include <QRect>
#include <QString>

class TForm1;

namespace dp {

// The default file name of a screenshot: dir + separator + "SCR_" + numRegs + "R.jpg".
QString DefaultScreenshotName(const QString& dir, int numRegs);

// The strip of the schematic that the screenshot holds, in the window's (client) coordinates: it
// starts 8 pixels right and 9 down from the top-left of the scroll box's client area and is
// (scroll box width - 16) x (scroll box height - 96) pixels, which ends above the group boxes.
QRect ScreenshotRect(const TForm1& form);

// How the pixels of the strip were obtained.
enum class TGrabSource {
    Screen, // read back from the screen, one image pixel per screen pixel
    Window  // the window painted the strip itself (no readable screen: Wayland, offscreen)
};

// The pixels of the strip as the screen shows them, where the windowing system lets the program
// read the screen; the window's own rendering of the same strip elsewhere. The image has one pixel
// per device pixel. source, when given, says which way was taken.
QImage GrabScreenshotStrip(TForm1& form, TGrabSource* source = nullptr);

// The screenshot: the name (asked for when ask is true; a cancelled dialog ends it silently), the
// strip, the JPEG file and a message box with the outcome.
void MakeScreenshot(TForm1& form, bool ask);

} // namespace dp
