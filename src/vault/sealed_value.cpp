#include "sealed_value.h"

#include "sodium_library.h"

#include <QByteArray>

namespace SealedValue {

namespace {

constexpr int kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr int kTagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;

const SodiumLibrary* sodiumOrFail(QString* error)
{
    const SodiumLibrary& sodium = SodiumLibrary::get();
    if (sodium.loaded())
        return &sodium;
    if (error)
        *error = sodium.error;
    return nullptr;
}

} // namespace

bool looksSealed(const QString& stored)
{
    return stored.startsWith(kPrefix);
}

std::optional<QString> seal(const VaultKey& key, const QString& plain, const QString& associated,
                            QString* error)
{
    const SodiumLibrary* sodium = sodiumOrFail(error);
    if (!sodium)
        return std::nullopt;
    if (key.isEmpty()) {
        if (error)
            *error = QStringLiteral("ключ не открыт");
        return std::nullopt;
    }
    QByteArray text = plain.toUtf8();
    const QByteArray data = associated.toUtf8();
    QByteArray sealed(kNonceBytes + text.size() + kTagBytes, Qt::Uninitialized);
    auto* out = reinterpret_cast<unsigned char*>(sealed.data());
    sodium->randombytes_buf(out, kNonceBytes);
    unsigned long long written = 0;
    sodium->crypto_aead_xchacha20poly1305_ietf_encrypt(
        out + kNonceBytes, &written, reinterpret_cast<const unsigned char*>(text.constData()),
        static_cast<unsigned long long>(text.size()), reinterpret_cast<const unsigned char*>(data.constData()),
        static_cast<unsigned long long>(data.size()), nullptr, out, key.data());
    wipe(text);
    return kPrefix + QString::fromLatin1(sealed.toBase64());
}

namespace {

// The bytes of a value written exactly as we write it: the prefix, then
// padded standard base64 of at least a nonce and a tag.
std::optional<QByteArray> sealedBytes(const QString& stored)
{
    if (!looksSealed(stored))
        return std::nullopt;
    const QByteArray text = stored.mid(kPrefix.size()).toLatin1();
    const auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    // Only the one spelling is ours: no missing padding, no other alphabet.
    if (!decoded || decoded.decoded.size() < kNonceBytes + kTagBytes || decoded.decoded.toBase64() != text)
        return std::nullopt;
    return decoded.decoded;
}

} // namespace

bool isWellFormed(const QString& stored)
{
    return sealedBytes(stored).has_value();
}

std::optional<QString> open(const VaultKey& key, const QString& stored, const QString& associated)
{
    const SodiumLibrary* sodium = sodiumOrFail(nullptr);
    if (!sodium || key.isEmpty())
        return std::nullopt;
    const auto bytes = sealedBytes(stored);
    if (!bytes)
        return std::nullopt;
    const QByteArray& sealed = *bytes;
    const auto* in = reinterpret_cast<const unsigned char*>(sealed.constData());
    const QByteArray data = associated.toUtf8();
    QByteArray text(sealed.size() - kNonceBytes - kTagBytes, Qt::Uninitialized);
    unsigned long long read = 0;
    if (sodium->crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(text.data()), &read, nullptr, in + kNonceBytes,
            static_cast<unsigned long long>(sealed.size() - kNonceBytes),
            reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long long>(data.size()),
            in, key.data()) != 0)
        return std::nullopt;
    QString plain = QString::fromUtf8(text);
    wipe(text);
    return plain;
}

void wipe(QString& text)
{
    // Only a buffer that is ours alone may be overwritten: a shared one
    // belongs to other texts as well (and detaching would only copy it).
    if (!text.isEmpty() && text.isDetached()) {
        if (const SodiumLibrary* sodium = sodiumOrFail(nullptr))
            sodium->sodium_memzero(text.data(), size_t(text.size()) * sizeof(QChar));
    }
    text.clear();
}

void wipe(QByteArray& bytes)
{
    if (!bytes.isEmpty() && bytes.isDetached()) {
        if (const SodiumLibrary* sodium = sodiumOrFail(nullptr))
            sodium->sodium_memzero(bytes.data(), size_t(bytes.size()));
    }
    bytes.clear();
}

} // namespace SealedValue
