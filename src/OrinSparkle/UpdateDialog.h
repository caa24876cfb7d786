#pragma once

#include <QString>
#include <QUrl>

// The outcome of an update check, as the user is told it.
struct UpdateDialog {
    enum class Kind {
        updateAvailable, // a newer version is listed
        upToDate,        // nothing newer
        failed,          // the check did not get an answer
    };

    Kind kind = Kind::failed;
    QString title;
    QString text;
    // A page to offer (the new version's release notes), with its button; empty when none.
    QUrl link;
    QString linkTitle;
};
