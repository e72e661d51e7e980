#include "plugin_downloads.h"

#include "clock.h"
#include "date_formats.h"
#include "error_handler.h"
#include "message_boxes.h"
#include "registry_store.h"
#include "section_host.h"
#include "settings.h"

#include <QProgressBar>
#include <QPushButton>

namespace {
constexpr int kDaysBetweenDownloads = 14;
// More names than this would not fit the error box.
constexpr int kFailedFilesListed = 20;
const QString kDownloadTitle = QStringLiteral("Закачка плагинов");
} // namespace

// A thread's progress is carried out on the main thread, in order.
class PluginDownloads::Relay : public CatalogueDownload::Progress
{
public:
    explicit Relay(PluginDownloads& owner) : m_owner(owner) {}
    // The effects outlive the relay: they hold the owner, never the relay.
    void show() override
    {
        post([owner = &m_owner] { owner->showBar(); });
    }
    void setMaximum(int maximum) override
    {
        post([owner = &m_owner, maximum] { owner->setBarMaximum(maximum); });
    }
    void setPosition(int position) override
    {
        post([owner = &m_owner, position] { owner->setBarPosition(position); });
    }
    void hide() override
    {
        post([owner = &m_owner] { owner->hideBar(); });
    }

    template <typename Effect> void post(Effect effect)
    {
        // Dropped with the owner, should the program end first.
        QMetaObject::invokeMethod(&m_owner, std::move(effect), Qt::QueuedConnection);
    }

private:
    PluginDownloads& m_owner;
};

// The manual download: the same work as MyThread's, its outcome handed back
// to the main thread after the last of its progress.
class PluginDownloads::ManualThread : public QThread
{
public:
    explicit ManualThread(PluginDownloads& owner) : m_owner(owner) {}

protected:
    void run() override
    {
        Relay relay(m_owner);
        CatalogueDownload::Result result;
        try {
            HttpsDownload::Options options;
            options.cancelled = [this] { return isInterruptionRequested(); };
            result = CatalogueDownload::run(m_owner.m_folder, relay, options);
        } catch (...) {
            result = {};
        }
        relay.post([owner = &m_owner, result] { ErrorHandler::guard([&] { owner->manualEnded(result); }); });
    }

private:
    PluginDownloads& m_owner;
};

MyThread::MyThread(PluginDownloads& owner) : m_owner(owner)
{
    setObjectName(QStringLiteral("MyThread"));
}

void MyThread::run()
{
    PluginDownloads::Relay relay(m_owner);
    PluginDownloads* owner = &m_owner;
    try {
        HttpsDownload::Options options;
        options.cancelled = [this] { return isInterruptionRequested(); };
        const auto failed = [&relay, owner] {
            relay.post([owner] {
                MessageBoxes::errorBox(PluginDownloads::kConnectFailed);
                owner->stopBar();
            });
        };
        const CatalogueDownload::Result result = CatalogueDownload::run(m_owner.m_folder, relay, options);
        switch (result.outcome) {
        case CatalogueDownload::Outcome::NoServer:
            break;
        case CatalogueDownload::Outcome::CatalogueFailed:
            // Offline at start-up: nothing to say.
            relay.post([owner] { owner->stopBar(); });
            break;
        case CatalogueDownload::Outcome::BadCatalogue:
            relay.post([] { MessageBoxes::errorBox(PluginDownloads::kConnectFailed); });
            break;
        case CatalogueDownload::Outcome::Failed:
            failed();
            break;
        case CatalogueDownload::Outcome::LibrariesFailed:
            // No date: the next start tries again.
            relay.post([owner, files = result.failedFiles] {
                PluginDownloads::reportFailedFiles(files);
                owner->stopBar();
            });
            break;
        case CatalogueDownload::Outcome::Done: {
            // The store takes its own lock: this write cannot interleave with
            // the main thread's use of it.
            const QString today = DateFormats::shortDate(Clock::today());
            if (!m_owner.m_registry.writeString(Settings::fullKey("Config"), QStringLiteral("PlgStory"),
                                                today)) {
                failed();
                break;
            }
            relay.post([owner, today] { owner->m_host.settings().plgStory = today; });
            break;
        }
        case CatalogueDownload::Outcome::Cancelled:
            break;
        }
    } catch (...) {
    }
    m_finished = true;
}

PluginDownloads::PluginDownloads(SectionHost& host, QString folder, QObject* parent)
    : QObject(parent), m_host(host), m_registry(host.registry()), m_folder(std::move(folder))
{
}

