#include "output/print_window.h"

#include <QPainter>
#include <QPrinter>
#include <QWidget>

#include <cmath>
#include <stdexcept>

namespace dp {
namespace {

// Names what refused the job: the output file when printing into one, the printer otherwise.
std::string JobNotStartedMessage(const QPrinter& printer) {
    if (!printer.outputFileName().isEmpty())
        return "The print job could not be started: the file \"" + printer.outputFileName().toStdString() +
               "\" cannot be written";
    return "The print job could not be started on the printer \"" + printer.printerName().toStdString() +
           "\"";
}

// Records w and, above it, its visible descendants in their stacking order, each clipped to what its
// ancestors show of it (clip and offset in the recorded window's coordinates). Every widget paints
// into a picture of its own that is then replayed at its place, so text stays text and the clipping
// of each widget is part of the recording.
void RecordWidget(QPainter& painter, QWidget& w, QPoint offset, const QRect& clip) {
    QPicture own;
    w.render(&own, QPoint(), QRegion(w.rect()), {});
    painter.save();
    painter.setClipRect(clip);
    painter.translate(offset);
    painter.drawPicture(0, 0, own);
    painter.restore();
    for (QObject* object : w.children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child == nullptr || child->isWindow() || child->isHidden()) continue;
        const QPoint childOffset = offset + child->pos();
        const QRect childClip = clip & QRect(childOffset, child->size());
        if (childClip.isEmpty()) continue;
        RecordWidget(painter, *child, childOffset, childClip);
    }
}

} // namespace

QPicture RecordClientArea(QWidget& window) {
    QPicture picture;
    QPainter painter(&picture);
    const QRect client(QPoint(0, 0), window.size());
    painter.fillRect(client, window.palette().color(window.backgroundRole()));
    RecordWidget(painter, window, QPoint(0, 0), client);
    painter.end();
    // The picture covers the client area exactly, whatever its drawings' own extent.
    picture.setBoundingRect(client);
    return picture;
}

QSize PrintedSize(QSize pictureSize, int printerDpiX, int printerDpiY, int windowDpi) {
    const auto scaled = [windowDpi](int pixels, int dpi) {
        return static_cast<int>(std::nearbyint(static_cast<double>(pixels) * dpi / windowDpi));
    };
    return {scaled(pictureSize.width(), printerDpiX), scaled(pictureSize.height(), printerDpiY)};
}

void PrintWindow(QWidget& window, QPrinter& printer) {
    const QPicture picture = RecordClientArea(window);
    const QSize pictureSize = window.size();
    const int windowDpi = window.logicalDpiX() > 0 ? window.logicalDpiX() : 96;

    printer.setDocName(QString());
    printer.setFullPage(false); // the painter's origin is the printable area's top-left
    if (printer.printerState() == QPrinter::Error)
        throw std::runtime_error("The printer is not ready: the print job cannot be started");

    QPainter painter;
    if (!painter.begin(&printer)) throw std::runtime_error(JobNotStartedMessage(printer));
    const QSize printed = PrintedSize(pictureSize, printer.logicalDpiX(), printer.logicalDpiY(), windowDpi);
    // Beyond the printed size nothing is drawn; beyond the printable area the page cuts it off.
    painter.setClipRect(QRect(QPoint(0, 0), printed));
    // A picture replays scaled by the device's resolution over its own; the rest of the scale is ours.
    const double replayX = static_cast<double>(printer.logicalDpiX()) / picture.logicalDpiX();
    const double replayY = static_cast<double>(printer.logicalDpiY()) / picture.logicalDpiY();
    painter.scale(static_cast<double>(printed.width()) / pictureSize.width() / replayX,
                  static_cast<double>(printed.height()) / pictureSize.height() / replayY);
    painter.drawPicture(0, 0, picture);
    const bool ended = painter.end();
    if (!ended || printer.printerState() == QPrinter::Error)
        throw std::runtime_error("The printing service reported an error: the page was not printed");
}

} // namespace dp
