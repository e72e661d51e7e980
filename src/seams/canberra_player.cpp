#include "canberra_player.h"

#include "canberra_library.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>

namespace {

// ALSA reports a missing sound card on stderr on every attempt; the program
// falls back to other sounds instead, so the noise only worries users.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

// One sound being played: the end is reported on libcanberra's own thread.
struct Waiter
{
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    int error = CA_SUCCESS;
};

void finished(ca_context*, uint32_t, int error, void* data)
{
    auto* waiter = static_cast<Waiter*>(data);
    const std::lock_guard<std::mutex> lock(waiter->mutex);
    waiter->done = true;
    waiter->error = error;
    waiter->ended.notify_all();
}

quint32 readU32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 readU16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

} // namespace

struct CanberraPlayer::Context
{
    ca_context* handle = nullptr;
    uint32_t nextId = 1;
    // Kept until the context is gone: a callback may still come for a sound
    // whose deadline passed.
    std::list<Waiter> waiters;
};

CanberraPlayer::CanberraPlayer() = default;

CanberraPlayer::~CanberraPlayer()
{
    if (m_context && m_context->handle)
        CanberraLibrary::get().ca_context_destroy(m_context->handle);
}

std::optional<int> CanberraPlayer::wavLength(const QString& file)
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = input.read(64 * 1024);
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    quint32 byteRate = 0;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint32 size = readU32(bytes, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt " && body + 16 <= bytes.size()) {
            if (readU16(bytes, body) != 1) // PCM only: others have no fixed byte rate
                return std::nullopt;
            byteRate = readU32(bytes, body + 8);
        } else if (id == "data") {
            if (byteRate == 0)
                return std::nullopt;
            // A header that promises more than the file holds: the file decides.
            const qint64 held = qMin<qint64>(size, input.size() - body);
            return int(held * 1000 / byteRate);
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

bool CanberraPlayer::playAndWait(bool themeEvent, const QString& what, int deadlineMs)
{
    const CanberraLibrary& api = CanberraLibrary::get();
    // Without the library the caller falls back to the desktop's beep.
    if (!api.loaded())
        return false;
    if (!m_context) {
        if (api.snd_lib_error_set_handler)
            api.snd_lib_error_set_handler(quietAlsa);
        m_context = std::make_unique<Context>();
        if (api.ca_context_create(&m_context->handle) != CA_SUCCESS) {
            m_context->handle = nullptr;
            return false;
        }
        api.ca_context_change_props(m_context->handle, CA_PROP_APPLICATION_NAME, "Quillarbor", nullptr);
    }
    if (!m_context->handle)
        return false;

    ca_proplist* properties = nullptr;
    if (api.ca_proplist_create(&properties) != CA_SUCCESS)
        return false;
    const QByteArray name = themeEvent ? what.toUtf8() : QFile::encodeName(what);
    api.ca_proplist_sets(properties, themeEvent ? CA_PROP_EVENT_ID : CA_PROP_MEDIA_FILENAME,
                         name.constData());
    api.ca_proplist_sets(properties, CA_PROP_CANBERRA_CACHE_CONTROL, "never");

    Waiter& waiter = m_context->waiters.emplace_back();
    const auto entry = std::prev(m_context->waiters.end());
    const uint32_t id = m_context->nextId++;
    const int started = api.ca_context_play_full(m_context->handle, id, properties, finished, &waiter);
    api.ca_proplist_destroy(properties);
    if (started != CA_SUCCESS) {
        // No callback comes for a sound that never started.
        m_context->waiters.erase(entry);
        return false;
    }

    std::unique_lock<std::mutex> lock(waiter.mutex);
    const bool ended =
        waiter.ended.wait_for(lock, std::chrono::milliseconds(deadlineMs), [&] { return waiter.done; });
    const int error = waiter.error;
    lock.unlock();
    if (!ended) {
        api.ca_context_cancel(m_context->handle, id);
        return true; // it did sound, for as long as anyone should wait
    }
    m_context->waiters.erase(entry);
    return error == CA_SUCCESS;
}

CanberraPlayer::Outcome CanberraPlayer::play(const QString& file)
{
    const QFileInfo info(file);
    if (info.isFile() && info.isReadable()) {
        const int length = wavLength(file).value_or(kUnknownLengthMs);
        if (playAndWait(false, info.absoluteFilePath(), length + kMarginMs))
            return Outcome::File;
    }
    if (playAndWait(true, QStringLiteral("alarm-clock-elapsed"), kUnknownLengthMs))
        return Outcome::Alert;
    QApplication::beep();
    return Outcome::Beep;
}
