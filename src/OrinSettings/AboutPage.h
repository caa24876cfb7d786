#pragma once

#include "OrinSettings/SettingsAppInfo.h"
#include "OrinSettings/SettingsForm.h"
#include "OrinSettings/SettingsPage.h"

#include <QUrl>

#include <functional>

class QAbstractButton;
class Updater;

// The "About" page: the application's header, its version, the update command when the updater
// offers one, and links to the web site, the release notes and support.
class AboutPage : public SettingsForm {
    Q_OBJECT

public:
    using UrlOpener = std::function<void(const QUrl &url)>;

    // `updater` may be null: no update row. It must outlive the page.
    AboutPage(const SettingsAppInfo &app, Updater *updater, QWidget *parent = nullptr);

    // The page's descriptor: id "about", title "About", its symbol, tint and keywords ("update"
    // and "updates" only when the updater offers its command).
    static SettingsPage page(const SettingsAppInfo &app, Updater *updater);

    // Where links open; the desktop's default handler unless replaced (tests).
    static void setUrlOpener(UrlOpener opener);
    static void openUrl(const QUrl &url);

    QAbstractButton *checkForUpdatesButton() const { return m_checkForUpdates; }
    QList<QAbstractButton *> linkButtons() const { return m_links; }

private:
    QAbstractButton *m_checkForUpdates = nullptr;
    QList<QAbstractButton *> m_links;
};
