#pragma once

#include "password_bank.h"

#include <QObject>
#include <QString>

class PasswordGridModel;
class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QTimer;
class SectionHost;

// The section "Пароли": the accounts behind the master password. The list is
// closed until the master password is typed; while it is open, the key
// derived from it is held in locked memory (the field is emptied and
// disabled), and it is wiped when the bank is locked.
class PasswordBankSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PasswordBankSection)

public:
    // How long a copied password stays on the clipboard.
    static constexpr int kClipboardMilliseconds = 30000;
    inline static const QString kWrongPassword = QStringLiteral("Пароль не правильный!");

    PasswordBankSection(SectionHost& host, QGroupBox* box);

    // The section switch's step: the first set-up while no master password
    // is set, then the bank locked whatever happened.
    void showSection();
    // Closes the list, wipes the key and takes a copied password that is
    // still on the clipboard off it.
    void lock();
    bool isOpen() const;

    void BitBtn8Click();
    void AddPassClick();
    void CopyPassClick();
    void N22Click(); // "Логин"
    void N23Click(); // "Пароль"
    void DelPassClick();
    void DBGrid3CellClick();
    // "Сменить пароль для банка паролей" of the settings page.
    void Button12Click();
    // The copied password leaves the clipboard, if it is still there.
    void ClipboardTimerTimer();

    QLabel* Label18 = nullptr;
    QLineEdit* InputPrimaryPass = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QTableView* DBGrid3 = nullptr;
    QLabel* PassLabel = nullptr;
    QPushButton* AddPass = nullptr;
    QPushButton* CopyPass = nullptr;
    QPushButton* DelPass = nullptr;
    QPushButton* Button11 = nullptr;
    QMenu* PopupMenu3 = nullptr;
    QAction* N22 = nullptr;
    QAction* N23 = nullptr;
    QTimer* ClipboardTimer = nullptr;

    PasswordGridModel* model() const { return m_model; }

signals:
    void helpRequested(int page);
    // A wrong old master password: the program must end at once, saving nothing.
    void programMustEnd();
    // Every stored value of the bank was sealed anew (a new master password,
    // or values from before carried over): older copies of the profile must go.
    void secretsRewritten();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls(QGroupBox* box);
    void fitColumns();
    // The set-up window; the new password, or nullopt on Cancel.
    std::optional<QString> askNewPassword();
    qint64 currentKey() const;
    void postEdits();
    void reportDamagedRows();

    SectionHost& m_host;
    QGroupBox* m_box;
    PasswordBank m_bank;
    PasswordGridModel* m_model;
    VaultKey m_key;
    QString m_copiedPassword;
};
