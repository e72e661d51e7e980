#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <mutex>
#include <optional>

// The per-user settings store: keys holding typed values, as the program's
// settings were designed around. Key and value names are matched without
// regard to letter case. Every change is written to disk at once, atomically.
class RegistryStore
{
public:
    enum class Type { String, ExpandString, Integer };

    struct LoadReport
    {
        bool damaged = false; // the file was not readable as a store
        QString keptAs;       // where the damaged file was put aside
    };

    explicit RegistryStore(QString filePath);
    Q_DISABLE_COPY_MOVE(RegistryStore)

    // Writes made while a batch is open change only what is held here; the
    // batch saves them together when it ends, in one atomic replacement of
    // the file, so a crash leaves every one of them in the file or none.
    // Batches may nest: the outermost one saves.
    class Batch
    {
    public:
        explicit Batch(RegistryStore& store);
        ~Batch();
        Q_DISABLE_COPY_MOVE(Batch)
        // Ends the batch now; false when the save failed (see lastError).
        bool commit();

    private:
        RegistryStore& m_store;
        bool m_open = true;
    };

    // $XDG_CONFIG_HOME/Quillarbor/registry.json
    static QString defaultPath();

    LoadReport load();
    // The keys of a file's bytes; the file itself is left alone (keptAs stays empty).
    LoadReport loadFrom(const QByteArray& bytes);
    QString filePath() const { return m_filePath; }

    bool keyExists(const QString& key) const;
    bool createKey(const QString& key);
    // Removes the key, its values and every key below it.
    bool deleteKey(const QString& key);

    bool valueExists(const QString& key, const QString& name) const;
    std::optional<Type> valueType(const QString& key, const QString& name) const;

    // A read fails (nullopt) when the value is missing or stored with another type;
    // an expand string reads like a string.
    std::optional<QString> readString(const QString& key, const QString& name) const;
    std::optional<qint32> readInteger(const QString& key, const QString& name) const;
    // Integer read as a truth value: anything but 0 is true.
    std::optional<bool> readBool(const QString& key, const QString& name) const;

    bool writeString(const QString& key, const QString& name, const QString& value);
    bool writeExpandString(const QString& key, const QString& name, const QString& value);
    bool writeInteger(const QString& key, const QString& name, qint32 value);
    bool writeBool(const QString& key, const QString& name, bool value);
    // Deleting a value that is not there is no failure.
    bool deleteValue(const QString& key, const QString& name);

    // Value names of a key in the order they were first written.
    QStringList valueNames(const QString& key) const;
    QStringList keyNames() const;

    QString lastError() const;

private:
    struct Value
    {
        QString name;
        Type type;
        QVariant data;
    };
    struct Key
    {
        QString name;
        QList<Value> values;
    };

    Key* findKey(const QString& key);
    const Key* findKey(const QString& key) const;
    const Value* findValue(const QString& key, const QString& name) const;
    bool write(const QString& key, const QString& name, Type type, const QVariant& data);
    bool saveLocked();

    QString m_filePath;
    QList<Key> m_keys;
    QString m_lastError;
    // What is held here differs from the file: the last save failed.
    bool m_unsaved = false;
    int m_batches = 0;
    mutable std::recursive_mutex m_mutex;
};
