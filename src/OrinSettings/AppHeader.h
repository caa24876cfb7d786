#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

class QLabel;

// The About page's heading: the application's icon, its name and a line under it, centred.
class AppHeader : public QWidget {
    Q_OBJECT

public:
    AppHeader(const QString &appName, const QString &subtitle, QWidget *parent = nullptr);

    QString appName() const;
    QString subtitle() const;

    // The application's icon at 256 x 256 (the window icon, else the theme's icon named after
    // the desktop file), fetched once per process; null when there is none.
    static QPixmap applicationIcon();

private:
    QLabel *m_icon = nullptr;
    QLabel *m_name = nullptr;
    QLabel *m_subtitle = nullptr;
};
