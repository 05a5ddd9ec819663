#pragma once
// The system-information window: a plain-text report on the computer, its
// processor, operating system and memory.

#include "about/SystemInfo.h"

#include <QWidget>

class QPlainTextEdit;

class TSysInfoForm : public QWidget {
    Q_OBJECT
public:
    explicit TSysInfoForm(QWidget *owner = nullptr, const SystemSources &sources = {});
    QPlainTextEdit *SysMemo = nullptr;

private:
    void FormCreate(const SystemSources &sources);
};
