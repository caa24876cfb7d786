#include "OrinSettings/SettingsForm.h"

#include "OrinSettings/SettingsSection.h"

#include <QVBoxLayout>

SettingsForm::SettingsForm(QWidget *parent)
    : QWidget(parent)
    , m_layout(new QVBoxLayout(this)) {
    m_layout->setContentsMargins(20, 20, 20, 20);
    m_layout->setSpacing(20);
    m_layout->addStretch(1);
}

void SettingsForm::addSection(SettingsSection *section) {
    section->setParent(this);
    // Before the closing stretch.
    m_layout->insertWidget(m_layout->count() - 1, section);
    m_sections.append(section);
}

void SettingsForm::insertSection(qsizetype index, SettingsSection *section) {
    index = qBound(qsizetype(0), index, m_sections.size());
    section->setParent(this);
    m_layout->insertWidget(int(index), section);
    m_sections.insert(index, section);
}
