#pragma once

#include "skinned_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

// "Предустановки - Главный пароль": a new password typed twice. The password
// bank opens it for its master password, the diary with its own caption and
// first line. OK closes it only when both entries agree and are not empty;
// the opener then reads Edit1.
class TForm12 : public SkinnedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm12)

public:
    inline static const QString kEmptyPassword =
        QStringLiteral("Пароль не может быть пустым. Введите пароль и повторите его ввод.");
    inline static const QString kEmptyTitle = QStringLiteral("Пустой пароль");

    explicit TForm12(QWidget* parent = nullptr);

    // The texts the diary puts in place of the bank's own.
    void useDiaryTexts();

    void Button1Click(); // "ОК"
    void Button2Click(); // "Отмена"

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* StaticText1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
