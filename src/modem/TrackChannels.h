#pragma once
// What the modem's parts need to know of the open tracks: track i is receive
// channel i of the library, shown by the edit in slot i. The track panel
// answers; the sound-card link and the tuning page ask.

class QLineEdit;

class TrackChannels {
public:
    static constexpr int TrackSlots = 25;

    virtual int activeTrack() const = 0;
    virtual int trackCount() const = 0;
    // The edit of a slot, or null when the slot is free.
    virtual QLineEdit *trackEdit(int slot) const = 0;
    // Closes every track (the sound card stopped or the operator cleared them).
    virtual void TrackTeardown() = 0;

protected:
    ~TrackChannels() = default;
};
