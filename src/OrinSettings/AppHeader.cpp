#include "OrinSettings/AppHeader.h"

#include "OrinSettings/SettingsRow.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int iconSize = 72;
constexpr int fetchedSize = 256;

} // namespace

AppHeader::AppHeader(const QString &appName, const QString &subtitle, QWidget *parent)
    : QWidget(parent) {
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 12);
    stack->setSpacing(6);

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("icon"));
    m_icon->setFixedSize(iconSize, iconSize);
    m_icon->setScaledContents(true);
    const QPixmap icon = applicationIcon();
    if (!icon.isNull())
        m_icon->setPixmap(icon);
    stack->addWidget(m_icon, 0, Qt::AlignHCenter);

    m_name = new QLabel(appName, this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setAlignment(Qt::AlignHCenter);
    QFont title = m_name->font();
    title.setPixelSize(17);
    title.setWeight(QFont::DemiBold);
    m_name->setFont(title);
    stack->addWidget(m_name);

    m_subtitle = new QLabel(subtitle, this);
    m_subtitle->setObjectName(QStringLiteral("subtitle"));
    m_subtitle->setAlignment(Qt::AlignHCenter);
    m_subtitle->setWordWrap(true);
    QFont callout = m_subtitle->font();
    callout.setPixelSize(12);
    m_subtitle->setFont(callout);
    QPalette secondary = m_subtitle->palette();
    secondary.setColor(QPalette::WindowText, SettingsRow::secondaryColor(palette()));
    m_subtitle->setPalette(secondary);
    stack->addWidget(m_subtitle);

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

QString AppHeader::appName() const {
    return m_name->text();
}

QString AppHeader::subtitle() const {
    return m_subtitle->text();
}

QPixmap AppHeader::applicationIcon() {
    static const QPixmap icon = [] {
        QIcon source = QGuiApplication::windowIcon();
        if (source.isNull())
            source = QIcon::fromTheme(QGuiApplication::desktopFileName());
        return source.isNull() ? QPixmap() : source.pixmap(QSize(fetchedSize, fetchedSize));
    }();
    return icon;
}
