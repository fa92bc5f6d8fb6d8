#include "app/uAbout.h"

#include "calc/solver.h"
#include "controls/buttons.h"
#include "controls/event_guard.h"
#include "controls/label.h"
#include "controls/window_frame.h"
#include "util/uStrUtils.h"

TFAbout* FAbout = nullptr;

namespace {

constexpr QChar CR(13);

TFont CalibriFont(int height, TFontStyles style) {
    TFont f;
    f.Name = QStringLiteral("Calibri");
    f.Height = height;
    f.Style = style;
    f.Color = TColor(); // the desktop's text colour
    f.Charset = RUSSIAN_CHARSET;
    return f;
}

} // namespace

QString BuildHelpText() {
    QString t;
    t += QStringLiteral("Надписи, выделенные жирным шрифтом, можно редактировать.") + CR;
    t += QStringLiteral("Надписи нежирным шрифтом - расчетные.") + CR;
    t += QStringLiteral("Сопротивление линии вводится 2-мя сопсобами:") + CR;
    t += QStringLiteral("• вводом непосредственно сопротивления, тогда параметры линии помечаются ") + u'"' +
         QStringLiteral("Длина линии") + u'"' + CR;
    t += QStringLiteral("• вводом длины линии и диаметра жилы, тогда сопротивление высчитывается.") + CR;
    t += QStringLiteral("   (для 2-хпарного режима)") + CR;
    t += CR;
    t += QStringLiteral("Шаг напряжения на последнем регенераторе: ") +
         QString::fromStdString(dp::FormatGeneral(dp::U_Step)) + QStringLiteral(" В") + CR;
    t += QStringLiteral("Начальное значение Uдп/2") + CR;
    t += QStringLiteral("Расчет ведется, пока напряжение на первом участке не превысит напряжение ДП.") + CR;
    t += QStringLiteral("Либо напряжение на последнем участке не превысит напряжение ДП.") + CR;
    t += CR;
    t += CR;
    return t;
}

TFAbout::TFAbout(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("О программе..."));
    setFont(dp::ToQFont(TFont{}));
    setSizeGripEnabled(false);

    LabVer = new TLabel(this);
    LabVer->SetParent(this);
    LabVer->setObjectName(QStringLiteral("LabVer"));
    LabVer->SetBounds(8, 8, 69, 15);
    LabVer->SetFont(CalibriFont(13, fsBold));
    LabVer->SetCaption(QStringLiteral("Версия  1.12"));

    LabHelp = new TLabel(this);
    LabHelp->SetParent(this);
    LabHelp->setObjectName(QStringLiteral("LabHelp"));
    LabHelp->SetBounds(8, 32, 268, 15);
    LabHelp->SetFont(CalibriFont(13, 0));
    LabHelp->SetCaption(QStringLiteral("Сопротивление линии задается 2мя способами"));

    ButClose = new TSpeedButton(this);
    ButClose->SetParent(this);
    ButClose->setObjectName(QStringLiteral("ButClose"));
    ButClose->SetBounds(200, 264, 145, 41);
    ButClose->SetFont(CalibriFont(16, 0));
    ButClose->SetCaption(QStringLiteral("Закрыть"));
    ButClose->OnClick = [this](QObject* sender) { ButCloseClick(sender); };

    // Placed at its own position, not centred: the outer frame 615 x 361 at 277, 127, whatever frame
    // the window manager draws.
    dp::KeepOuterSize(*this, QSize(615, 361));
    move(277, 127);
}

TFAbout::~TFAbout() = default;

void TFAbout::FormShow(QObject*) {
    LabHelp->SetCaption(BuildHelpText());
}

void TFAbout::ButCloseClick(QObject*) {
    reject();
}

void TFAbout::showEvent(QShowEvent* event) {
    dp::RunGuarded([this] { FormShow(this); });
    QDialog::showEvent(event);
}
