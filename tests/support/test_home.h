#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh home for one test: HOME and the XDG folders point into a temporary
// folder, so no test touches the real user's files.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    Q_DISABLE_COPY_MOVE(TestHome)

    QString path() const { return m_dir.path(); }
    QString documents() const { return m_dir.path() + QStringLiteral("/Documents"); }
    QString profileFolder() const { return documents() + QStringLiteral("/Quillarbor"); }
    QString registryFile() const;
    // The program folder of the build, with the template and the side files.
    static QString programFolder();

private:
    QTemporaryDir m_dir;
};
