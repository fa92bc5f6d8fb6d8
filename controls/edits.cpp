#include "controls/edits.h"

#include "util/uStrUtils.h"

#include <QFontMetrics>
#include <QLineEdit>

#include <cfloat>
#include <climits>
#include <cmath>

namespace {

// Qt's unlimited text length.
constexpr int QtNoLimit = 32767;

void FillBase(QWidget* w, const TColor& c) {
    QPalette p = w->palette();
    if (c.isValid())
        p.setColor(QPalette::Base, c);
    else
        p.setColor(QPalette::Base,
                   w->style() ? w->style()->standardPalette().color(QPalette::Base) : Qt::white);
    w->setPalette(p);
    w->update();
}

} // namespace

// ---- TEdit

TEdit::TEdit(dp::TOwner* Owner) : TControl<QLineEdit>(Owner) {
    setGeometry(0, 0, 121, 21);
    ApplyFont();
    connect(this, &QLineEdit::textChanged, this, [this](const QString&) { Fire(OnChange); });
}

void TEdit::SetAutoSize(bool v) {
    FAutoSize = v;
    AdjustHeight();
}

void TEdit::SetMaxLength(int v) {
    FMaxLength = std::max(0, v);
    setMaxLength(FMaxLength > 0 ? FMaxLength : QtNoLimit);
}

void TEdit::AdjustHeight() {
    // The frame and margins around one line of text: 21 pixels for the 11-pixel window font.
    if (FAutoSize) SetHeight(QFontMetrics(font()).height() + 8);
}

void TEdit::ApplyFont() {
    TControl<QLineEdit>::ApplyFont();
    AdjustHeight();
}

void TEdit::ApplyColor() {
    FillBase(this, Color());
}

void TEdit::focusOutEvent(QFocusEvent* e) {
    QPointer<QObject> alive(this);
    QLineEdit::focusOutEvent(e);
    if (alive) Fire(OnExit);
}

// ---- TSpinEdit

TSpinEdit::TSpinEdit(dp::TOwner* Owner) : TControl<QSpinBox>(Owner) {
    setGeometry(0, 0, 121, 22);
    ApplyFont();
    ApplyRange();
    connect(this, &QSpinBox::valueChanged, this, [this](int) { Fire(OnChange); });
}

void TSpinEdit::ApplyRange() {
    if (FMinValue < FMaxValue)
        setRange(FMinValue, FMaxValue);
    else
        setRange(INT_MIN, INT_MAX);
}

void TSpinEdit::SetMinValue(int v) {
    FMinValue = v;
    ApplyRange();
}

void TSpinEdit::SetMaxValue(int v) {
    FMaxValue = v;
    ApplyRange();
}

void TSpinEdit::SetIncrement(int v) {
    FIncrement = v;
    setSingleStep(v);
}

void TSpinEdit::SetMaxLength(int v) {
    FMaxLength = std::max(0, v);
    lineEdit()->setMaxLength(FMaxLength > 0 ? FMaxLength : QtNoLimit);
}

void TSpinEdit::ApplyColor() {
    FillBase(this, Color());
}

void TSpinEdit::focusOutEvent(QFocusEvent* e) {
    QPointer<QObject> alive(this);
    QSpinBox::focusOutEvent(e);
    if (alive) Fire(OnExit);
}

// ---- TFloatSpinEdit

TFloatSpinEdit::TFloatSpinEdit(dp::TOwner* Owner) : TControl<QDoubleSpinBox>(Owner) {
    setGeometry(0, 0, 121, 22);
    ApplyFont();
    SetPrecision(FPrecision);
    ApplyRange();
    connect(this, &QDoubleSpinBox::valueChanged, this, [this](double) { Fire(OnChange); });
}

const QStringList& TFloatSpinEdit::UnitNames() {
    static const QStringList names = {QStringLiteral("В"),  QStringLiteral("мВ"), QStringLiteral("А"),
                                      QStringLiteral("мА"), QStringLiteral("Вт"), QStringLiteral("Ом"),
                                      QStringLiteral("км"), QStringLiteral("мм")};
    return names;
}

void TFloatSpinEdit::ApplyRange() {
    if (FMinValue < FMaxValue)
        setRange(static_cast<double>(FMinValue), static_cast<double>(FMaxValue));
    else
        setRange(-DBL_MAX, DBL_MAX);
}

void TFloatSpinEdit::SetMinValue(long double v) {
    FMinValue = v;
    ApplyRange();
}

void TFloatSpinEdit::SetMaxValue(long double v) {
    FMaxValue = v;
    ApplyRange();
}

