#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;
class SettingsRow;

// A group of rows on a rounded plate, with a header above it and an optional footer below, as
// a grouped settings form shows them.
class SettingsSection : public QWidget {
    Q_OBJECT

public:
    // A section headed by a text ...
    explicit SettingsSection(const QString &header, QWidget *parent = nullptr);
    // ... or by a widget of its own (null: no header).
    explicit SettingsSection(QWidget *headerWidget, QWidget *parent = nullptr);

    QString header() const;
    QWidget *headerWidget() const { return m_headerWidget; }

    void setFooter(const QString &footer);
    QString footer() const;

    // Rows in order; separators are drawn between them.
    void addRow(QWidget *row);
    QList<QWidget *> rows() const { return m_rows; }
    // The rows that are SettingsRows, in order.
    QList<SettingsRow *> settingsRows() const;
    // A line of small secondary text between rows ("In the panel").
    QLabel *addCaption(const QString &text);

private:
    void build(QWidget *headerWidget);

    QVBoxLayout *m_layout = nullptr;
    QWidget *m_plate = nullptr;
    QVBoxLayout *m_plateLayout = nullptr;
    QWidget *m_headerWidget = nullptr;
    QLabel *m_headerLabel = nullptr;
    QLabel *m_footer = nullptr;
    QList<QWidget *> m_rows;
};
