#pragma once

#include "skinned_dialog.h"

class QPushButton;
class QSpinBox;

// The sketch's size in pixels, asked before the picture is cut or extended.
class SketchSizeWindow : public SkinnedDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SketchSizeWindow)

public:
    explicit SketchSizeWindow(QWidget* parent = nullptr);

    void setPictureSize(const QSize& size);
    QSize pictureSize() const;

    QSpinBox* SpinWidth = nullptr;
    QSpinBox* SpinHeight = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
