#pragma once

#include <QObject>
#include <QString>

#include <functional>

// The selected page and the search text, shared by the sidebar, the detail area and the search
// field. Signals fire only for a different value; onChange runs after every page assignment.
class SettingsRouter : public QObject {
    Q_OBJECT

public:
    explicit SettingsRouter(QObject *parent = nullptr);

    QString page() const { return m_page; }
    void setPage(const QString &page);

    QString query() const { return m_query; }
    void setQuery(const QString &query);

    // Called with the page after every setPage(), also when it did not change.
    std::function<void(const QString &page)> onChange;

Q_SIGNALS:
    void pageChanged(const QString &page);
    void queryChanged(const QString &query);

private:
    QString m_page;
    QString m_query;
};
