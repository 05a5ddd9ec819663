#pragma once
// Wall-clock time for the program. Tests replace it with a clock they set.

#include <QDateTime>

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime localNow() const { return QDateTime::currentDateTime(); }
    // The current UTC date and time (local time plus the zone's present offset).
    virtual QDateTime utcNow() const { return QDateTime::currentDateTimeUtc(); }
};

// A clock that stands still until a test moves it. It keeps the zone's offset
// from UTC itself, so local time and UTC differ wherever the test runs.
class FixedClock : public Clock {
public:
    // `local` is the wall-clock time.
    explicit FixedClock(const QDateTime &local, int utcOffsetSeconds = 0) : m_offset(utcOffsetSeconds) {
        set(local);
    }
    // A time with its own offset or zone brings that offset along; a plain
    // local time is read with the clock's offset.
    void set(const QDateTime &t) {
        if (t.timeSpec() == Qt::LocalTime) {
            m_utc = QDateTime(t.date(), t.time(), Qt::UTC).addSecs(-m_offset);
            return;
        }
        if (t.timeSpec() != Qt::UTC)
            m_offset = t.offsetFromUtc();
        m_utc = t.toUTC();
    }
    // Keeps the instant; the local wall-clock time moves with the offset.
    void setUtcOffset(int seconds) { m_offset = seconds; }
    QDateTime localNow() const override {
        const QDateTime wall = m_utc.addSecs(m_offset);
        return QDateTime(wall.date(), wall.time(), Qt::OffsetFromUTC, m_offset);
    }
    QDateTime utcNow() const override { return m_utc; }

private:
    int m_offset;
    QDateTime m_utc;
};
