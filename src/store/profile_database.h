#pragma once

#include "table_object.h"

#include <QSqlDatabase>
#include <QString>
#include <thread>

// The profile database: one SQLite file per user, copied from the template on
// first start, and its eight table objects, open for the whole run.
class ProfileDatabase
{
public:
    ProfileDatabase();
    ~ProfileDatabase();
    Q_DISABLE_COPY_MOVE(ProfileDatabase)

    static QString profileFolder(const QString& documentsFolder);
    static QString profileFile(const QString& documentsFolder);
    static QString templateFile(const QString& programFolder);
    // The four lines shown when the profile cannot be opened.
    static QString openFailureMessage();

    // Loads the SQLite driver's library on a second thread, so that the
    // caller can go on building its window meanwhile; open() waits for it.
    void startLoadingDriver();

    // Creates the profile folder and copies the template when needed, then
    // opens every table; on failure nothing is left open.
    bool open(const QString& documentsFolder, const QString& programFolder, QString* error = nullptr);
    void close();
    bool isOpen() const;

    QSqlDatabase BigBd() const { return m_connection; }
    // Rebuilds the file without free space (SQLite's VACUUM).
    bool compact(QString* error = nullptr);

    TableObject MarksTable;
    TableObject DiaryTable;
    TableObject KeysTable;
    TableObject BookTable;
    TableObject EventsTable;
    TableObject TasksTable;
    TableObject PasswordsTable;
    TableObject ColorsTable;

    QList<TableObject*> tables();

private:
    void waitForDriver();

    std::jthread m_driverLoader;
    QString m_connectionName;
    QSqlDatabase m_connection;
};

// A change that writes several rows: commits when told to, rolls back otherwise.
class Transaction
{
public:
    explicit Transaction(QSqlDatabase database);
    ~Transaction();
    Q_DISABLE_COPY_MOVE(Transaction)
    bool isActive() const { return m_active; }
    bool commit();

private:
    QSqlDatabase m_database;
    bool m_active = false;
};
