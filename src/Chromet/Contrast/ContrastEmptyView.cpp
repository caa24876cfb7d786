#include "Chromet/Contrast/ContrastEmptyView.h"

#include "Chromet/Contrast/ContrastStyle.h"
#include "OrinTheme/Symbols.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

ContrastEmptyView::ContrastEmptyView(QWidget *parent)
    : QWidget(parent) {
    m_symbol = new QLabel(this);
    m_symbol->setObjectName(QStringLiteral("symbol"));
    m_symbol->setAlignment(Qt::AlignCenter);
    m_symbol->setProperty("symbolName", QStringLiteral("eyedropper"));
    m_symbol->setAccessibleName(QStringLiteral("eyedropper"));

    m_headline = new QLabel(QStringLiteral("Pick a color first"), this);
    m_headline->setObjectName(QStringLiteral("headline"));
    m_headline->setAlignment(Qt::AlignCenter);
    m_headline->setFont(ContrastStyle::font(ContrastStyle::headlineSize, QFont::DemiBold));

    m_message = new QLabel(QStringLiteral("Contrast compares your recent picks."), this);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setFont(ContrastStyle::font(ContrastStyle::calloutSize));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addStretch(1);
    layout->addWidget(m_symbol, 0, Qt::AlignHCenter);
    layout->addWidget(m_headline, 0, Qt::AlignHCenter);
    layout->addWidget(m_message, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    applyColors();
}

void ContrastEmptyView::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyColors();
}

void ContrastEmptyView::applyColors() {
    const QColor secondary = ContrastStyle::secondary(palette());
    m_symbol->setPixmap(Symbols::pixmap(QStringLiteral("eyedropper"), QSize(symbolSize, symbolSize),
                                        secondary, devicePixelRatioF()));
    QPalette messagePalette = m_message->palette();
    messagePalette.setColor(QPalette::WindowText, secondary);
    m_message->setPalette(messagePalette);
}
