#pragma once
// Where the arrow buttons of a spin box are. The tuning page's spins act on
// a click of an arrow, not on every change of their value (typing a number
// calls nothing), so their presses are told apart by position.

#include <QRect>

class QAbstractSpinBox;

enum class SpinArrow { None, Up, Down };

SpinArrow spinArrowAt(const QAbstractSpinBox *spin, QPoint pos);
QRect spinArrowRect(const QAbstractSpinBox *spin, SpinArrow arrow);
