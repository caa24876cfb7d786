#include "OrinUpdates/LinkUpdater.h"

#include <QDesktopServices>

#include <utility>

LinkUpdater::LinkUpdater(QUrl changelogUrl)
    : m_changelogUrl(std::move(changelogUrl)) {
}

void LinkUpdater::checkForUpdates() {
    QDesktopServices::openUrl(m_changelogUrl);
}
