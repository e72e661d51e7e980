// libgsf pulls in GLib, whose headers use names Qt defines as macros: they
// come first.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include "compound_document.h"

#include <QtEndian>
#include <memory>
#include <mutex>

namespace CompoundDocument {

namespace {

void ignoreMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        // A damaged document is refused through the return values; libgsf's
        // own complaints about it would only fill the terminal.
        for (const char* domain : {"libgsf:msole", static_cast<const char*>(nullptr)})
            g_log_set_handler(
                domain, GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_MESSAGE),
                ignoreMessage, nullptr);
    });
}

struct Unref
{
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using Owned = std::unique_ptr<T, Unref>;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString gerrorText(GError* failure)
{
    const QString text = failure && failure->message ? QString::fromUtf8(failure->message) : QString();
    if (failure)
        g_error_free(failure);
    return text;
}

// The root entry of the directory may not have siblings: it is the only
// entry at the top. libgsf follows such links all the same and builds
// entries for them that it hangs nowhere and never frees, so a document
// that has them is refused before libgsf sees it.
bool rootHasSiblings(const QByteArray& bytes)
{
    constexpr qsizetype kHeaderSize = 512;
    constexpr qsizetype kEntrySize = 128;
    constexpr quint32 kLastEntry = 0xFFFFFFF9; // the higher numbers mark "none"
    if (bytes.size() < kHeaderSize)
        return false;
    const auto* raw = reinterpret_cast<const uchar*>(bytes.constData());
    const quint16 shift = qFromLittleEndian<quint16>(raw + 30);
    const quint32 firstSector = qFromLittleEndian<quint32>(raw + 48);
    if (shift < 6 || shift > 30 || firstSector > kLastEntry)
        return false; // libgsf refuses these itself
    const qint64 root = qMax<qint64>(kHeaderSize, qint64(1) << shift) + (qint64(firstSector) << shift);
    if (root + kEntrySize > bytes.size())
        return false;
    for (const int link : {68, 72}) { // the left and the right sibling
        const quint32 entry = qFromLittleEndian<quint32>(raw + root + link);
        if (entry != 0 && entry <= kLastEntry)
            return true;
    }
    return false;
}

} // namespace

std::optional<QByteArray> Document::stream(const QByteArray& name) const
{
    for (const Stream& each : streams)
        if (each.name == name)
            return each.data;
    return std::nullopt;
}

bool write(const Document& document, const std::function<bool(const char*, qint64)>& sink, QString* error)
{
    initialiseOnce();
    Owned<GsfOutput> memory(gsf_output_memory_new());
    Owned<GsfOutfile> storage(gsf_outfile_msole_new(memory.get()));
    if (!storage) {
        setError(error, QStringLiteral("libgsf не создала составной документ"));
        return false;
    }
    if (document.classId.size() == 16)
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(storage.get()),
                                       reinterpret_cast<const guint8*>(document.classId.constData()));
    bool written = true;
    for (const Stream& each : document.streams) {
        Owned<GsfOutput> child(gsf_outfile_new_child(storage.get(), each.name.constData(), FALSE));
        if (!child) {
            written = false;
            break;
        }
        written = gsf_output_write(child.get(), size_t(each.data.size()),
                                   reinterpret_cast<const guint8*>(each.data.constData()));
        // Closing writes the stream's entry; an unclosed one is lost.
        written = gsf_output_close(child.get()) && written;
        if (!written)
            break;
    }
    // Without this close the directory is never written.
    written = gsf_output_close(GSF_OUTPUT(storage.get())) && written;
    if (!written) {
        setError(error, QStringLiteral("libgsf не записала составной документ"));
        return false;
    }
    const gsf_off_t size = gsf_output_size(memory.get());
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get()));
    if (!bytes || size <= 0) {
        setError(error, QStringLiteral("составной документ пуст"));
        return false;
    }
    return sink(reinterpret_cast<const char*>(bytes), qint64(size));
}

std::optional<QByteArray> write(const Document& document, QString* error)
{
    QByteArray out;
    const bool written = write(
        document,
        [&out](const char* bytes, qint64 size) {
            out = QByteArray(bytes, qsizetype(size));
            return true;
        },
        error);
    return written ? std::optional<QByteArray>(out) : std::nullopt;
}

std::optional<Document> read(const QByteArray& bytes, QString* error)
{
    initialiseOnce();
    if (bytes.isEmpty()) {
        setError(error, QStringLiteral("нет данных"));
        return std::nullopt;
    }
    if (rootHasSiblings(bytes)) {
        setError(error, QStringLiteral("не составной документ"));
        return std::nullopt;
    }
    Owned<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.constData()),
                                               gsf_off_t(bytes.size()), FALSE));
    GError* failure = nullptr;
    Owned<GsfInfile> storage(gsf_infile_msole_new(input.get(), &failure));
    if (!storage) {
        const QString reason = gerrorText(failure);
        setError(error, reason.isEmpty() ? QStringLiteral("не составной документ") : reason);
        return std::nullopt;
    }
    if (failure)
        g_error_free(failure);

    Document document;
    guint8 classId[16] = {};
    if (gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(storage.get()), classId))
        document.classId = QByteArray(reinterpret_cast<const char*>(classId), 16);

    const int count = gsf_infile_num_children(storage.get());
    for (int i = 0; i < count; ++i) {
        const char* name = gsf_infile_name_by_index(storage.get(), i);
        Owned<GsfInput> child(gsf_infile_child_by_index(storage.get(), i));
        if (!name || !child)
            continue;
        // Storages have children of their own; only streams are read.
        if (GSF_IS_INFILE(child.get()) && gsf_infile_num_children(GSF_INFILE(child.get())) >= 0)
            continue;
        const gsf_off_t size = gsf_input_size(child.get());
        if (size < 0 || size > kMaxStreamSize) {
            setError(error, QStringLiteral("поток «%1» слишком велик").arg(QString::fromUtf8(name)));
            return std::nullopt;
        }
        QByteArray data(qsizetype(size), Qt::Uninitialized);
        if (size > 0 && !gsf_input_read(child.get(), size_t(size), reinterpret_cast<guint8*>(data.data()))) {
            setError(error, QStringLiteral("поток «%1» не читается").arg(QString::fromUtf8(name)));
            return std::nullopt;
        }
        document.streams.append({QByteArray(name), data});
    }
    return document;
}

} // namespace CompoundDocument
