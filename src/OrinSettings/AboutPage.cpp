#include "OrinSettings/AboutPage.h"

#include "OrinSettings/AppHeader.h"
#include "OrinSettings/PageAssembly.h"
#include "OrinSettings/SettingsIcon.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSection.h"
#include "OrinUpdates/Updater.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace {

AboutPage::UrlOpener &urlOpener() {
    static AboutPage::UrlOpener opener;
    return opener;
}

struct Link {
    const char *title;
    const char *symbol;
    QColor tint;
    QUrl url;
};

} // namespace

AboutPage::AboutPage(const SettingsAppInfo &app, Updater *updater, QWidget *parent)
    : SettingsForm(parent) {
    auto *section = new SettingsSection(new AppHeader(app.name, app.tagline));

    auto *version = new QLabel(app.versionText());
    version->setObjectName(QStringLiteral("version"));
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    section->addRow(new SettingsRow(QStringLiteral("Version"), QString(), version));

    if (updater && updater->isAvailable()) {
        auto *check = new QPushButton(QStringLiteral("Check for Updates\u2026"));
        connect(check, &QPushButton::clicked, this, [updater] { updater->checkForUpdates(); });
        m_checkForUpdates = check;
        section->addRow(new SettingsRow(QStringLiteral("Updates"), QString(), check));
    }

    const Link links[] = {
        {"Website", "globe", SettingsIcon::blue(), app.website},
        {"What's New", "sparkles", SettingsIcon::orange(), app.changelog},
        {"Contact Support", "envelope.fill", SettingsIcon::blue(), app.support},
    };
    for (const Link &link : links) {
        auto *button = new QToolButton;
        button->setText(QString::fromUtf8(link.title));
        button->setIcon(SettingsIcon::icon(QString::fromLatin1(link.symbol), link.tint));
        button->setIconSize(QSize(20, 20));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setToolTip(link.url.toString());
        const QUrl url = link.url;
        connect(button, &QToolButton::clicked, this, [url] { openUrl(url); });
        m_links.append(button);
        auto *row = new QWidget;
        auto *rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(8, 4, 8, 4);
        rowLayout->addWidget(button);
        rowLayout->addStretch(1);
        section->addRow(row);
    }
    addSection(section);
}

SettingsPage AboutPage::page(const SettingsAppInfo &app, Updater *updater) {
    return SettingsPage{
        PageAssembly::aboutID(),
        QStringLiteral("About"),
        QStringLiteral("info.circle.fill"),
        SettingsIcon::gray(),
        {QStringLiteral("about"), QStringLiteral("version"), QStringLiteral("update"),
         QStringLiteral("updates"), QStringLiteral("website"), QStringLiteral("support")},
        [app, updater]() -> QWidget * { return new AboutPage(app, updater); },
    };
}

void AboutPage::setUrlOpener(UrlOpener opener) {
    urlOpener() = std::move(opener);
}

void AboutPage::openUrl(const QUrl &url) {
    if (urlOpener()) {
        urlOpener()(url);
        return;
    }
    QDesktopServices::openUrl(url);
}
