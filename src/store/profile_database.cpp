#include "profile_database.h"

#include "build_addresses.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QSqlError>
#include <QSqlQuery>

namespace {

using FT = TableObject::FieldType;
using F = TableObject::Field;

QAtomicInt connectionCounter;

} // namespace

ProfileDatabase::ProfileDatabase()
    : MarksTable(QStringLiteral("MarksTable"), QStringLiteral("Заметки"),
                 {F{"MarksTableKey", "Key", FT::AutoInc}, F{"MarkName", "Название", FT::Text, 50},
                  F{"MarkContent", "Содержание", FT::Memo}}),
      DiaryTable(QStringLiteral("DiaryTable"), QStringLiteral("Дневник"),
                 {F{"DiaryDate", "MsgData", FT::DateTime}, F{"DiaryContent", "Содержание", FT::Memo}}),
      KeysTable(QStringLiteral("KeysTable"), QStringLiteral("Ключи"),
                {F{"KeysTableCount", "Count", FT::AutoInc}, F{"ThisKey", "Ключ", FT::Text, 50},
                 F{"KeyBlocked", "Заблокировано", FT::Boolean}}),
      BookTable(QStringLiteral("BookTable"), QStringLiteral("Адресная книга"),
                {F{"BookTableKey", "Key", FT::AutoInc}, F{"RecName", "Имя", FT::Text, 50},
                 F{"RecFamily", "Фамилия", FT::Text, 50}, F{"RecFather", "Отчество", FT::Text, 50},
                 F{"RecTel1", "Телефон1", FT::Text, 50}, F{"RecTel2", "Телефон2", FT::Text, 50},
                 F{"RecMail", "E-mail", FT::Text, 50}, F{"RecIcq", "ICQ", FT::Text, 50},
                 F{"RecBirthday", "Дата рождения", FT::DateTime}, F{"RecSignal", "Напоминать", FT::Boolean},
                 F{"RecCategory", "Категория", FT::Integer}, F{"RecComment", "Комментарий", FT::Text, 50}}),
      EventsTable(QStringLiteral("EventsTable"), QStringLiteral("Напоминания"),
                  {F{"EventsTableKey", "Key", FT::AutoInc}, F{"EventText", "Текст", FT::Text, 50},
                   F{"EventDate", "Дата", FT::DateTime}},
                  QStringLiteral("Дата")),
      TasksTable(QStringLiteral("TasksTable"), QStringLiteral("Задачи"),
                 {F{"TasksTableKey", "Key", FT::AutoInc}, F{"TaskName", "Название", FT::Text, 50},
                  F{"TaskComment", "Комментарий", FT::Text, 50}, F{"TaskDate", "Дата", FT::DateTime},
                  F{"TaskFile", "Имя файла", FT::Text, 255}, F{"TaskType", "Тип", FT::Text, 50}},
                 QStringLiteral("Дата")),
      PasswordsTable(QStringLiteral("PasswordsTable"), QStringLiteral("Пароли"),
                     {F{"PasswordsTableKey", "Key", FT::AutoInc},
                      F{"PasswordContainer", "Принадлежность", FT::Text, 50},
                      F{"PasswordLogin", "Логин", FT::Text, 50}, F{"Password", "Пароль", FT::Text, 50}}),
      ColorsTable(QStringLiteral("ColorsTable"), QStringLiteral("Темы"),
                  {F{"ColorsTableKey", "Key", FT::AutoInc},
                   F{"ThemeName", "Наименование", FT::Text, 50},
                   F{"Font1Name", "Название", FT::Text, 50},
                   F{"Font1Size", "Размер", FT::Word},
                   F{"Font1ColorR", "FЦветR", FT::Word},
                   F{"Font1ColorG", "FЦветG", FT::Word},
                   F{"Font1ColorB", "FЦветB", FT::Word},
                   F{"Font1Bold", "Жирный", FT::Boolean},
                   F{"Font1Italic", "Курсив", FT::Boolean},
                   F{"Font1Underline", "Подчёркнутый", FT::Boolean},
                   F{"ColorR", "ЦветR", FT::Word},
                   F{"ColorG", "ЦветG", FT::Word},
                   F{"ColorB", "ЦветB", FT::Word},
                   F{"Font2Name", "Название2", FT::Text, 50},
                   F{"Font2Size", "Размер2", FT::Word},
                   F{"Font2ColorR", "FЦветR2", FT::Word},
                   F{"Font2ColorG", "FЦветG2", FT::Word},
                   F{"Font2ColorB", "FЦветB2", FT::Word},
                   F{"Font2Bold", "Жирный2", FT::Boolean},
                   F{"Font2Italic", "Курсив2", FT::Boolean},
                   F{"Font2Underline", "Подчёркнутый2", FT::Boolean}})
{
    m_connectionName = QStringLiteral("BigBd-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
}

ProfileDatabase::~ProfileDatabase()
{
    waitForDriver();
    close();
}

QList<TableObject*> ProfileDatabase::tables()
{
    // The order in which they are opened.
    return {&MarksTable,  &DiaryTable, &KeysTable,      &BookTable,
            &EventsTable, &TasksTable, &PasswordsTable, &ColorsTable};
}

QString ProfileDatabase::profileFolder(const QString& documentsFolder)
{
    return documentsFolder + QStringLiteral("/Quillarbor");
}

QString ProfileDatabase::profileFile(const QString& documentsFolder)
{
    return profileFolder(documentsFolder) + QStringLiteral("/profile.mdb");
}

QString ProfileDatabase::templateFile(const QString& programFolder)
{
    return programFolder + QStringLiteral("empty.mdb");
}

QString ProfileDatabase::openFailureMessage()
{
    // The driver package lies on the program's site; a build without one
    // names no address.
    const QString site = BuildAddresses::site();
    QString message = QStringLiteral("Критическая ошибка подключения базы данных!\r\n"
                                     "Попробуйте переустановить программу или закачать драйвер для поддержки "
                                     "работы с базами данных");
    if (site.isEmpty())
        message += QStringLiteral(".\r\n");
    else
        message += QStringLiteral(":\r\n") + site + QStringLiteral("download/mdac_typ.zip\r\n");
    message +=
        QStringLiteral("Если Вам не удаётся устранить неисправность, то обратитесь в службу поддержки.");
    return message;
}

void ProfileDatabase::startLoadingDriver()
{
    if (m_driverLoader.joinable())
        return;
    m_driverLoader = std::jthread([] {
        // Only the library is loaded; the driver itself is made on the
        // connection's own thread as it is added.
        const QDir folder(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/sqldrivers"));
        for (const QString& file : folder.entryList({QStringLiteral("libqsqlite*")}, QDir::Files)) {
            QPluginLoader loader(folder.filePath(file));
            loader.load();
        }
    });
}

void ProfileDatabase::waitForDriver()
{
    if (m_driverLoader.joinable())
        m_driverLoader.join();
}

bool ProfileDatabase::open(const QString& documentsFolder, const QString& programFolder, QString* error)
{
    waitForDriver();
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        close();
        return false;
    };
    const QString folder = profileFolder(documentsFolder);
    if (!QFileInfo::exists(folder) && !QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create %1").arg(folder));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString file = profileFile(documentsFolder);
    if (!QFileInfo::exists(file)) {
        // Never over an existing profile; a failed copy shows up when opening.
        if (QFile::copy(templateFile(programFolder), file))
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    }
    if (!QFileInfo::exists(file))
        return fail(QStringLiteral("no profile database at %1").arg(file));

    m_connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    if (!m_connection.isValid())
        return fail(QStringLiteral("the SQLite driver is not available"));
    m_connection.setDatabaseName(file);
    m_connection.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    if (!m_connection.open())
        return fail(m_connection.lastError().text());
    QSqlQuery pragma(m_connection);
    pragma.exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    // What is deleted or overwritten is zeroed in the file, so a diary page
    // or a password sealed since leaves no readable trace in free space (nor
    // in the copies, which take every page of the file).
    pragma.exec(QStringLiteral("PRAGMA secure_delete = ON"));
    // Profiles made before notes were looked up by name lack its index: the
    // daily planner would read every note to find the day's one.
    pragma.exec(
        QStringLiteral("CREATE INDEX IF NOT EXISTS \"Заметки по названию\" ON \"Заметки\" (\"Название\")"));
    for (TableObject* table : tables()) {
        table->attach(m_connection);
        QString why;
        if (!table->open(&why))
            return fail(why);
    }
    return true;
}

bool ProfileDatabase::compact(QString* error)
{
    QSqlQuery vacuum(m_connection);
    if (vacuum.exec(QStringLiteral("VACUUM")))
        return true;
    if (error)
        *error = vacuum.lastError().text();
    return false;
}

void ProfileDatabase::close()
{
    if (!m_connection.isValid())
        return;
    m_connection.close();
    m_connection = QSqlDatabase();
    for (TableObject* table : tables())
        table->attach(QSqlDatabase());
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool ProfileDatabase::isOpen() const
{
    return m_connection.isValid() && m_connection.isOpen();
}

Transaction::Transaction(QSqlDatabase database) : m_database(std::move(database))
{
    m_active = m_database.transaction();
}

Transaction::~Transaction()
{
    if (m_active)
        m_database.rollback();
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    m_active = false;
    if (m_database.commit())
        return true;
    // A commit that failed leaves the change open: undo it whole.
    m_database.rollback();
    return false;
}
