#include "sketch_size_window.h"

#include "sketch_canvas.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
QSpinBox* sizeBox(QWidget* parent, const char* name)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(1, SketchCanvas::kMaxSide);
    box->setSuffix(QStringLiteral(" пикс."));
    return box;
}
} // namespace

SketchSizeWindow::SketchSizeWindow(QWidget* parent) : SkinnedDialog(parent)
{
    setObjectName(QStringLiteral("SketchSizeWindow"));
    setWindowTitle(QStringLiteral("Размер рисунка"));
    SpinWidth = sizeBox(this, "SpinWidth");
    SpinHeight = sizeBox(this, "SpinHeight");
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Ширина:"), SpinWidth);
    form->addRow(QStringLiteral("&Высота:"), SpinHeight);

    ButtonOk = new QPushButton(QStringLiteral("ОК"), this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("Отмена"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);

    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("Рисунок обрезается или дополняется белым справа и снизу."), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setDesignSize(QSize(340, 150));
}

void SketchSizeWindow::setPictureSize(const QSize& size)
{
    SpinWidth->setValue(size.width());
    SpinHeight->setValue(size.height());
}

QSize SketchSizeWindow::pictureSize() const
{
    return {SpinWidth->value(), SpinHeight->value()};
}
