#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

class QSettings;

// Remembers a panel's frame per display and resolution in a settings store. A frame is kept
// under "<frame key>.<display name>@<width>x<height>" as the list x, y, width, height in global
// logical coordinates.
class PanelFrameStore {
public:
    PanelFrameStore() = delete;

    // "Main@1920x1080": the display's name and its frame's size in whole logical pixels, the
    // fraction cut off.
    static QString screenKey(const QString &name, const QSizeF &size);
    static QString defaultsKey(const QString &key, const QString &screenKey);

    static void save(const QRectF &frame, const QString &key, const QString &screenKey,
                     QSettings *defaults);
    // The saved frame, when the stored value is a list of exactly four finite numbers. The
    // settings file stores numbers as text, so a number written as text counts as one.
    static std::optional<QRectF> load(const QString &key, const QString &screenKey,
                                      QSettings *defaults);

    // A saved frame moved and shrunk into `visible`, no smaller than `minimumSize` unless the
    // visible frame is smaller still.
    static QRectF clamp(const QRectF &frame, const QRectF &visible, const QSizeF &minimumSize);
};
