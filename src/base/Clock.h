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

// A clock that stands still until a test moves it.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime local) : m_local(std::move(local)) {}
    void set(QDateTime local) { m_local = std::move(local); }
    QDateTime localNow() const override { return m_local; }
    QDateTime utcNow() const override { return m_local.toUTC(); }

private:
    QDateTime m_local;
};
