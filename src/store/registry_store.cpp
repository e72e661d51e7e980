#include "registry_store.h"

#include "interrupted_saves.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString typeWord(RegistryStore::Type type)
{
    switch (type) {
    case RegistryStore::Type::String:
        return QStringLiteral("REG_SZ");
    case RegistryStore::Type::ExpandString:
        return QStringLiteral("REG_EXPAND_SZ");
    case RegistryStore::Type::Integer:
        return QStringLiteral("REG_DWORD");
    }
    return {};
}

std::optional<RegistryStore::Type> typeFromWord(const QString& word)
{
    if (word == QLatin1String("REG_SZ"))
        return RegistryStore::Type::String;
    if (word == QLatin1String("REG_EXPAND_SZ"))
        return RegistryStore::Type::ExpandString;
    if (word == QLatin1String("REG_DWORD"))
        return RegistryStore::Type::Integer;
    return std::nullopt;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

RegistryStore::RegistryStore(QString filePath) : m_filePath(std::move(filePath)) {}

RegistryStore::Batch::Batch(RegistryStore& store) : m_store(store)
{
    std::lock_guard lock(m_store.m_mutex);
    ++m_store.m_batches;
}

RegistryStore::Batch::~Batch()
{
    commit();
}

bool RegistryStore::Batch::commit()
{
    std::lock_guard lock(m_store.m_mutex);
    if (!m_open)
        return !m_store.m_unsaved;
    m_open = false;
    if (--m_store.m_batches > 0 || !m_store.m_unsaved)
        return true;
    return m_store.saveLocked();
}

QString RegistryStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillarbor/registry.json");
}

RegistryStore::LoadReport RegistryStore::load()
{
    std::lock_guard lock(m_mutex);
    m_keys.clear();
    LoadReport report;
    // A save killed before its rename leaves its temporary file: the file
    // itself is still the old one, whole.
    const QFileInfo info(m_filePath);
    InterruptedSaves::sweep(info.absolutePath(), {info.fileName()});
    QFile file(m_filePath);
    if (!file.exists())
        return report;
    if (!file.open(QIODevice::ReadOnly)) {
        report.damaged = true;
    } else {
        const QByteArray bytes = file.readAll();
        file.close();
        report = loadFrom(bytes);
    }
    if (report.damaged) {
        // Keep what could not be read: the user may want it back.
        m_keys.clear();
        const QString aside = m_filePath + QStringLiteral(".damaged-") +
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (QFile::rename(m_filePath, aside))
            report.keptAs = aside;
    }
    return report;
}

RegistryStore::LoadReport RegistryStore::loadFrom(const QByteArray& bytes)
{
    std::lock_guard lock(m_mutex);
    m_keys.clear();
    LoadReport report;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        report.damaged = true;
        return report;
    }
    for (const QJsonValue& keyValue : document.object().value(QLatin1String("keys")).toArray()) {
        const QJsonObject keyObject = keyValue.toObject();
        Key key{keyObject.value(QLatin1String("name")).toString(), {}};
        if (key.name.isEmpty()) {
            report.damaged = true;
            continue;
        }
        for (const QJsonValue& item : keyObject.value(QLatin1String("values")).toArray()) {
            const QJsonObject valueObject = item.toObject();
            const auto type = typeFromWord(valueObject.value(QLatin1String("type")).toString());
            if (!type) {
                report.damaged = true;
                continue;
            }
            QVariant data = *type == Type::Integer
                                ? QVariant(qint32(valueObject.value(QLatin1String("data")).toInteger()))
                                : QVariant(valueObject.value(QLatin1String("data")).toString());
            key.values.append({valueObject.value(QLatin1String("name")).toString(), *type, data});
        }
        m_keys.append(key);
    }
    if (report.damaged)
        m_keys.clear();
    return report;
}

RegistryStore::Key* RegistryStore::findKey(const QString& key)
{
    for (Key& candidate : m_keys)
        if (sameName(candidate.name, key))
            return &candidate;
    return nullptr;
}

const RegistryStore::Key* RegistryStore::findKey(const QString& key) const
{
    return const_cast<RegistryStore*>(this)->findKey(key);
}

const RegistryStore::Value* RegistryStore::findValue(const QString& key, const QString& name) const
{
    const Key* found = findKey(key);
    if (!found)
        return nullptr;
    for (const Value& value : found->values)
        if (sameName(value.name, name))
            return &value;
    return nullptr;
}

bool RegistryStore::keyExists(const QString& key) const
{
    std::lock_guard lock(m_mutex);
    return findKey(key) != nullptr;
}

bool RegistryStore::createKey(const QString& key)
{
    std::lock_guard lock(m_mutex);
    if (findKey(key))
        return true;
    m_keys.append({key, {}});
    return saveLocked();
}

