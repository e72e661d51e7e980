// Builds the template profile database from the schema script:
//   make_template <schema.sql> <empty.mdb>
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>

namespace {

// Statements end with a semicolon at the end of a line; "--" starts a comment line.
QStringList statements(const QString& script)
{
    QStringList result;
    QString current;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("--")))
            continue;
        current += line + QLatin1Char('\n');
        if (line.trimmed().endsWith(QLatin1Char(';'))) {
            result.append(current.trimmed());
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        result.append(current.trimmed());
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: make_template <schema.sql> <empty.mdb>\n";
        return 2;
    }
    QFile schema(QString::fromLocal8Bit(argv[1]));
    if (!schema.open(QIODevice::ReadOnly)) {
        err << "cannot read " << schema.fileName() << "\n";
        return 1;
    }
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString building = output + QStringLiteral(".building");
    QFile::remove(building);
    {
        QSqlDatabase database =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("template"));
        database.setDatabaseName(building);
        if (!database.open()) {
            err << database.lastError().text() << "\n";
            return 1;
        }
        database.transaction();
        for (const QString& statement : statements(QString::fromUtf8(schema.readAll()))) {
            QSqlQuery query(database);
            if (!query.exec(statement)) {
                err << "failed: " << statement << "\n" << query.lastError().text() << "\n";
                return 1;
            }
        }
        database.commit();
        database.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("template"));
    QFile::remove(output);
    if (!QFile::rename(building, output)) {
        err << "cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
