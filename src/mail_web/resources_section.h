#pragma once

#include "link_categories.h"

#include <QObject>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class SectionHost;

// "Ресурсы Интернета": favourite web addresses in named categories, one file
// per category, opened with the desktop's default handler.
class ResourcesSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResourcesSection)

public:
    // The category names as start-up found them.
    ResourcesSection(SectionHost& host, QGroupBox* box, const LinkCategories& categories,
                     const QStringList& names);

    // The user's folder, seeded from the program folder's on first use, and
    // the categories in it: what start-up fills the combo box with.
    static LinkCategories openCategories(const QString& programFolder);

    const LinkCategories& categories() const { return m_categories; }

    void ComboBox2Change();
    void BitBtn11Click();
    void BitBtn12Click();
    void BitBtn13Click();
    void BitBtn14Click();
    void BitBtn15Click();

    QComboBox* ComboBox2 = nullptr;
    QPushButton* BitBtn11 = nullptr;
    QPushButton* BitBtn12 = nullptr;
    QListWidget* ListBox4 = nullptr;
    QLabel* Label15 = nullptr;
    QPushButton* BitBtn15 = nullptr;
    QPushButton* BitBtn13 = nullptr;
    QPushButton* BitBtn14 = nullptr;

private:
    QString current() const;
    QString selectedLink() const;

    SectionHost& m_host;
    LinkCategories m_categories;
};
