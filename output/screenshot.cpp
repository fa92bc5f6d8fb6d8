#include "output/screenshot.h"

#include "controls/dialog_components.h"
#include "controls/dialogs.h"
#include "output/jpeg/jpeg_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <stdexcept>

namespace dp {
namespace {

// Where the strip starts in the scroll box's client area, and how much narrower and lower it is
// than the scroll box: on the design platform these are the fixed offsets 16 and 40 from the outer
// frame, which has an 8-pixel border and a 31-pixel caption.
constexpr int kStripLeft = 8;
constexpr int kStripTop = 9;
constexpr int kStripWidthLoss = 16;
constexpr int kStripHeightLoss = 96;

// Only an X11 display lets a program read back the pixels that the screen shows.
bool CanReadScreen() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

QScreen* ScreenOf(const QWidget& window, QPoint globalPoint) {
    if (QScreen* s = QGuiApplication::screenAt(globalPoint)) return s;
    if (QScreen* s = window.screen()) return s;
    return QGuiApplication::primaryScreen();
}

} // namespace

QString DefaultScreenshotName(const QString& dir, int numRegs) {
    return dir + QDir::separator() + QStringLiteral("SCR_") + QString::number(numRegs) +
           QStringLiteral("R.jpg");
}

QRect ScreenshotRect(const QWidget& window, const QWidget& schematic) {
    const QPoint origin = schematic.mapTo(&window, QPoint(kStripLeft, kStripTop));
    return {origin, QSize(schematic.width() - kStripWidthLoss, schematic.height() - kStripHeightLoss)};
}

QImage GrabScreenshotStrip(QWidget& window, const QRect& strip, TGrabSource* source) {
    if (strip.isEmpty()) throw std::runtime_error("The schematic area is too small for a screenshot");
    if (CanReadScreen()) {
        const QPoint global = window.mapToGlobal(strip.topLeft());
        QScreen* screen = ScreenOf(window, global);
        if (screen != nullptr) {
            // The whole screen's pixels, in device-independent coordinates relative to the screen;
            // the pixmap holds the device pixels, one per screen pixel.
            const QPoint onScreen = global - screen->geometry().topLeft();
            const QPixmap pixels =
                screen->grabWindow(0, onScreen.x(), onScreen.y(), strip.width(), strip.height());
            if (!pixels.isNull()) {
                if (source != nullptr) *source = TGrabSource::Screen;
                return pixels.toImage();
            }
        }
    }
    // No readable screen: the window paints the same strip, as it shows it now.
    if (source != nullptr) *source = TGrabSource::Window;
    return window.grab(strip).toImage();
}

void MakeScreenshot(const TScreenshotSource& source, bool ask) {
    QWidget& window = *source.Window;
    QString name = DefaultScreenshotName(QDir::currentPath(), source.NumRegs);
    if (ask) {
        if (!source.SaveDialog->Execute(&window)) return;
        name = source.SaveDialog->FileName;
        // The dialog must be gone from the screen before the screen is read: the windowing system is
        // told of its closing now, the pause (which handles nothing) lets it and the window manager take
        // it away, and the window then handles the news and paints what the dialog had covered.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        Dialogs().Sleep(500);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        window.repaint();
    }

    // The strip is measured now: the window may have changed while the dialog was open.
    const QRect strip = ScreenshotRect(window, *source.Schematic);
    const QImage rgb = GrabScreenshotStrip(window, strip).convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull()) throw std::runtime_error("The screen could not be read");

    const bool written =
        WriteJpegFile(QFile::encodeName(name).toStdString(), rgb.constBits(), rgb.width(), rgb.height(),
                      static_cast<int>(rgb.bytesPerLine()), kScreenshotJpegQuality);
    if (written) {
        Dialogs().MessageBox(QStringLiteral("Файл сохранен: ") + name, QStringLiteral("Information"),
                             TMsgIcon::Information);
    } else {
        Dialogs().MessageBox(QStringLiteral("Файл не сохранен, т.к. не найден путь:") + QChar(13) + u'"' +
                                 name + u'"',
                             QStringLiteral("Warning"), TMsgIcon::Warning);
    }
}

} // namespace dp
