#pragma once

#include <QObject>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class RegistryStore;
class SectionHost;
namespace Settings {
struct Record;
}

// The pages "Основные" and "Почта" of the settings section, the settings
// changed flag and the save that writes the settings back.
class SettingsSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsSection)

public:
    inline static const QString kHiddenPassword = QStringLiteral("#hidden#");

    SettingsSection(QTabWidget* pages, SectionHost& host);

    // The mail boxes, the check boxes and the backup path from the settings
    // held in memory; filling is no change.
    void fill();

    void markChanged();
    bool isChanged() const { return m_changed; }
    // Saves when something changed; false when the save could not finish.
    bool saveIfChanged();
    bool save();

    // The slide page takes its values into the record and sets the show up
    // again; the appearance code provides both.
    std::function<void(Settings::Record&)> readSlidePage;
    std::function<void()> setUpSlides;
    // The page "Синхронизация" writes its values inside the same save.
    std::function<void(RegistryStore&, Settings::Record&)> saveSyncPage;

    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QLabel* Label23 = nullptr;
    QPushButton* Button10 = nullptr;
    QPushButton* Button12 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label34 = nullptr;
    QLineEdit* Edit20 = nullptr;
    QPushButton* Button28 = nullptr;
    QPushButton* Button26 = nullptr;
    QPushButton* Button27 = nullptr;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLabel* Label16 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QLabel* PasswordPlaceLabel = nullptr; // where the mail password is kept

private:
    void buildGeneralPage(QWidget* page);
    void buildMailPage(QWidget* page);
    void markChangedByUser();
    void storeMailPassword();

    SectionHost& m_host;
    bool m_changed = false;
    bool m_filling = false;
};
