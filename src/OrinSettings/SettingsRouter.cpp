#include "OrinSettings/SettingsRouter.h"

#include "OrinSettings/PageAssembly.h"

SettingsRouter::SettingsRouter(QObject *parent)
    : QObject(parent)
    , m_page(PageAssembly::generalID()) {
}

void SettingsRouter::setPage(const QString &page) {
    if (page != m_page) {
        m_page = page;
        Q_EMIT pageChanged(m_page);
    }
    if (onChange)
        onChange(m_page);
}

void SettingsRouter::setQuery(const QString &query) {
    if (query == m_query)
        return;
    m_query = query;
    Q_EMIT queryChanged(m_query);
}
