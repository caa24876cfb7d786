#include "OrinSettings/SettingsWindow.h"

#include "OrinSettings/SettingsDetail.h"
#include "OrinSettings/SettingsSidebar.h"
#include "OrinSettings/SettingsToolbar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

SettingsWindow::SettingsWindow(SettingsRouter *router, SettingsToolbar *toolbar,
                               const QList<SettingsPage> &pages, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("OrinSettings"));
    setFixedSize(contentWidth, contentHeight);

    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    // Sidebar column: the toolbar strip with its items, then the page list, full height.
    m_sidebarColumn = new QWidget(this);
    m_sidebarColumn->setObjectName(QStringLiteral("sidebar"));
    m_sidebarColumn->setFixedWidth(sidebarWidth);
    auto *sidebarLayout = new QVBoxLayout(m_sidebarColumn);
    sidebarLayout->setContentsMargins(0, 0, 0, 0);
    sidebarLayout->setSpacing(0);
    auto *strip = new QWidget(m_sidebarColumn);
    strip->setObjectName(QStringLiteral("toolbar"));
    auto *stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(8, 10, 8, 8);
    for (const QString &identifier : SettingsToolbar::defaultItemIdentifiers()) {
        if (QWidget *item = toolbar->makeItem(identifier, strip))
            stripLayout->addWidget(item, 0, Qt::AlignHCenter);
    }
    m_search = toolbar->searchField();
    sidebarLayout->addWidget(strip);
    m_sidebar = new SettingsSidebar(router, pages, m_sidebarColumn);
    sidebarLayout->addWidget(m_sidebar, 1);
    columns->addWidget(m_sidebarColumn);

    auto *edge = new QFrame(this);
    edge->setFrameShape(QFrame::VLine);
    edge->setFrameShadow(QFrame::Plain);
    edge->setFixedWidth(1);
    QPalette edgePalette = edge->palette();
    QColor edgeColor = edgePalette.color(QPalette::WindowText);
    edgeColor.setAlphaF(0.12f);
    edgePalette.setColor(QPalette::WindowText, edgeColor);
    edge->setPalette(edgePalette);
    columns->addWidget(edge);

    m_detail = new SettingsDetail(router, pages, this);
    columns->addWidget(m_detail, 1);

    // The window opens with the page list focused, not the search field: the first key
    // pressed moves through the pages instead of starting a search.
    m_sidebar->list()->setFocus();
}
