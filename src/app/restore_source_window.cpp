#include "restore_source_window.h"

#include "date_formats.h"
#include "profile_backup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

RestoreSourceWindow::RestoreSourceWindow(const QStringList& dailyCopies, QWidget* parent)
    : SkinnedDialog(parent), m_copies(dailyCopies)
{
    setObjectName(QStringLiteral("RestoreSourceWindow"));
    setWindowTitle(QStringLiteral("Восстановление профиля"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Восстановить профиль из:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(label);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    label->setBuddy(ListBox1);
    ListBox1->addItem(QStringLiteral("резервной копии (архив ZIP)..."));
    for (const QString& copy : dailyCopies)
        ListBox1->addItem(QStringLiteral("ежедневной копии базы данных от %1")
                              .arg(ProfileBackup::dateOfDailyCopy(copy).toString(DateFormats::kShortDate)));
    ListBox1->setCurrentRow(0);
    layout->addWidget(ListBox1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    setDesignSize(QSize(440, 300));
}

QString RestoreSourceWindow::chosenCopy() const
{
    const int row = ListBox1->currentRow();
    return row >= 1 && row - 1 < m_copies.size() ? m_copies[row - 1] : QString();
}
