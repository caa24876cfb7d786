#include "OrinSettings/SettingsSection.h"

#include "OrinSettings/SettingsRow.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

// The rounded plate behind a section's rows.
class Plate final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QColor fill = palette().color(QPalette::Base);
        QColor border = palette().color(QPalette::WindowText);
        border.setAlphaF(0.1f);
        painter.setPen(QPen(border, 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(bounds, 8, 8);
    }
};

QFrame *separator(QWidget *parent) {
    auto *line = new QFrame(parent);
    line->setFixedHeight(1);
    line->setObjectName(QStringLiteral("separator"));
    QPalette palette = line->palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.08f);
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
    line->setAutoFillBackground(true);
    return line;
}

} // namespace

SettingsSection::SettingsSection(const QString &header, QWidget *parent)
    : QWidget(parent) {
    if (header.isEmpty()) {
        build(nullptr);
        return;
    }
    m_headerLabel = new QLabel(header, this);
    m_headerLabel->setObjectName(QStringLiteral("header"));
    QFont bold = m_headerLabel->font();
    bold.setWeight(QFont::DemiBold);
    m_headerLabel->setFont(bold);
    m_headerLabel->setContentsMargins(4, 0, 4, 0);
    build(m_headerLabel);
}

SettingsSection::SettingsSection(QWidget *headerWidget, QWidget *parent)
    : QWidget(parent) {
    build(headerWidget);
}

void SettingsSection::build(QWidget *headerWidget) {
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(6);
    m_headerWidget = headerWidget;
    if (headerWidget) {
        headerWidget->setParent(this);
        m_layout->addWidget(headerWidget);
    }
    m_plate = new Plate(this);
    m_plateLayout = new QVBoxLayout(m_plate);
    m_plateLayout->setContentsMargins(0, 2, 0, 2);
    m_plateLayout->setSpacing(0);
    m_layout->addWidget(m_plate);
}

QString SettingsSection::header() const {
    return m_headerLabel ? m_headerLabel->text() : QString();
}

void SettingsSection::setFooter(const QString &footer) {
    if (!m_footer) {
        m_footer = new QLabel(this);
        m_footer->setObjectName(QStringLiteral("footer"));
        m_footer->setWordWrap(true);
        m_footer->setContentsMargins(4, 0, 4, 0);
        QFont small = m_footer->font();
        small.setPixelSize(11);
        m_footer->setFont(small);
        QPalette secondary = m_footer->palette();
        secondary.setColor(QPalette::WindowText, SettingsRow::secondaryColor(palette()));
        m_footer->setPalette(secondary);
        m_layout->addWidget(m_footer);
    }
    m_footer->setText(footer);
}

QString SettingsSection::footer() const {
    return m_footer ? m_footer->text() : QString();
}

void SettingsSection::addRow(QWidget *row) {
    if (m_plateLayout->count() > 0)
        m_plateLayout->addWidget(separator(m_plate));
    row->setParent(m_plate);
    m_plateLayout->addWidget(row);
    m_rows.append(row);
}

QList<SettingsRow *> SettingsSection::settingsRows() const {
    QList<SettingsRow *> rows;
    for (QWidget *row : m_rows) {
        if (auto *settingsRow = qobject_cast<SettingsRow *>(row))
            rows.append(settingsRow);
    }
    return rows;
}

QLabel *SettingsSection::addCaption(const QString &text) {
    auto *caption = new QLabel(text);
    caption->setObjectName(QStringLiteral("caption"));
    caption->setContentsMargins(12, 8, 12, 0);
    QFont callout = caption->font();
    callout.setPixelSize(12);
    caption->setFont(callout);
    QPalette secondary = caption->palette();
    secondary.setColor(QPalette::WindowText, SettingsRow::secondaryColor(palette()));
    caption->setPalette(secondary);
    addRow(caption);
    return caption;
}
