#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

// A secondary window that takes the current main font and the main window's
// colour: the main window fills the three public fields before showing it.
class SkinnedDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SkinnedDialog)

public:
    enum class Policy { WhenSkinned, Always };

    explicit SkinnedDialog(QWidget* parent = nullptr, Policy policy = Policy::WhenSkinned);

    // A fixed size that grows when the scheme's font needs more room than the
    // design gave, so that no text is ever cut off.
    void setDesignSize(const QSize& size);

    bool skin = false;
    QFont Font1;
    QColor FoneColor;
    // The colour of Font1's text; Qt fonts carry no colour of their own.
    QColor Font1Color;

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void fit();

    Policy m_policy;
    QSize m_designSize;
};
