#pragma once
// The two pages of macro buttons M1..M40. A button with a caption works while
// a track is open; the pages go grey with the tracks.

#include <QObject>
#include <array>

class QPushButton;
class QTabWidget;
class QWidget;

class MacroBar : public QObject {
    Q_OBJECT
public:
    explicit MacroBar(QWidget *parent);

    QTabWidget *MacroPage = nullptr;
    QWidget *MacroSheet1 = nullptr, *MacroSheet2 = nullptr;
    std::array<QPushButton *, 40> MacroButtons{}; // M1..M40

    // The pages follow the buttons that need a track; a button with a
    // caption works while a track is open.
    void ActiveButtons(bool enable, bool haveTracks);
    // Every track closed: nothing can be sent.
    void DisableAll();
};