PluginDownloads::~PluginDownloads()
{
    const QList<QThread*> threads = {m_thread, m_manualThread};
    for (QThread* thread : threads) {
        if (thread)
            thread->requestInterruption();
    }
    // Whatever they post meanwhile is dropped with this object.
    for (QThread* thread : threads) {
        if (thread)
            thread->wait();
    }
}

bool PluginDownloads::isDue(const Settings::Record& record, const QDate& today)
{
    if (!record.autoLoadNewPlugins)
        return false;
    if (record.plgStory.isEmpty())
        return true;
    const QDate last = DateFormats::parseShortDate(record.plgStory);
    // A date that does not read counts as no download yet.
    if (!last.isValid())
        return true;
    return last.daysTo(today) > kDaysBetweenDownloads;
}

void PluginDownloads::decideAtStartUp()
{
    // A build without a plug-in server has nothing to fetch, and says so only
    // when asked by the button.
    if (m_thread || HttpsDownload::baseAddress().isEmpty() || !isDue(m_host.settings(), Clock::today()))
        return;
    m_thread = new MyThread(*this);
    m_thread->setParent(this);
    m_thread->start();
}

void PluginDownloads::bindControls(QPushButton* button, QProgressBar* bar)
{
    m_button = button;
    m_bar = bar;
    m_button->setEnabled(!m_buttonDisabled && !m_manualThread);
    connect(m_button, &QPushButton::clicked, this,
            [this] { ErrorHandler::guard([this] { Button10Click(); }); });
    applyBar();
}

void PluginDownloads::settingsShown()
{
    if (!m_thread || m_thread->workFinished())
        return;
    // Not enabled again in this run.
    m_buttonDisabled = true;
    if (m_button)
        m_button->setEnabled(false);
}

void PluginDownloads::Button10Click()
{
    // Both downloads write the same folder: one at a time.
    if (m_manualThread || (m_thread && !m_thread->workFinished()))
        return;
    if (HttpsDownload::baseAddress().isEmpty()) {
        MessageBoxes::warning(kDownloadTitle, kNoServer);
        return;
    }
    m_host.setStatusMessage(QStringLiteral("Пожалуйста подождите..."));
    if (m_button)
        m_button->setEnabled(false);
    m_manualThread = new ManualThread(*this);
    m_manualThread->setObjectName(QStringLiteral("ManualDownload"));
    m_manualThread->setParent(this);
    m_manualThread->start();
}

void PluginDownloads::manualEnded(const CatalogueDownload::Result& result)
{
    if (m_manualThread) {
        m_manualThread->wait();
        delete m_manualThread;
        m_manualThread = nullptr;
    }
    if (m_button)
        m_button->setEnabled(!m_buttonDisabled);
    switch (result.outcome) {
    case CatalogueDownload::Outcome::Done:
        // Kept apart from the automatic download's date: a manual download
        // does not put the next automatic one off.
        if (m_registry.writeString(Settings::fullKey("update"), QStringLiteral("PlgStory"),
                                   DateFormats::shortDate(Clock::today())))
            return;
        break;
    case CatalogueDownload::Outcome::Cancelled:
        return;
    case CatalogueDownload::Outcome::NoServer:
        // The server's address was taken away after the click.
        MessageBoxes::warning(kDownloadTitle, kNoServer);
        return;
    case CatalogueDownload::Outcome::LibrariesFailed:
        reportFailedFiles(result.failedFiles);
        stopBar();
        return;
    default:
        break;
    }
    MessageBoxes::errorBox(kConnectFailed);
    stopBar();
}

void PluginDownloads::reportFailedFiles(const QStringList& files)
{
    QString text = QStringLiteral("Не удалось закачать файлы плагинов:");
    for (const QString& name : files.mid(0, kFailedFilesListed))
        text += QStringLiteral("\r\n") + name;
    if (files.size() > kFailedFilesListed)
        text += QStringLiteral("\r\nи ещё %1").arg(files.size() - kFailedFilesListed);
    MessageBoxes::errorBox(text);
}

void PluginDownloads::showBar()
{
    m_visible = true;
    applyBar();
}

void PluginDownloads::setBarMaximum(int maximum)
{
    m_maximum = maximum;
    applyBar();
}

void PluginDownloads::setBarPosition(int position)
{
    m_position = position;
    applyBar();
}

void PluginDownloads::hideBar()
{
    m_visible = false;
    applyBar();
}

void PluginDownloads::stopBar()
{
    m_position = 0;
    m_visible = false;
    applyBar();
}

void PluginDownloads::applyBar()
{
    if (!m_bar)
        return;
    m_bar->setRange(0, m_maximum);
    m_bar->setValue(m_position);
    m_bar->setVisible(m_visible);
}
