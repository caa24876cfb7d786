#pragma once

#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QWidget;
class SettingsRouter;

// Makes the settings window's toolbar items and carries the search field's text to the router.
class SettingsToolbar : public QObject {
    Q_OBJECT

public:
    static QString identifier() { return QStringLiteral("OrinSettings"); }
    static QString searchItemIdentifier() { return QStringLiteral("OrinSettings.search"); }
    static QString separatorItemIdentifier() {
        return QStringLiteral("OrinSettings.sidebarTrackingSeparator");
    }

    explicit SettingsToolbar(SettingsRouter *router, QObject *parent = nullptr);

    // The search item, then the separator that follows the sidebar's edge.
    static QStringList defaultItemIdentifiers();
    static QStringList allowedItemIdentifiers() { return defaultItemIdentifiers(); }

    // The search field for the search identifier (placeholder "Search", 180 wide, reporting
    // every keystroke); null for any other identifier. The toolbar keeps only a weak reference.
    QWidget *makeItem(const QString &itemIdentifier, QWidget *parent);
    QLineEdit *searchField() const { return m_searchField; }

    // The field's text becomes the query.
    void searchChanged(const QString &text);
    // Empties the query and the field.
    void clearSearch();

private:
    SettingsRouter *m_router = nullptr;
    QPointer<QLineEdit> m_searchField;
};
