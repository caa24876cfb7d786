#pragma once

#include <QWidget>

class QVBoxLayout;
class SettingsSection;

// A page's content: its sections top to bottom, in the grouped style.
class SettingsForm : public QWidget {
    Q_OBJECT

public:
    explicit SettingsForm(QWidget *parent = nullptr);

    void addSection(SettingsSection *section);
    // At `index` among the sections (0: first).
    void insertSection(qsizetype index, SettingsSection *section);
    QList<SettingsSection *> sections() const { return m_sections; }

private:
    QVBoxLayout *m_layout = nullptr;
    QList<SettingsSection *> m_sections;
};
