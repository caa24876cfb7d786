#pragma once

#include <QObject>
#include <QString>

#include <memory>

// The desktop's clipboard as this process writes it: the text stays offered to other clients for
// as long as this process runs and nobody else has taken the clipboard. Qt's clipboard where it
// can do that, the compositor's data-control protocol on Wayland, where Qt's clipboard needs an
// input event of its own windows. Main thread only.
class ClipboardOwner : public QObject {
    Q_OBJECT

public:
    // Replaces the clipboard's contents; false when the text could not be offered.
    virtual bool setText(const QString &text) = 0;
    // Whether the clipboard still holds what this process offered.
    virtual bool ownsText() const = 0;

    // The owner for this process's platform, made on first use.
    static ClipboardOwner &shared();

Q_SIGNALS:
    // Another client changed the clipboard (our own writes are not reported).
    void changedElsewhere();
};
