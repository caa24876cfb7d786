#include "OrinSettings/SettingsToolbar.h"

#include "OrinSettings/SettingsRouter.h"

#include <QLineEdit>

SettingsToolbar::SettingsToolbar(SettingsRouter *router, QObject *parent)
    : QObject(parent)
    , m_router(router) {
}

QStringList SettingsToolbar::defaultItemIdentifiers() {
    return {searchItemIdentifier(), separatorItemIdentifier()};
}

QWidget *SettingsToolbar::makeItem(const QString &itemIdentifier, QWidget *parent) {
    if (itemIdentifier != searchItemIdentifier())
        return nullptr;
    auto *field = new QLineEdit(parent);
    field->setObjectName(QStringLiteral("search"));
    field->setPlaceholderText(QStringLiteral("Search"));
    field->setClearButtonEnabled(true);
    field->setFixedWidth(180);
    field->setAccessibleName(QStringLiteral("Search"));
    field->setText(m_router->query());
    // textChanged also reports the clear button and programmatic changes: the query follows
    // every change of the field, not only Return.
    connect(field, &QLineEdit::textChanged, this, &SettingsToolbar::searchChanged);
    m_searchField = field;
    return field;
}

void SettingsToolbar::searchChanged(const QString &text) {
    m_router->setQuery(text);
}

void SettingsToolbar::clearSearch() {
    m_router->setQuery(QString());
    if (m_searchField)
        m_searchField->clear();
}