bool RegistryStore::deleteKey(const QString& key)
{
    std::lock_guard lock(m_mutex);
    const QString prefix = key + QLatin1Char('\\');
    const auto before = m_keys.size();
    m_keys.removeIf([&](const Key& candidate) {
        return sameName(candidate.name, key) || candidate.name.startsWith(prefix, Qt::CaseInsensitive);
    });
    if (m_keys.size() == before)
        return true;
    return saveLocked();
}

bool RegistryStore::valueExists(const QString& key, const QString& name) const
{
    std::lock_guard lock(m_mutex);
    return findValue(key, name) != nullptr;
}

std::optional<RegistryStore::Type> RegistryStore::valueType(const QString& key, const QString& name) const
{
    std::lock_guard lock(m_mutex);
    const Value* value = findValue(key, name);
    if (!value)
        return std::nullopt;
    return value->type;
}

std::optional<QString> RegistryStore::readString(const QString& key, const QString& name) const
{
    std::lock_guard lock(m_mutex);
    const Value* value = findValue(key, name);
    if (!value || value->type == Type::Integer)
        return std::nullopt;
    return value->data.toString();
}

std::optional<qint32> RegistryStore::readInteger(const QString& key, const QString& name) const
{
    std::lock_guard lock(m_mutex);
    const Value* value = findValue(key, name);
    if (!value || value->type != Type::Integer)
        return std::nullopt;
    return value->data.toInt();
}

std::optional<bool> RegistryStore::readBool(const QString& key, const QString& name) const
{
    const auto number = readInteger(key, name);
    if (!number)
        return std::nullopt;
    return *number != 0;
}

bool RegistryStore::write(const QString& key, const QString& name, Type type, const QVariant& data)
{
    std::lock_guard lock(m_mutex);
    Key* found = findKey(key);
    if (!found) {
        m_keys.append({key, {}});
        found = &m_keys.last();
    }
    bool replaced = false;
    for (Value& value : found->values) {
        if (sameName(value.name, name)) {
            // The same value again leaves the file alone, unless it is behind.
            if (value.type == type && value.data == data && !m_unsaved)
                return true;
            value.type = type;
            value.data = data;
            replaced = true;
            break;
        }
    }
    if (!replaced)
        found->values.append({name, type, data});
    return saveLocked();
}

bool RegistryStore::writeString(const QString& key, const QString& name, const QString& value)
{
    return write(key, name, Type::String, value);
}

bool RegistryStore::writeExpandString(const QString& key, const QString& name, const QString& value)
{
    return write(key, name, Type::ExpandString, value);
}

bool RegistryStore::writeInteger(const QString& key, const QString& name, qint32 value)
{
    return write(key, name, Type::Integer, value);
}

bool RegistryStore::writeBool(const QString& key, const QString& name, bool value)
{
    return write(key, name, Type::Integer, value ? 1 : 0);
}

bool RegistryStore::deleteValue(const QString& key, const QString& name)
{
    std::lock_guard lock(m_mutex);
    Key* found = findKey(key);
    if (!found)
        return true;
    const auto removed =
        found->values.removeIf([&](const Value& value) { return sameName(value.name, name); });
    return removed == 0 || saveLocked();
}

QStringList RegistryStore::valueNames(const QString& key) const
{
    std::lock_guard lock(m_mutex);
    QStringList names;
    if (const Key* found = findKey(key))
        for (const Value& value : found->values)
            names.append(value.name);
    return names;
}

QStringList RegistryStore::keyNames() const
{
    std::lock_guard lock(m_mutex);
    QStringList names;
    for (const Key& key : m_keys)
        names.append(key.name);
    return names;
}

QString RegistryStore::lastError() const
{
    std::lock_guard lock(m_mutex);
    return m_lastError;
}

bool RegistryStore::saveLocked()
{
    m_unsaved = true;
    // The open batch saves everything at its end.
    if (m_batches > 0)
        return true;
    QJsonArray keys;
    for (const Key& key : std::as_const(m_keys)) {
        QJsonArray values;
        for (const Value& value : key.values) {
            QJsonObject object{{QStringLiteral("name"), value.name},
                               {QStringLiteral("type"), typeWord(value.type)}};
            object.insert(QStringLiteral("data"), value.type == Type::Integer
                                                      ? QJsonValue(value.data.toInt())
                                                      : QJsonValue(value.data.toString()));
            values.append(object);
        }
        keys.append(QJsonObject{{QStringLiteral("name"), key.name}, {QStringLiteral("values"), values}});
    }
    const QByteArray bytes = QJsonDocument(QJsonObject{{QStringLiteral("keys"), keys}}).toJson();

    const QFileInfo info(m_filePath);
    if (!info.dir().exists() && !QDir().mkpath(info.absolutePath())) {
        m_lastError = QStringLiteral("cannot create %1").arg(info.absolutePath());
        return false;
    }
    QFile::setPermissions(info.absolutePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        m_lastError = file.errorString();
        return false;
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.write(bytes);
    if (!file.commit()) {
        m_lastError = file.errorString();
        return false;
    }
    m_unsaved = false;
    return true;
}
