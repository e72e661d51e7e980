// "Мастер паролей": makes a random password of the chosen length from the
// chosen sets of characters and copies it to the clipboard. Run by "Запуск".
#include "quillarbor_plugin.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The name in Windows-1251: 14 letters in the record's 15 bytes.
const char kName[] = "\xCC\xE0\xF1\xF2\xE5\xF0\x20\xEF\xE0\xF0\xEE\xEB\xE5\xE9"; // Мастер паролей

struct CharacterSet
{
    const char* caption;
    QString characters;
};

QString withoutLookAlikes(QString characters)
{
    for (const QChar c : QStringLiteral("lI1O0o|"))
        characters.remove(c);
    return characters;
}

// Every chosen set gets at least one character, the rest come from all of
// them together; the system's random source picks them.
QString makePassword(int length, const QList<QString>& sets)
{
    QRandomGenerator* random = QRandomGenerator::system();
    QString all;
    QString password;
    for (const QString& set : sets) {
        all += set;
        password += set.at(random->bounded(int(set.size())));
    }
    while (password.size() < length)
        password += all.at(random->bounded(int(all.size())));
    // The guaranteed characters must not always stand at the front.
    for (qsizetype i = password.size() - 1; i > 0; --i)
        std::swap(password[i], password[random->bounded(int(i + 1))]);
    return password.left(length);
}

void complain(TIPluginDemo* host, const QString& text)
{
    host->lpVtbl->PluginErrorMessage(host, reinterpret_cast<const char16_t*>(text.utf16()));
}

} // namespace

extern "C" {

QUILLARBOR_PLUGIN_EXPORT void GetPluginInfo(TPluginInfo* info)
{
    QUILLARBOR_SET(info->Name, kName);
    QUILLARBOR_SET(info->Version, "1.0");
    QUILLARBOR_SET(info->HostVersion, QUILLARBOR_HOST_VERSION);
    QUILLARBOR_SET(info->Description, "Создаёт надёжный случайный пароль заданной длины и копирует его в "
                                      "буфер обмена.");
}

QUILLARBOR_PLUGIN_EXPORT void InitPlugin(TIPluginDemo* host)
{
    auto* application = static_cast<QApplication*>(host->lpVtbl->GetApplication(host));
    QDialog window(application->activeWindow());
    window.setObjectName(QStringLiteral("PasswordGenerator"));
    window.setWindowTitle(QStringLiteral("Мастер паролей"));

    auto* length = new QSpinBox(&window);
    length->setObjectName(QStringLiteral("Length"));
    length->setRange(4, 64);
    length->setValue(12);
    const QList<CharacterSet> sets = {
        {"Строчные буквы (a–z)", QStringLiteral("abcdefghijklmnopqrstuvwxyz")},
        {"Прописные буквы (A–Z)", QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ")},
        {"Цифры (0–9)", QStringLiteral("0123456789")},
        {"Знаки (!, %, # и другие)", QStringLiteral("!#$%&*+-=?@^_~")},
    };
    QList<QCheckBox*> boxes;
    for (int i = 0; i < sets.size(); ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(sets.at(i).caption), &window);
        box->setObjectName(QStringLiteral("Set%1").arg(i + 1));
        box->setChecked(i < 3);
        boxes.append(box);
    }
    auto* plain = new QCheckBox(QStringLiteral("Без похожих символов (l, I, 1, O, 0)"), &window);
    plain->setObjectName(QStringLiteral("NoLookAlikes"));
    auto* result = new QLineEdit(&window);
    result->setObjectName(QStringLiteral("Password"));
    result->setReadOnly(true);
    result->setAccessibleName(QStringLiteral("Пароль"));
    result->setMinimumWidth(320);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    result->setFont(fixed);
    auto* make = new QPushButton(QStringLiteral("Создать"), &window);
    make->setObjectName(QStringLiteral("Make"));
    make->setDefault(true);
    auto* copy = new QPushButton(QStringLiteral("Копировать"), &window);
    copy->setObjectName(QStringLiteral("Copy"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"), &window);
    close->setObjectName(QStringLiteral("Close"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Длина пароля:"), length);
    auto* layout = new QVBoxLayout(&window);
    layout->addLayout(form);
    for (QCheckBox* box : boxes)
        layout->addWidget(box);
    layout->addWidget(plain);
    layout->addWidget(result);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(make);
    buttons->addWidget(copy);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    const auto generate = [&] {
        QList<QString> chosen;
        for (int i = 0; i < sets.size(); ++i)
            if (boxes.at(i)->isChecked())
                chosen.append(plain->isChecked() ? withoutLookAlikes(sets.at(i).characters)
                                                 : sets.at(i).characters);
        if (chosen.isEmpty()) {
            complain(host, QStringLiteral("Пароль не создан: отметьте хотя бы один набор символов."));
            return;
        }
        if (chosen.size() > length->value()) {
            complain(host, QStringLiteral("Пароль не создан: в пароле из %1 знаков не поместятся все %2 "
                                          "отмеченных набора.")
                               .arg(length->value())
                               .arg(chosen.size()));
            return;
        }
        result->setText(makePassword(length->value(), chosen));
    };
    QObject::connect(make, &QPushButton::clicked, &window, generate);
    QObject::connect(copy, &QPushButton::clicked, &window, [&] {
        if (result->text().isEmpty())
            generate();
        if (!result->text().isEmpty())
            application->clipboard()->setText(result->text());
    });
    QObject::connect(close, &QPushButton::clicked, &window, &QDialog::accept);
    generate();
    window.exec();
}

} // extern "C"
