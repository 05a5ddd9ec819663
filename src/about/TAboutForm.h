#pragma once
// The About box: credits, the installed memory scrolling on an LED board,
// and the way to the system-information report. A new box is made for each
// About command and shown modally.

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <cstdint>
#include <functional>

class QFrame;
class QPushButton;
class TLedMatrix;
class TSysInfoForm;

// A hyperlink label: navy and underlined, bold blue under the pointer; a
// left-button release over it opens the address.
class TWebLabel : public QLabel {
    Q_OBJECT
public:
    explicit TWebLabel(QWidget *parent = nullptr);
    void setAddress(const QString &address);
    QString address() const { return m_address; }
    bool isHot() const { return m_hot; }
signals:
    void activated(const QString &address);

protected:
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;

private:
    void setHot(bool hot);
    QString m_address;
    bool m_hot = false;
};

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget *parent = nullptr);

    // Where the memory figure and the opening of addresses come from; tests
    // replace them.
    std::function<uint64_t()> totalMemory;
    std::function<void(const QString &)> openAddress;

    QFrame *DisplayPanel = nullptr;
    QLabel *MAINLabel = nullptr;
    TLedMatrix *VRM = nullptr;
    QLabel *Picture = nullptr;
    QPushButton *SysInfoBtn = nullptr;
    QPushButton *OKBtn = nullptr;
    TWebLabel *WebLabel = nullptr;

    void ShowAboutForm();
    void SysInfoBtnClick();
    void CloseForm();
    // The system-information windows this box opened that are still open.
    QList<TSysInfoForm *> sysInfoWindows() const;

protected:
    void showEvent(QShowEvent *) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
