#include "Chromet/Onboarding/StepWidgets.h"

#include "OrinTheme/Symbols.h"

#include <QBoxLayout>
#include <QLabel>
#include <QWidget>

namespace StepWidgets {

QFont font(const QWidget *reference, TextStyle style) {
    QFont font = reference ? reference->font() : QFont();
    switch (style) {
    case TextStyle::largeTitle:
        font.setPixelSize(26);
        font.setWeight(QFont::Bold);
        break;
    case TextStyle::title:
        font.setPixelSize(22);
        font.setWeight(QFont::Bold);
        break;
    case TextStyle::title3:
        font.setPixelSize(15);
        break;
    case TextStyle::body:
        font.setPixelSize(13);
        break;
    case TextStyle::caption:
        font.setPixelSize(10);
        break;
    }
    return font;
}

QColor accentColor(const QWidget *reference) {
    return reference ? reference->palette().color(QPalette::Highlight) : QColor(0, 122, 255);
}

QColor secondaryColor(const QWidget *reference) {
    QColor color = reference ? reference->palette().color(QPalette::WindowText) : QColor(Qt::black);
    color.setAlphaF(color.alphaF() * 0.5f);
    return color;
}

QColor grantedColor() {
    return QColor(52, 199, 89);
}

QLabel *text(const QString &text, TextStyle style, QWidget *parent, bool secondary,
             int maximumWidth) {
    auto *label = new QLabel(text, parent);
    label->setFont(font(parent, style));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    if (maximumWidth > 0) {
        label->setWordWrap(true);
        label->setMaximumWidth(maximumWidth);
    }
    if (secondary) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, secondaryColor(parent));
        label->setPalette(palette);
    }
    return label;
}

void addCentered(QBoxLayout *column, QWidget *widget) {
    if (widget->maximumWidth() >= QWIDGETSIZE_MAX) {
        column->addWidget(widget, 0, Qt::AlignHCenter);
        return;
    }
    // Up to its maximum width, the widget takes the row; the stretches share what is left.
    widget->setSizePolicy(QSizePolicy::Expanding, widget->sizePolicy().verticalPolicy());
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addStretch(1);
    row->addWidget(widget, 1000);
    row->addStretch(1);
    column->addLayout(row);
}

QLabel *symbol(const QString &name, int size, const QColor &tint, QWidget *parent) {
    auto *label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    setSymbol(label, name, size, tint);
    return label;
}

void setSymbol(QLabel *label, const QString &name, int size, const QColor &tint) {
    const qreal scale = label->devicePixelRatioF();
    label->setPixmap(Symbols::pixmap(name, QSize(size, size), tint, scale));
    label->setFixedSize(size, size);
    // What the symbol stands for, for tests and assistive tools.
    label->setProperty("symbolName", name);
    label->setProperty("symbolTint", tint);
}

} // namespace StepWidgets
