#pragma once

#include <QString>
#include <QWidget>

// The last page: the global shortcut (or, where none can be grabbed, the command a desktop key
// binding can run), and the loupe's controls.
class ShortcutStep : public QWidget {
    Q_OBJECT

public:
    // `hotKey` is the shortcut as it is displayed ("Ctrl+Alt+C").
    explicit ShortcutStep(const QString &hotKey, bool canGrabShortcuts = true,
                          QWidget *parent = nullptr);

    QString hotKey() const { return m_hotKey; }

private:
    QString m_hotKey;
};
