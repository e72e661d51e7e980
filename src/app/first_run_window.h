#pragma once

#include <QDialog>

class QTimer;
class RegistryStore;

// The borderless splash that fades in on a first start and writes every
// default setting.
class TForm2 : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm2)

public:
    TForm2(RegistryStore& registry, QWidget* parent = nullptr);

    void Timer1Timer();
    QTimer* Timer1 = nullptr;

    // The pause between two steps of the fade; tests make it 0.
    static void setFadeStepPause(int milliseconds);

private:
    RegistryStore& m_registry;
};
