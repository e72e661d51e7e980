#include "key_record.h"

#include "sealed_value.h"
#include "sodium_library.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStringList>
#include <atomic>

namespace {

const QString kRecordPrefix = QStringLiteral("qv2$argon2id$");
const QString kCheckText = QStringLiteral("#VAULT#");

// One derivation should cost an attacker's guess this much here.
constexpr qint64 kTargetNanoseconds = 600'000'000;
constexpr quint32 kMostPasses = 1000;

std::atomic<quint32> passesForTests{0};

bool readNumber(const QString& text, quint32* number)
{
    // Decimal without leading zeros, as written.
    static const QRegularExpression decimal(QStringLiteral("^[1-9][0-9]{0,9}$"));
    if (!decimal.match(text).hasMatch())
        return false;
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (!ok || value > 0xFFFFFFFFull)
        return false;
    *number = quint32(value);
    return true;
}

} // namespace

bool KeyRecord::isCurrentForm(const QString& stored)
{
    return stored.startsWith(QStringLiteral("qv2$"));
}

std::optional<KeyRecord> KeyRecord::parse(const QString& stored)
{
    if (!stored.startsWith(kRecordPrefix))
        return std::nullopt;
    const QStringList parts = stored.mid(kRecordPrefix.size()).split(QLatin1Char('$'));
    if (parts.size() != 3)
        return std::nullopt;
    const QStringList settings = parts.at(0).split(QLatin1Char(','));
    KeyRecord record;
    if (settings.size() != 3 || !settings.at(0).startsWith(QStringLiteral("m=")) ||
        !settings.at(1).startsWith(QStringLiteral("t=")) || settings.at(2) != QStringLiteral("p=1") ||
        !readNumber(settings.at(0).mid(2), &record.memoryKiB) || !readNumber(settings.at(1).mid(2), &record.passes))
        return std::nullopt;
    if (record.memoryKiB < kMinimumMemoryKiB || record.passes < kMinimumPasses)
        return std::nullopt;
    // libsodium takes the memory in bytes, in a size_t.
    if (quint64(record.memoryKiB) * 1024 > quint64(crypto_pwhash_argon2id_MEMLIMIT_MAX))
        return std::nullopt;
    const auto salt = QByteArray::fromBase64Encoding(parts.at(1).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!salt || salt.decoded.size() != kSaltBytes || salt.decoded.toBase64() != parts.at(1).toLatin1())
        return std::nullopt;
    record.salt = salt.decoded;
    if (!SealedValue::isWellFormed(parts.at(2)))
        return std::nullopt;
    record.sealedCheck = parts.at(2);
    return record;
}

QString KeyRecord::text() const
{
    return kRecordPrefix + QStringLiteral("m=%1,t=%2,p=1$").arg(memoryKiB).arg(passes) +
           QString::fromLatin1(salt.toBase64()) + QLatin1Char('$') + sealedCheck;
}

std::optional<VaultKey> KeyRecord::derive(const QString& password, QString* error) const
{
    auto key = VaultKey::allocate(error);
    if (!key)
        return std::nullopt;
    QByteArray bytes = password.toUtf8();
    const int failed = SodiumLibrary::get().crypto_pwhash(
        key->data(), VaultKey::kBytes, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
        reinterpret_cast<const unsigned char*>(salt.constData()), passes, size_t(memoryKiB) * 1024,
        crypto_pwhash_ALG_ARGON2ID13);
    SealedValue::wipe(bytes);
    if (failed != 0) {
        if (error)
            *error = QStringLiteral("не хватило памяти для вычисления ключа (%1 МБ)").arg(memoryKiB / 1024);
        return std::nullopt;
    }
    return key;
}

bool KeyRecord::opens(const VaultKey& key) const
{
    return SealedValue::open(key, sealedCheck, QString()) == kCheckText;
}

std::optional<KeyRecord::Made> KeyRecord::create(const QString& password, QString* error)
{
    const SodiumLibrary& sodium = SodiumLibrary::get();
    if (!sodium.loaded()) {
        if (error)
            *error = sodium.error;
        return std::nullopt;
    }
    KeyRecord record;
    record.passes = calibratedPasses();
    record.salt.resize(kSaltBytes);
    sodium.randombytes_buf(record.salt.data(), kSaltBytes);
    auto key = record.derive(password, error);
    if (!key)
        return std::nullopt;
    const auto check = SealedValue::seal(*key, kCheckText, QString(), error);
    if (!check)
        return std::nullopt;
    record.sealedCheck = *check;
    return Made{std::move(record), std::move(*key)};
}

quint32 KeyRecord::calibratedPasses()
{
    if (const quint32 fixed = passesForTests.load())
        return fixed;
    static const quint32 measured = [] {
        // Each derivation costs a fixed part (mapping and touching the
        // memory) and a part per pass. Two timed derivations of different
        // passes, after one that warms up, tell the two apart; the passes
        // then fill the target time (0.6 s, inside 0.4 to 1 s).
        KeyRecord probe;
        probe.salt = QByteArray(kSaltBytes, '\x5a');
        const auto timed = [&probe](quint32 passes) -> qint64 {
            probe.passes = passes;
            QElapsedTimer timer;
            timer.start();
            if (!probe.derive(QStringLiteral("calibration"), nullptr))
                return -1;
            return timer.nsecsElapsed();
        };
        constexpr quint32 kFew = kMinimumPasses;
        constexpr quint32 kMore = kMinimumPasses + 4;
        if (timed(kFew) < 0)
            return kMinimumPasses;
        const qint64 few = timed(kFew);
        const qint64 more = timed(kMore);
        if (few < 0 || more < 0)
            return kMinimumPasses;
        const qint64 perPass = qMax<qint64>(1, (more - few) / qint64(kMore - kFew));
        const qint64 fixed = qMax<qint64>(0, few - perPass * kFew);
        const qint64 wanted = qMax<qint64>(0, kTargetNanoseconds - fixed) / perPass;
        return qBound<quint32>(kMinimumPasses, quint32(qMin<qint64>(wanted, kMostPasses)), kMostPasses);
    }();
    return measured;
}

void KeyRecord::setPassesForTests(quint32 passes)
{
    passesForTests = passes;
}
