#pragma once

#include "OrinUpdates/Updater.h"

#include <QUrl>

// For builds that cannot update themselves: no update command is offered, and a check only
// opens the release-notes page in the desktop's default handler.
class LinkUpdater : public Updater {
public:
    explicit LinkUpdater(QUrl changelogUrl);

    QUrl changelogUrl() const { return m_changelogUrl; }

    bool isAvailable() const override { return false; }
    void checkForUpdates() override;

private:
    QUrl m_changelogUrl;
};
