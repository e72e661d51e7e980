#include "scheme_dialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace SchemeDialogs {

namespace {

void paintSwatch(QPushButton* button, const QColor& colour)
{
    QPixmap swatch(40, 14);
    swatch.fill(colour);
    button->setIcon(QIcon(swatch));
    button->setIconSize(swatch.size());
}

// Qt's font dialog has no text colour, which the scheme's fonts carry: the
// dialog is set inside a window of our own with a colour choice beneath it.
class FontWindow : public QDialog
{
public:
    FontWindow(QWidget* parent, const FontChoice& initial) : QDialog(parent), m_colour(initial.colour)
    {
        setObjectName(QStringLiteral("fnt1"));
        setWindowTitle(QStringLiteral("Шрифт"));
        // Without a style name the dialog preselects the family's first style,
        // which may well be an oblique one.
        QFont start = initial.font;
        if (start.styleName().isEmpty())
            start.setStyleName(QFontInfo(start).styleName());
        m_fonts = new QFontDialog(start, this);
        m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        m_fonts->setWindowFlags(Qt::Widget);

        auto* colourButton = new QPushButton(QStringLiteral("Выбрать..."), this);
        paintSwatch(colourButton, m_colour);
        connect(colourButton, &QPushButton::clicked, this, [this, colourButton] {
            const QColor chosen = QColorDialog::getColor(m_colour, this, QStringLiteral("Цвет текста"));
            if (chosen.isValid()) {
                m_colour = chosen;
                paintSwatch(colourButton, m_colour);
            }
        });
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

        auto* colourRow = new QHBoxLayout;
        colourRow->addWidget(new QLabel(QStringLiteral("Цвет текста:"), this));
        colourRow->addWidget(colourButton);
        colourRow->addStretch();
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_fonts);
        layout->addLayout(colourRow);
        layout->addWidget(buttons);
    }

    FontChoice choice() const
    {
        // Families that several foundries provide are listed as "P052 [urw]";
        // the scheme keeps the plain face name.
        QFont font = m_fonts->currentFont();
        static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
        font.setFamilies({font.family().remove(foundry)});
        return FontChoice{font, m_colour};
    }

private:
    QFontDialog* m_fonts = nullptr;
    QColor m_colour;
};

class QtBackend : public Backend
{
public:
    std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial) override
    {
        FontWindow window(parent, initial);
        if (window.exec() != QDialog::Accepted)
            return std::nullopt;
        return window.choice();
    }
    std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial) override
    {
        const QColor chosen = QColorDialog::getColor(initial, parent, QStringLiteral("Цвет"));
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    }
};

QtBackend realBackend;
Backend* currentBackend = &realBackend;

} // namespace

std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial)
{
    return currentBackend->chooseFont(parent, initial);
}

std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial)
{
    return currentBackend->chooseColour(parent, initial);
}

void setBackend(Backend* backend)
{
    currentBackend = backend ? backend : &realBackend;
}

} // namespace SchemeDialogs
