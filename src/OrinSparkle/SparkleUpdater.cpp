#include "OrinSparkle/SparkleUpdater.h"

#include "OrinSparkle/Appcast.h"
#include "OrinSparkle/UpdateAlert.h"
#include "OrinSparkle/VersionComparator.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <utility>

Q_LOGGING_CATEGORY(lcUpdates, "orin.updates")

namespace {

bool isLoopbackHost(const QString &host) {
    return host == u"127.0.0.1" || host == u"::1" || host == u"localhost";
}

// Only web pages are offered from a feed; a feed is no reason to open any other kind of address.
QUrl webLink(const QUrl &url) {
    return url.scheme() == u"https" || url.scheme() == u"http" ? url : QUrl();
}

} // namespace

SparkleUpdater::SparkleUpdater(QObject *parent)
    : SparkleUpdater(BundleInfo::main(), parent) {
}

SparkleUpdater::SparkleUpdater(BundleInfo bundle, QObject *parent)
    : QObject(parent)
    , m_bundle(std::move(bundle))
    , m_started(isConfiguredKey(m_bundle.publicKey))
    , m_network(new QNetworkAccessManager(this)) {
    m_schedule.setSingleShot(true);
    connect(&m_schedule, &QTimer::timeout, this, [this] {
        m_schedule.start(m_interval);
        if (!isChecking())
            startCheck(false);
    });
    if (m_started)
        m_schedule.start(firstScheduledCheck);
    else
        qCInfo(lcUpdates) << "no public key in this build: the updater is not started";
}

SparkleUpdater::~SparkleUpdater() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

bool SparkleUpdater::isConfiguredKey(const QString &publicKey) {
    return !publicKey.isEmpty() && !publicKey.startsWith(u"REPLACE");
}

bool SparkleUpdater::isConfigured(const BundleInfo &bundle) {
    return isConfiguredKey(bundle.publicKey) && !bundle.feedUrl.trimmed().isEmpty();
}

void SparkleUpdater::setPresenter(Presenter presenter) {
    m_presenter = std::move(presenter);
}

void SparkleUpdater::setAllowsLoopbackHttpForTesting(bool allow) {
    m_allowsLoopbackHttp = allow;
    m_network->setProxy(allow ? QNetworkProxy(QNetworkProxy::NoProxy)
                              : QNetworkProxy(QNetworkProxy::DefaultProxy));
}

void SparkleUpdater::setCheckSchedule(std::chrono::milliseconds first,
                                      std::chrono::milliseconds interval) {
    m_interval = interval;
    if (m_started)
        m_schedule.start(first);
}

void SparkleUpdater::checkForUpdates() {
    if (isChecking()) {
        // A background check already under way now reports to the user.
        m_userInitiated = true;
        return;
    }
    startCheck(true);
}

void SparkleUpdater::startCheck(bool userInitiated) {
    if (!m_started) {
        report(failure(QStringLiteral("This build is not set up to check for updates.")),
               userInitiated);
        return;
    }
    if (m_bundle.feedUrl.trimmed().isEmpty()) {
        report(failure(QStringLiteral("This build has no update feed address.")), userInitiated);
        return;
    }
    const QUrl url(m_bundle.feedUrl.trimmed(), QUrl::StrictMode);
    const bool https = url.isValid() && url.scheme() == u"https" && !url.host().isEmpty();
    const bool loopbackHttp = m_allowsLoopbackHttp && url.isValid() && url.scheme() == u"http" &&
                              isLoopbackHost(url.host());
    if (!https && !loopbackHttp) {
        report(failure(QStringLiteral("The update feed address is not an HTTPS address.")),
               userInitiated);
        return;
    }

    QNetworkRequest request(url);
    request.setTransferTimeout(int(transferTimeout.count()));
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QString(appName() + u'/' + m_bundle.shortVersion));
    m_userInitiated = userInitiated;
    m_feedTooLarge = false;
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > maxFeedBytes && m_reply) {
            m_feedTooLarge = true;
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::finished, this,
            [this, reply = m_reply.data()] { finishCheck(reply); });
    qCInfo(lcUpdates) << "checking" << url.toDisplayString();
}

void SparkleUpdater::finishCheck(QNetworkReply *reply) {
    reply->deleteLater();
    if (reply != m_reply)
        return;
    const UpdateDialog dialog = outcome(reply);
    m_reply = nullptr;
    report(dialog, m_userInitiated);
}

UpdateDialog SparkleUpdater::outcome(QNetworkReply *reply) const {
    if (m_feedTooLarge)
        return failure(QStringLiteral("The update feed is larger than 1 MB."));
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
        return failure(
            QStringLiteral("The update server answered with HTTP status %1.").arg(status.toInt()));
    }
    if (reply->error() != QNetworkReply::NoError) {
        return failure(QStringLiteral("The update server could not be reached: %1.")
                           .arg(reply->errorString()));
    }

    const Appcast feed = Appcast::parse(reply->readAll());
    if (!feed.error.isEmpty())
        return failure(QStringLiteral("The update feed could not be read: %1.").arg(feed.error));
    const std::optional<AppcastItem> newest = feed.newest();
    if (!newest)
        return failure(QStringLiteral("The update feed lists no versions."));

    const QString name = appName();
    const QString running = m_bundle.versionText();
    const QString build =
        m_bundle.buildNumber.isEmpty() ? QStringLiteral("0") : m_bundle.buildNumber;
    UpdateDialog dialog;
    if (compareVersions(newest->version, build) > 0) {
        dialog.kind = UpdateDialog::Kind::updateAvailable;
        dialog.title = QStringLiteral("A new version of %1 is available").arg(name);
        dialog.text = QStringLiteral("%1 %2 is available; you have %3.")
                          .arg(name, newest->versionText(), running);
        if (const QUrl notes = webLink(newest->releaseNotesLink); !notes.isEmpty()) {
            dialog.link = notes;
            dialog.linkTitle = QStringLiteral("Show Release Notes");
        } else if (const QUrl page = webLink(newest->link); !page.isEmpty()) {
            dialog.link = page;
            dialog.linkTitle = QStringLiteral("Open Download Page");
        }
    } else {
        dialog.kind = UpdateDialog::Kind::upToDate;
        dialog.title = QStringLiteral("%1 is up to date").arg(name);
        dialog.text = QStringLiteral("%1 %2 is the newest version.").arg(name, running);
    }
    return dialog;
}

UpdateDialog SparkleUpdater::failure(const QString &reason) const {
    UpdateDialog dialog;
    dialog.kind = UpdateDialog::Kind::failed;
    dialog.title = QStringLiteral("Could not check for updates");
    dialog.text = reason;
    return dialog;
}

void SparkleUpdater::report(const UpdateDialog &dialog, bool userInitiated) {
    qCInfo(lcUpdates).noquote() << dialog.title << "-" << dialog.text;
    Q_EMIT checkFinished(dialog);
    // Background checks speak up only about a new version.
    if (!userInitiated && dialog.kind != UpdateDialog::Kind::updateAvailable)
        return;
    if (m_presenter)
        m_presenter(dialog);
    else
        showUpdateAlert(dialog);
}

QString SparkleUpdater::appName() const {
    return m_bundle.name.isEmpty() ? QCoreApplication::applicationName() : m_bundle.name;
}