void TFloatSpinEdit::SetIncrement(long double v) {
    FIncrement = v;
    setSingleStep(static_cast<double>(v));
}

void TFloatSpinEdit::SetMaxLength(int v) {
    FMaxLength = std::max(0, v);
    lineEdit()->setMaxLength(FMaxLength > 0 ? FMaxLength : QtNoLimit);
}

QString TFloatSpinEdit::UnitName() const {
    const int unit = FCurrentUnit >= 0 ? FCurrentUnit : FDefaultUnit;
    return unit >= 0 && unit < UnitNames().size() ? UnitNames()[unit] : QString();
}

void TFloatSpinEdit::ApplyUnit() {
    const QString name = UnitName();
    setSuffix(name.isEmpty() ? QString() : QStringLiteral(" ") + name);
}

void TFloatSpinEdit::SetCurrentUnit(int v) {
    FCurrentUnit = v;
    ApplyUnit();
}

void TFloatSpinEdit::SetDefaultUnit(int v) {
    FDefaultUnit = v;
    ApplyUnit();
}

void TFloatSpinEdit::SetPrecision(int v) {
    FPrecision = v;
    // Qt keeps the value to its number of decimals; coarser steps are rounded in SetValue.
    setDecimals(std::clamp(-v, 0, 15));
}

void TFloatSpinEdit::SetDigRound(int v) {
    FDigRound = v;
    // Redraws the text of the current value in the new format.
    setValue(value());
    lineEdit()->setText(textFromValue(value()) + suffix());
}

void TFloatSpinEdit::SetValue(double v) {
    if (FPrecision > 0 && std::isfinite(v)) {
        const double step = std::pow(10.0, FPrecision);
        v = std::nearbyint(v / step) * step;
    }
    setValue(v);
}

QString TFloatSpinEdit::textFromValue(double v) const {
    QString text;
    if (FDigRound >= 0) {
        text = QString::number(v, 'f', std::min(FDigRound, 15));
        text.replace(QLatin1Char('.'), QLatin1Char(dp::DecimalSeparator()));
    } else {
        text = QString::fromStdString(dp::FormatGeneral(v));
    }
    return text;
}

double TFloatSpinEdit::valueFromText(const QString& text) const {
    QString t = text;
    if (!suffix().isEmpty() && t.endsWith(suffix())) t.chop(suffix().size());
    double v = 0;
    if (dp::TryStrToFloatDot(t.trimmed().toStdString(), v)) return v;
    return value();
}

QValidator::State TFloatSpinEdit::validate(QString& input, int&) const {
    QString t = input;
    if (!suffix().isEmpty() && t.endsWith(suffix())) t.chop(suffix().size());
    t = t.trimmed();
    double v = 0;
    if (dp::TryStrToFloatDot(t.toStdString(), v))
        return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
    for (QChar c : t)
        if (!c.isDigit() && !QStringLiteral("+-eE.,").contains(c)) return QValidator::Invalid;
    return QValidator::Intermediate;
}

void TFloatSpinEdit::ApplyColor() {
    FillBase(this, Color());
}

void TFloatSpinEdit::focusOutEvent(QFocusEvent* e) {
    QPointer<QObject> alive(this);
    QDoubleSpinBox::focusOutEvent(e);
    if (alive) Fire(OnExit);
}

// ---- TComboBox

TComboBox::TComboBox(dp::TOwner* Owner) : TControl<QComboBox>(Owner) {
    setGeometry(0, 0, 145, 21);
    ApplyFont();
    connect(this, &QComboBox::activated, this, [this](int) { Fire(OnChange); });
    SetStyle(csDropDown);
}

void TComboBox::SetStyle(TComboBoxStyle v) {
    FStyle = v;
    const bool editable = v != csDropDownList && v != csOwnerDrawFixed && v != csOwnerDrawVariable;
    if (editable == isEditable()) return;
    setEditable(editable);
    if (editable) {
        setInsertPolicy(QComboBox::NoInsert);
        connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString&) { Fire(OnChange); });
    }
}

QStringList TComboBox::Items() const {
    QStringList items;
    for (int i = 0; i < count(); ++i) items << itemText(i);
    return items;
}

void TComboBox::SetItems(const QStringList& v) {
    clear();
    addItems(v);
    setCurrentIndex(-1);
}

void TComboBox::SetItemIndex(int v) {
    setCurrentIndex(v >= 0 && v < count() ? v : -1);
}

void TComboBox::ApplyColor() {
    FillBase(this, Color());
}
