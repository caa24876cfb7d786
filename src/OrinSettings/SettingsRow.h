#pragma once

#include <QString>
#include <QWidget>

class QLabel;

// One row of a settings section: a title with an optional subtitle under it on the left, the
// control on the right.
class SettingsRow : public QWidget {
    Q_OBJECT

public:
    SettingsRow(const QString &title, const QString &subtitle, QWidget *control,
                QWidget *parent = nullptr);

    QString title() const;
    QString subtitle() const;
    QWidget *control() const { return m_control; }
    // Null for a row made without a subtitle.
    QLabel *subtitleLabel() const { return m_subtitle; }

    // The text colour of subtitles, captions and footers.
    static QColor secondaryColor(const QPalette &palette);

private:
    QLabel *m_title = nullptr;
    QLabel *m_subtitle = nullptr;
    QWidget *m_control = nullptr;
};
