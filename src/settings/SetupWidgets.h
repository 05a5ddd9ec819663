#pragma once
// Small controls of the setup dialog.

#include <QGroupBox>
#include <QLabel>
#include <QStringList>

class QButtonGroup;

// A titled group of radio buttons with one selected item, like a classic radio group.
// Choosing an item (by the operator or through setItemIndex) emits itemClicked.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString &title, const QStringList &items, QWidget *parent = nullptr);
    int itemIndex() const;
    // Selects item i (-1: none) and reports it like a click when it changes.
    void setItemIndex(int i);
    int count() const;
    class QRadioButton *button(int i) const;

signals:
    void itemClicked(int index);

private:
    QButtonGroup *m_group;
};

// A panel that reacts to a click: the colour and font "buttons", and the previews.
class TClickPanel : public QLabel {
    Q_OBJECT
public:
    explicit TClickPanel(const QString &caption, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(class QMouseEvent *e) override;
};
