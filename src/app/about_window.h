#pragma once

#include <QDialog>

// "О программе...": the splash picture, the name, the version and the credits.
class TForm8 : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm8)

public:
    explicit TForm8(QWidget* parent = nullptr);
};
