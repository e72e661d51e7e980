#pragma once

#include <QString>
#include <memory>
#include <optional>

// Plays sound files through libcanberra and waits for their end with a
// deadline: the file's own length plus a margin, so a device that never
// reports the end cannot keep the program waiting.
class CanberraPlayer
{
public:
    enum class Outcome { File, Alert, Beep };

    CanberraPlayer();
    ~CanberraPlayer();
    CanberraPlayer(const CanberraPlayer&) = delete;
    CanberraPlayer& operator=(const CanberraPlayer&) = delete;

    // The file to its end; failing that the theme's "alarm-clock-elapsed";
    // failing that QApplication::beep(). Says which of them sounded.
    Outcome play(const QString& file);

    // The playing time of a PCM WAV file from its header, in milliseconds;
    // nullopt when the file is not one.
    static std::optional<int> wavLength(const QString& file);

    static constexpr int kMarginMs = 2000;
    // For files whose length the header does not tell, and for theme sounds.
    static constexpr int kUnknownLengthMs = 8000;

private:
    struct Context;
    bool playAndWait(bool themeEvent, const QString& what, int deadlineMs);

    std::unique_ptr<Context> m_context;
};
