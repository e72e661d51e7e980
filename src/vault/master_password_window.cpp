#include "master_password_window.h"

#include "error_handler.h"
#include "message_boxes.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int kClientWidth = 649;
constexpr int kClientHeight = 248;

QLabel* picture(QWidget* parent, const char* name, const QString& file)
{
    auto* image = new QLabel(parent);
    image->setObjectName(QLatin1String(name));
    image->setPixmap(QPixmap(file));
    image->setFixedSize(96, 96);
    image->setScaledContents(true);
    // Decoration only: screen readers pass over it.
    image->setAccessibleName(QString());
    return image;
}

} // namespace

TForm12::TForm12(QWidget* parent) : SkinnedDialog(parent)
{
    setObjectName(QStringLiteral("TForm12"));
    setWindowTitle(QStringLiteral("Предустановки - Главный пароль"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    QFont face;
    face.setFamilies(
        {QStringLiteral("Century Gothic"), QStringLiteral("URW Gothic"), QStringLiteral("DejaVu Sans")});
    face.setPixelSize(16);
    setFont(face);
    QPalette cream = palette();
    cream.setColor(QPalette::Window, QColor(255, 251, 240));
    setPalette(cream);
    setAutoFillBackground(true);

    const auto label = [this](const char* name, const QString& text) {
        auto* item = new QLabel(text, this);
        item->setObjectName(QLatin1String(name));
        return item;
    };
    Label1 = label("Label1", QStringLiteral("Введите главный пароль защиты для банка паролей"));
    Label1->setWordWrap(true);
    Label2 = label("Label2", QStringLiteral("Password:"));
    Label4 = label("Label4", QStringLiteral("Повторите ввод:"));
    Label3 = label("Label3", QStringLiteral("Повтор:"));
    const auto secret = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setEchoMode(QLineEdit::Password);
        edit->setMinimumWidth(300);
        return edit;
    };
    Edit1 = secret("Edit1");
    Edit2 = secret("Edit2");
    Label2->setBuddy(Edit1);
    Label3->setBuddy(Edit2);
    Edit1->setAccessibleName(QStringLiteral("Пароль"));
    Edit2->setAccessibleName(QStringLiteral("Повтор пароля"));

    StaticText1 =
        label("StaticText1", QStringLiteral("В банке паролей хранятся Ваши данные для доступа к ресурсам"));
    // Its own smaller font, which the scheme's font does not replace.
    QFont small;
    small.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    small.setPixelSize(11);
    StaticText1->setFont(small);
    StaticText1->setFrameShape(QFrame::Box);
    StaticText1->setWordWrap(true);
    StaticText1->setMargin(3);

    Button1 = new QPushButton(QStringLiteral("ОК"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Отмена"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    for (QPushButton* button : {Button1, Button2})
        button->setMinimumWidth(100);
    connect(Button1, &QPushButton::clicked, this,
            [this] { ErrorHandler::guard([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { ErrorHandler::guard([this] { Button2Click(); }); });

    Image1 = picture(this, "Image1", QStringLiteral(":/icons/vault/safe.png"));
    Image2 = picture(this, "Image2", QStringLiteral(":/icons/vault/keys.png"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(14, 12, 14, 12);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    grid->addWidget(Image1, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(Label1, 0, 1, 1, 2);
    grid->addWidget(Label2, 1, 1);
    grid->addWidget(Edit1, 1, 2);
    grid->addWidget(Label4, 2, 1, 1, 2);
    grid->addWidget(Label3, 3, 1);
    grid->addWidget(Edit2, 3, 2);
    grid->addWidget(Image2, 0, 3, 4, 1, Qt::AlignTop);
    grid->addWidget(StaticText1, 4, 1, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 5, 0, 1, 4);
    grid->setColumnStretch(2, 1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Button1);
    setTabOrder(Button1, Button2);
}

void TForm12::useDiaryTexts()
{
    setWindowTitle(QStringLiteral("Предустановки - Пароль для Дневника"));
    Label1->setText(QStringLiteral("Введите главный пароль защиты для дневника:"));
}

void TForm12::showEvent(QShowEvent* event)
{
    SkinnedDialog::showEvent(event);
    // The designed size, or what a large scheme font needs; centred on the screen.
    layout()->activate();
    const QSize wanted = layout()->totalSizeHint().expandedTo(QSize(kClientWidth, kClientHeight));
    setFixedSize(wanted);
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    Edit1->setFocus();
}

void TForm12::Button1Click()
{
    if (Edit1->text() != Edit2->text()) {
        MessageBoxes::critical(QStringLiteral("Несоответсвие вводимой информации"),
                               QStringLiteral("Проверьте првильность ввода!"));
        return;
    }
    // An empty password could encipher nothing: it is refused here, before
    // anything is stored.
    if (Edit1->text().isEmpty()) {
        MessageBoxes::critical(kEmptyTitle, kEmptyPassword);
        Edit1->setFocus();
        return;
    }
    accept();
}

void TForm12::Button2Click()
{
    reject();
}
