#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QStringList>

// The program's pictures: the 26 small icons of the tool bar, menus and status bar, the
// five waterfall cursors, the tray animation and the application icon.
//
// Everything is rendered on first use and kept, so the getters are cheap to call again.
// Use them from the GUI thread only, once a QGuiApplication exists.
class AppImages {
public:
    // Icon numbers, in the order the main window's image list has always used.
    enum Icon {
        Stop = 0,
        SoundCardOff,
        SoundCardOn,
        Transmit,
        Tune,
        CWIdentification,
        MacroEditor,
        MacroWizard,
        SendTextFile,
        Rewind,
        AudioProperties,
        InputLevel,
        OutputLevel,
        Setup,
        Clear,
        About,
        Help,
        ContextHelp,
        Exit,
        Copy,
        Paste,
        WebAddress,
        Information,
        Warning,
        InternetSearch,
        Globe,
    };

    static constexpr int IconCount = 26;
    static constexpr int IconSize = 21;
    static constexpr int CursorCount = 5;
    static constexpr int HandCursor = 1; // CRMAIN, the pointing hand
    static constexpr int CursorSize = 32;
    static constexpr int TrayFrameCount = 20;
    static constexpr int TrayFrameSize = 16;

    // Icon n (0..25); any other number gives an empty icon.
    static QIcon icon(int n);
    // Icon n as a 21 x 21 (logical) pixmap for the given device pixel ratio; null when n
    // is out of range.
    static QPixmap pixmap(int n, qreal devicePixelRatio = 1.0);

    // Waterfall cursor 1..5 (CRMAIN, CRPSK, CRFLECHE, CRCROIX, CRSPLIT) with its hot
    // spot; any other number gives the ordinary arrow.
    static QCursor cursor(int number);
    // Resource names of cursors 1..5, in that order.
    static QStringList cursorResourceNames();

    // Frame k (0..19) of the tray animation, 16 x 16; null when k is out of range.
    static QPixmap trayFrame(int k);

    static QIcon appIcon();
};
