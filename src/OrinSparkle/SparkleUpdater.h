#pragma once

#include "OrinSparkle/UpdateDialog.h"
#include "OrinUpdates/BundleInfo.h"
#include "OrinUpdates/Updater.h"

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <functional>

class QNetworkAccessManager;

// The application's updater: reads the build's update feed (an RSS appcast) over HTTPS and tells
// the user whether a newer version than the running build is listed, or why the check failed.
// It is started only when the build carries a public key, and offers the command only when the
// build also names a feed: other builds (a distribution's package, updated by its package manager)
// say nothing of updates. A check asked for anyway says why nothing happens.
//
// The key is the one update archives are signed with. This updater downloads and installs
// nothing, so there is nothing for it to verify: the key only decides whether it is started.
//
// A started updater also checks on its own, first shortly after start and then once a day; such
// a check speaks up only when a newer version is listed. Main thread only.
class SparkleUpdater : public QObject, public Updater {
    Q_OBJECT

public:
    // Shows a check's outcome; the default opens a message box (showUpdateAlert).
    using Presenter = std::function<void(const UpdateDialog &)>;

    static constexpr std::chrono::milliseconds firstScheduledCheck = std::chrono::minutes(1);
    static constexpr std::chrono::milliseconds scheduledCheckInterval = std::chrono::hours(24);
    static constexpr std::chrono::milliseconds transferTimeout = std::chrono::seconds(30);
    // A feed larger than this is not read.
    static constexpr qint64 maxFeedBytes = 1024 * 1024;

    // With the running application's bundle information (BundleInfo::main()).
    explicit SparkleUpdater(QObject *parent = nullptr);
    explicit SparkleUpdater(BundleInfo bundle, QObject *parent = nullptr);
    ~SparkleUpdater() override;

    // A configured key: not empty and not the "REPLACE…" placeholder of an unconfigured build.
    static bool isConfiguredKey(const QString &publicKey);

    const BundleInfo &bundle() const { return m_bundle; }
    bool isChecking() const { return m_reply != nullptr; }

    // A configured key and a feed address.
    static bool isConfigured(const BundleInfo &bundle);

    bool isAvailable() const override { return isConfigured(m_bundle); }
    // Starts a check whose outcome is always shown. While one runs, asking again does nothing.
    void checkForUpdates() override;

    void setPresenter(Presenter presenter);
    // Lets the feed come over plain http from this machine (127.0.0.1, ::1, localhost), for
    // tests that serve it themselves, and bypasses any proxy. Off: only https is fetched.
    void setAllowsLoopbackHttpForTesting(bool allow);
    // When the background checks run; they run only on a started updater.
    void setCheckSchedule(std::chrono::milliseconds first, std::chrono::milliseconds interval);

Q_SIGNALS:
    // Every finished check, shown or not.
    void checkFinished(const UpdateDialog &dialog);

private:
    void startCheck(bool userInitiated);
    void finishCheck(QNetworkReply *reply);
    UpdateDialog outcome(QNetworkReply *reply) const;
    UpdateDialog failure(const QString &reason) const;
    void report(const UpdateDialog &dialog, bool userInitiated);
    QString appName() const;

    BundleInfo m_bundle;
    bool m_started = false;
    bool m_allowsLoopbackHttp = false;
    Presenter m_presenter;
    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    bool m_userInitiated = false;
    bool m_feedTooLarge = false;
    QTimer m_schedule;
    std::chrono::milliseconds m_interval = scheduledCheckInterval;
};
