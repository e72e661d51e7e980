#pragma once

#include "smtp_client.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <thread>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class SectionHost;
class TSmartBox;
class TabbedListBox;

// The mail section: one plain-text letter at a time through the user's
// mail-box. The letter goes out on a thread of its own; meanwhile the section
// takes no input and the pointer shows that the program is busy.
class MailSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MailSection)

public:
    // The subject box Theme and the recipient list ListBox5 are already in the box.
    MailSection(SectionHost& host, QGroupBox* box);
    ~MailSection() override;

    static constexpr int kHelpPage = 5;
    static const QString kConnectMessage;
    static const QString kSendMessage;
    static const QString kDefaultLoginMessage;
    static const QString kSentMessage;

    // Until the letter under way has gone or failed.
    bool isSending() const { return m_sending; }
    // For tests: a certificate authority of their own for STARTTLS.
    void setCaFile(const QString& file) { m_caFile = file; }

    // The letter to the maker's support: recipient, subject and template, each replaced.
    void prepareSupportLetter(const QString& supportAddress);
    static const QString kSupportSubject;
    static const QString kSupportTemplate;

    void ListBox5Click(QListWidgetItem* item);
    void BitBtn1Click();

    QLineEdit* Edit8 = nullptr;
    TSmartBox* Theme = nullptr;
    TabbedListBox* ListBox5 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* Button1 = nullptr;

signals:
    void helpRequested(int page);
    // A letter has gone or failed and its message box was closed.
    void sendingFinished();

private:
    void finish(const SmtpClient::Result& result);

    SectionHost& m_host;
    QGroupBox* m_box;
    QString m_caFile;
    bool m_sending = false;
    std::atomic_bool m_cancel{false};
    std::thread m_worker;
};
