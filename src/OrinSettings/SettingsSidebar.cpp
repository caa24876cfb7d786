#include "OrinSettings/SettingsSidebar.h"

#include "OrinSettings/PageAssembly.h"
#include "OrinSettings/SettingsIcon.h"
#include "OrinSettings/SettingsRouter.h"
#include "OrinSettings/SettingsRow.h"

#include <QLabel>
#include <QListWidget>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

constexpr int iconSize = 20;
constexpr int rowInset = 10;
constexpr int idRole = Qt::UserRole;

} // namespace

SettingsSidebar::SettingsSidebar(SettingsRouter *router, const QList<SettingsPage> &pages,
                                 QWidget *parent)
    : QWidget(parent)
    , m_router(router)
    , m_pages(pages) {
    // Rows and their selection stand in from the window's edge, as the search field above does.
    auto *inset = new QVBoxLayout(this);
    inset->setContentsMargins(rowInset, 0, rowInset, 0);
    m_stack = new QStackedLayout;
    inset->addLayout(m_stack);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("pages"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setIconSize(QSize(iconSize, iconSize));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSpacing(2);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAutoFillBackground(false);
    m_list->setAccessibleName(QStringLiteral("Pages"));
    m_stack->addWidget(m_list);

    m_noMatches = new QLabel(QStringLiteral("No matches"), this);
    m_noMatches->setObjectName(QStringLiteral("noMatches"));
    m_noMatches->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_noMatches->setContentsMargins(0, 16, 0, 0);
    QPalette secondary = m_noMatches->palette();
    secondary.setColor(QPalette::WindowText, SettingsRow::secondaryColor(palette()));
    m_noMatches->setPalette(secondary);
    m_stack->addWidget(m_noMatches);

    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        if (m_updating)
            return;
        const QList<QListWidgetItem *> selected = m_list->selectedItems();
        // An empty selection says nothing about the page to show.
        if (selected.isEmpty())
            return;
        m_router->setPage(selected.first()->data(idRole).toString());
    });
    connect(m_router, &SettingsRouter::queryChanged, this, &SettingsSidebar::rebuild);
    connect(m_router, &SettingsRouter::pageChanged, this, &SettingsSidebar::selectCurrentPage);
    rebuild();
}

void SettingsSidebar::rebuild() {
    m_updating = true;
    m_list->clear();
    const QList<SettingsPage> shown = PageAssembly::filter(m_pages, m_router->query());
    for (const SettingsPage &page : shown) {
        auto *item = new QListWidgetItem(SettingsIcon::icon(page.symbol, page.tint), page.title);
        item->setData(idRole, page.id);
        item->setSizeHint(QSize(0, 30));
        m_list->addItem(item);
    }
    m_stack->setCurrentWidget(shown.isEmpty() ? static_cast<QWidget *>(m_noMatches) : m_list);
    m_updating = false;
    selectCurrentPage();
}

void SettingsSidebar::selectCurrentPage() {
    m_updating = true;
    m_list->clearSelection();
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem *item = m_list->item(row);
        if (item->data(idRole).toString() == m_router->page()) {
            m_list->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
            break;
        }
    }
    m_updating = false;
}

QStringList SettingsSidebar::rowIds() const {
    QStringList ids;
    for (int row = 0; row < m_list->count(); ++row)
        ids.append(m_list->item(row)->data(idRole).toString());
    return ids;
}

QStringList SettingsSidebar::rowTitles() const {
    QStringList titles;
    for (int row = 0; row < m_list->count(); ++row)
        titles.append(m_list->item(row)->text());
    return titles;
}

QString SettingsSidebar::selectedId() const {
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->data(idRole).toString();
}

bool SettingsSidebar::showsNoMatches() const {
    return m_stack->currentWidget() == m_noMatches;
}
