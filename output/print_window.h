#pragma once
// Printing the main window: one page with the window's client area at its on-screen size.
#include <QPicture>
#include <QSize>

class QPrinter;
class QWidget;

namespace dp {

// The window's client area as it appears on screen, recorded as drawing commands (text stays text):
// the window's background colour first, then the window and its visible controls.
QPicture RecordClientArea(QWidget& window);

// The printed size of a picture of pictureSize window pixels: scaled by the printer's resolution over
// the window's, rounded to whole printer dots.
QSize PrintedSize(QSize pictureSize, int printerDpiX, int printerDpiY, int windowDpi);

// Prints the window on printer as one job of one page with an empty document name: its client area
// at the top-left of the printable area, at its on-screen size; what reaches beyond the printable
// area is cut off, never shrunk. An error of the printing service throws std::runtime_error.
void PrintWindow(QWidget& window, QPrinter& printer);

} // namespace dp
