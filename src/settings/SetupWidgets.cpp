#include "SetupWidgets.h"

#include <QButtonGroup>
#include <QMouseEvent>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString &title, const QStringList &items, QWidget *parent)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 2, 2);
    layout->setSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items[i], this);
        m_group->addButton(b, i);
        layout->addWidget(b);
    }
    layout->addStretch();
    connect(m_group, &QButtonGroup::idClicked, this, &TRadioGroup::itemClicked);
}

int TRadioGroup::itemIndex() const {
    return m_group->checkedId();
}

int TRadioGroup::count() const {
    return static_cast<int>(m_group->buttons().size());
}

QRadioButton *TRadioGroup::button(int i) const {
    return qobject_cast<QRadioButton *>(m_group->button(i));
}

void TRadioGroup::setItemIndex(int i) {
    if (i == itemIndex())
        return;
    if (QAbstractButton *b = m_group->button(i)) {
        b->setChecked(true);
    } else if (QAbstractButton *checked = m_group->checkedButton()) {
        // An exclusive group keeps one button checked; clear it the long way.
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
    emit itemClicked(itemIndex());
}

TClickPanel::TClickPanel(const QString &caption, QWidget *parent) : QLabel(caption, parent) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
}

void TClickPanel::mouseReleaseEvent(QMouseEvent *e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(e);
}
