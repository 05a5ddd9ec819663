#pragma once
// A library message as it reaches the main window: the event type is
// QEvent::User + the message number (1000..1004), exactly as the window
// messages WM_USER+1000..1004 of the modem were numbered.

#include <QEvent>
#include <cstdint>

class ModemEvent : public QEvent {
public:
    static constexpr int DataReady = 1000;
    static constexpr int Character = 1001;
    static constexpr int Status = 1002;
    static constexpr int Level = 1003;
    static constexpr int ClockError = 1004;

    static QEvent::Type typeOf(int message) { return static_cast<QEvent::Type>(QEvent::User + message); }
    static bool isModemEvent(const QEvent *e) {
        return e->type() >= typeOf(DataReady) && e->type() <= typeOf(ClockError);
    }

    ModemEvent(int message, int32_t wParam, int32_t lParam)
        : QEvent(typeOf(message)), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

    int message() const { return m_message; }
    int32_t wParam() const { return m_wParam; }
    int32_t lParam() const { return m_lParam; }

private:
    int m_message;
    int32_t m_wParam;
    int32_t m_lParam;
};
