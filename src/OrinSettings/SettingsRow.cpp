#include "OrinSettings/SettingsRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

SettingsRow::SettingsRow(const QString &title, const QString &subtitle, QWidget *control,
                         QWidget *parent)
    : QWidget(parent)
    , m_control(control) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 8, 12, 8);
    row->setSpacing(12);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_title = new QLabel(title, this);
    m_title->setObjectName(QStringLiteral("title"));
    texts->addWidget(m_title);
    if (!subtitle.isEmpty()) {
        m_subtitle = new QLabel(subtitle, this);
        m_subtitle->setObjectName(QStringLiteral("subtitle"));
        m_subtitle->setWordWrap(true);
        QFont small = m_subtitle->font();
        small.setPixelSize(11);
        m_subtitle->setFont(small);
        QPalette secondary = m_subtitle->palette();
        secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
        m_subtitle->setPalette(secondary);
        texts->addWidget(m_subtitle);
    }
    row->addLayout(texts, 1);
    if (control) {
        control->setParent(this);
        row->addWidget(control, 0, Qt::AlignVCenter | Qt::AlignRight);
        if (control->accessibleName().isEmpty())
            control->setAccessibleName(title);
    }
}

QString SettingsRow::title() const {
    return m_title->text();
}

QString SettingsRow::subtitle() const {
    return m_subtitle ? m_subtitle->text() : QString();
}

QColor SettingsRow::secondaryColor(const QPalette &palette) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.55f);
    return color;
}
