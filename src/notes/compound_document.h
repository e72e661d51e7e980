#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

// OLE compound documents (structured storage) in memory, written and read
// with libgsf. Only the streams of the root storage are used here.
namespace CompoundDocument {

struct Stream
{
    QByteArray name; // as stored, e.g. "\001Ole"
    QByteArray data;
};

struct Document
{
    QByteArray classId; // 16 bytes, as stored in the root entry
    QList<Stream> streams;

    // The stream of that name, or nullopt when the document has none.
    std::optional<QByteArray> stream(const QByteArray& name) const;
};

// The document's bytes handed to sink in one piece; false with the reason
// when libgsf or the sink fails.
bool write(const Document& document, const std::function<bool(const char* bytes, qint64 size)>& sink,
           QString* error = nullptr);
// The document as bytes; nullopt with the reason when libgsf fails.
std::optional<QByteArray> write(const Document& document, QString* error = nullptr);

// The root's streams (storages below the root are passed over); nullopt
// when the bytes are no compound document.
std::optional<Document> read(const QByteArray& bytes, QString* error = nullptr);

// A stream larger than this is not read: bad input must not exhaust memory.
inline constexpr qint64 kMaxStreamSize = 512LL * 1024 * 1024;

} // namespace CompoundDocument
