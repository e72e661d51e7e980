#include "sound.h"

#include "canberra_player.h"

namespace Sound {

namespace {

class CanberraBackend : public Backend
{
public:
    void playToEnd(const QString& file) override { m_player.play(file); }

private:
    CanberraPlayer m_player;
};

Backend* currentBackend = nullptr;

Backend& backend()
{
    if (currentBackend)
        return *currentBackend;
    // Made on first use only: a run that never plays opens no audio device.
    static CanberraBackend real;
    return real;
}

} // namespace

void playToEnd(const QString& file)
{
    backend().playToEnd(file);
}

void setBackend(Backend* replacement)
{
    currentBackend = replacement;
}

} // namespace Sound
