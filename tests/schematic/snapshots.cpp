// Pictures of the real main window with 1, 3 and 12 regenerators, unscrolled and scrolled, for
// looking at the schematic by eye: schematic_snapshots OUTPUT_DIR (run under xvfb-run or offscreen).
// The chain is built by the "+" button, as the user builds it; the settings are not read.
#include "app/Main.h"
#include "calc/regenerator.h"
#include "controls/controls.h"
#include "controls/dialogs.h"
#include "schematic/groups.h"
#include "util/uStrUtils.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <cstdio>

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool Save(QWidget& w, const QString& path) {
    Settle();
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    dp::SetDecimalSeparator(',');
    dp::InstallErrorBoxReporter();
    bool ok = true;
    for (int count : {1, 3, 12}) {
        TForm1 form;
        dp::ResetTable(form.State);
        form.State.U_RP = 310;
        form.MemoLog->clear();
        form.ButADD->Click(); // the first regenerator, with the table's values
        for (int i = 1; i < count; ++i) form.ButADD->Click();
        form.show();
        ok &= Save(form, out.filePath(QStringLiteral("schematic_%1.png").arg(count)));
        if (count == 1) {
            // The first group, four times enlarged, to check it pixel by pixel.
            const QImage group = form.grab(QRect(40, 15, 200, 165)).toImage();
            const QString path = out.filePath(QStringLiteral("schematic_1_group_x4.png"));
            const bool saved = group.scaled(group.size() * 4).save(path);
            std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
            ok &= saved;
        }
        QScrollBar* bar = form.PanelSch->horizontalScrollBar();
        if (bar->maximum() > 0) {
            bar->setValue(bar->maximum() / 2);
            ok &= Save(form, out.filePath(QStringLiteral("schematic_%1_scrolled.png").arg(count)));
            // A group added while scrolled must line up with the others.
            form.ButADD->Click();
            ok &= Save(form, out.filePath(QStringLiteral("schematic_%1_scrolled_plus.png").arg(count)));
            bar->setValue(bar->maximum());
            ok &= Save(form, out.filePath(QStringLiteral("schematic_%1_end.png").arg(count)));
        }
    }
    return ok ? 0 : 1;
}
