#include "about_window.h"

#include "settings.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TForm8::TForm8(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm8"));
    setWindowTitle(QStringLiteral("О программе..."));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 12);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(QPixmap(QStringLiteral(":/icons/splash.png")));
    picture->setFixedSize(464, 286);
    picture->setScaledContents(true);
    layout->addWidget(picture);

    const auto label = [this, layout](const QString& name, const QString& text, bool bold) {
        auto* item = new QLabel(text, this);
        item->setObjectName(name);
        item->setAlignment(Qt::AlignHCenter);
        QFont font = item->font();
        font.setBold(bold);
        item->setFont(font);
        layout->addWidget(item);
    };
    label(QStringLiteral("Label1"), QStringLiteral("Quillarbor"), true);
    label(QStringLiteral("Label2"), QStringLiteral("версия ") + Settings::kVersion, true);
    label(QStringLiteral("Label3"), QStringLiteral("Личный органайзер для работы и дома"), false);
    label(QStringLiteral("Label4"), QStringLiteral("© 2026 Разработчики Quillarbor"), false);
    label(QStringLiteral("Label5"),
          QStringLiteral("Свободная программа: GNU GPL версии 3 или более поздней (файл LICENSE)"), false);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());
}
