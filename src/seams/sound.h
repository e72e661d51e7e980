#pragma once

#include <QString>

// The signal sound. Playing returns only when the sound has ended, so that
// whatever follows (a reminder pop-up) comes after it; it never hangs, also
// on a machine without an audio device.
namespace Sound {

class Backend
{
public:
    virtual ~Backend() = default;
    virtual void playToEnd(const QString& file) = 0;
};

// Plays the WAV file, or the desktop's standard alert when the file cannot be
// played, or a beep when neither can.
void playToEnd(const QString& file);
void setBackend(Backend* backend); // nullptr restores the real one

} // namespace Sound
