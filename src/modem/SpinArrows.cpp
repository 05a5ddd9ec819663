#include "modem/SpinArrows.h"

#include <QAbstractSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace {

QStyleOptionSpinBox optionOf(const QAbstractSpinBox *spin) {
    QStyleOptionSpinBox opt;
    opt.initFrom(spin);
    opt.frame = spin->hasFrame();
    opt.buttonSymbols = spin->buttonSymbols();
    opt.subControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField;
    if (spin->buttonSymbols() != QAbstractSpinBox::NoButtons)
        opt.subControls |= QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    opt.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    return opt;
}

} // namespace

SpinArrow spinArrowAt(const QAbstractSpinBox *spin, QPoint pos) {
    const QStyleOptionSpinBox opt = optionOf(spin);
    switch (spin->style()->hitTestComplexControl(QStyle::CC_SpinBox, &opt, pos, spin)) {
    case QStyle::SC_SpinBoxUp:
        return SpinArrow::Up;
    case QStyle::SC_SpinBoxDown:
        return SpinArrow::Down;
    default:
        return SpinArrow::None;
    }
}

QRect spinArrowRect(const QAbstractSpinBox *spin, SpinArrow arrow) {
    if (arrow == SpinArrow::None)
        return QRect();
    const QStyleOptionSpinBox opt = optionOf(spin);
    return spin->style()->subControlRect(
        QStyle::CC_SpinBox, &opt, arrow == SpinArrow::Up ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown,
        spin);
}
