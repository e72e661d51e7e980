// libgsf pulls in GLib, whose headers use names Qt defines as macros: they
// come first. The type-checking casts would call into GObject, which is
// loaded with libgsf on first use: casts here are plain.
#define G_DISABLE_CAST_CHECKS
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
#include "lazy_library.h"

#include <QLibrary>
#include <QtEndian>
#include <memory>

namespace CompoundDocument {

namespace {

// libgsf and the GObject, GIO and XML libraries it brings are loaded when the
// first idea is read or written, not with the program.
#define QUILL_GSF_ENTRIES(X)                                                                                 \
    X(g_error_free)                                                                                          \
    X(g_log_set_handler)                                                                                     \
    X(g_object_unref)                                                                                        \
    X(g_type_check_instance_is_a)                                                                            \
    X(gsf_infile_child_by_index)                                                                             \
    X(gsf_infile_get_type)                                                                                   \
    X(gsf_infile_msole_get_class_id)                                                                         \
    X(gsf_infile_msole_new)                                                                                  \
    X(gsf_infile_name_by_index)                                                                              \
    X(gsf_infile_num_children)                                                                               \
    X(gsf_init)                                                                                              \
    X(gsf_input_memory_new)                                                                                  \
    X(gsf_input_read)                                                                                        \
    X(gsf_input_size)                                                                                        \
    X(gsf_outfile_msole_new)                                                                                 \
    X(gsf_outfile_msole_set_class_id)                                                                        \
    X(gsf_outfile_new_child)                                                                                 \
    X(gsf_output_close)                                                                                      \
    X(gsf_output_memory_get_bytes)                                                                           \
    X(gsf_output_memory_new)                                                                                 \
    X(gsf_output_size)                                                                                       \
    X(gsf_output_write)

struct GsfLibrary
{
    QUILL_GSF_ENTRIES(QUILL_LAZY_ENTRY)
    QString error;

    bool loaded() const { return gsf_output_write != nullptr; }
};

void ignoreMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// Loaded and initialised once, from whichever thread asks first.
const GsfLibrary& gsf()
{
    static const GsfLibrary library = [] {
        GsfLibrary entries;
        QLibrary file(QStringLiteral("gsf-1"), 114);
        if (!file.load()) {
            entries.error = LazyLibrary::failure(QStringLiteral("libgsf"), file.errorString());
            return entries;
        }
        if (!(true QUILL_GSF_ENTRIES(QUILL_LAZY_RESOLVE))) {
            GsfLibrary failed;
            failed.error = LazyLibrary::failure(QStringLiteral("libgsf"), QStringLiteral("нет всех функций"));
            return failed;
        }
        entries.gsf_init();
        // A damaged document is refused through the return values; libgsf's
        // own complaints about it would only fill the terminal.
        for (const char* domain : {"libgsf:msole", static_cast<const char*>(nullptr)})
            entries.g_log_set_handler(
                domain, GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_MESSAGE),
                ignoreMessage, nullptr);
        return entries;
    }();
    return library;
}

// False, with the reason, when libgsf cannot be had.
bool initialiseOnce(QString* error)
{
    if (gsf().loaded())
        return true;
    if (error)
        *error = gsf().error;
    return false;
}

struct Unref
{
    void operator()(gpointer object) const
    {
        if (object)
            gsf().g_object_unref(object);
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
        gsf().g_error_free(failure);
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
    if (!initialiseOnce(error))
        return false;
    Owned<GsfOutput> memory(gsf().gsf_output_memory_new());
    Owned<GsfOutfile> storage(gsf().gsf_outfile_msole_new(memory.get()));
    if (!storage) {
        setError(error, QStringLiteral("libgsf не создала составной документ"));
        return false;
    }
    if (document.classId.size() == 16)
        gsf().gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(storage.get()),
                                             reinterpret_cast<const guint8*>(document.classId.constData()));
    bool written = true;
    for (const Stream& each : document.streams) {
        Owned<GsfOutput> child(gsf().gsf_outfile_new_child(storage.get(), each.name.constData(), FALSE));
        if (!child) {
            written = false;
            break;
        }
        written = gsf().gsf_output_write(child.get(), size_t(each.data.size()),
                                         reinterpret_cast<const guint8*>(each.data.constData()));
        // Closing writes the stream's entry; an unclosed one is lost.
        written = gsf().gsf_output_close(child.get()) && written;
        if (!written)
            break;
    }
    // Without this close the directory is never written.
    written = gsf().gsf_output_close(GSF_OUTPUT(storage.get())) && written;
    if (!written) {
        setError(error, QStringLiteral("libgsf не записала составной документ"));
        return false;
    }
    const gsf_off_t size = gsf().gsf_output_size(memory.get());
    const guint8* bytes = gsf().gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get()));
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
    if (!initialiseOnce(error))
        return std::nullopt;
    if (bytes.isEmpty()) {
        setError(error, QStringLiteral("нет данных"));
        return std::nullopt;
    }
    if (rootHasSiblings(bytes)) {
        setError(error, QStringLiteral("не составной документ"));
        return std::nullopt;
    }
    Owned<GsfInput> input(gsf().gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.constData()),
                                                     gsf_off_t(bytes.size()), FALSE));
    GError* failure = nullptr;
    Owned<GsfInfile> storage(gsf().gsf_infile_msole_new(input.get(), &failure));
    if (!storage) {
        const QString reason = gerrorText(failure);
        setError(error, reason.isEmpty() ? QStringLiteral("не составной документ") : reason);
        return std::nullopt;
    }
    if (failure)
        gsf().g_error_free(failure);

    Document document;
    guint8 classId[16] = {};
    if (gsf().gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(storage.get()), classId))
        document.classId = QByteArray(reinterpret_cast<const char*>(classId), 16);

    const int count = gsf().gsf_infile_num_children(storage.get());
    for (int i = 0; i < count; ++i) {
        const char* name = gsf().gsf_infile_name_by_index(storage.get(), i);
        Owned<GsfInput> child(gsf().gsf_infile_child_by_index(storage.get(), i));
        if (!name || !child)
            continue;
        // Storages have children of their own; only streams are read.
        const bool isStorage = gsf().g_type_check_instance_is_a(reinterpret_cast<GTypeInstance*>(child.get()),
                                                                gsf().gsf_infile_get_type());
        if (isStorage && gsf().gsf_infile_num_children(GSF_INFILE(child.get())) >= 0)
            continue;
        const gsf_off_t size = gsf().gsf_input_size(child.get());
        if (size < 0 || size > kMaxStreamSize) {
            setError(error, QStringLiteral("поток «%1» слишком велик").arg(QString::fromUtf8(name)));
            return std::nullopt;
        }
        QByteArray data(qsizetype(size), Qt::Uninitialized);
        if (size > 0 &&
            !gsf().gsf_input_read(child.get(), size_t(size), reinterpret_cast<guint8*>(data.data()))) {
            setError(error, QStringLiteral("поток «%1» не читается").arg(QString::fromUtf8(name)));
            return std::nullopt;
        }
        document.streams.append({QByteArray(name), data});
    }
    return document;
}

} // namespace CompoundDocument
