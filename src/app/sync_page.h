#pragma once

#include "dav_collection.h"

#include <QObject>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class RegistryStore;
class SectionHost;
namespace Settings {
struct Record;
}

// The settings page "Синхронизация": the server that keeps the contacts and
// reminders in step with the phone, its login and password, the address book
// and the calendar, how often, a sync at once, and how the last one went.
class SyncPage : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SyncPage)

public:
    SyncPage(QWidget* page, SectionHost& host);

    void fill(const Settings::Record& record);
    // Into the record and the store (inside the settings save's batch); the
    // password goes where passwords are kept, when it was typed.
    void save(RegistryStore& registry, Settings::Record& record);
    // The address books and calendars offered, after the server was asked.
    void showCollections(const QList<Dav::CollectionInfo>& books, const QList<Dav::CollectionInfo>& calendars,
                         const QString& error);
    void showStatus(const QString& text);
    void setBusy(bool busy);

    QLineEdit* SyncServerEdit = nullptr;
    QLineEdit* SyncLoginEdit = nullptr;
    QLineEdit* SyncPasswordEdit = nullptr;
    QLabel* SyncPasswordPlaceLabel = nullptr;
    QComboBox* SyncAddressBookBox = nullptr;
    QComboBox* SyncCalendarBox = nullptr;
    QPushButton* SyncFindButton = nullptr;
    QSpinBox* SyncIntervalBox = nullptr;
    QPushButton* SyncNowButton = nullptr;
    QLabel* SyncStatusLabel = nullptr;
    QLabel* SyncWarningLabel = nullptr;

signals:
    void changedByUser();
    // The page's values are saved first, then these are asked of the window.
    void syncRequested();
    void booksRequested();

private:
    void showAddressWarning();

    SectionHost& m_host;
};
