#include "OrinTheme/GlassSurface.h"

#include "OrinTheme/CardBackground.h"
#include "OrinTheme/FloatingShadowContainer.h"
#include "OrinTheme/MaterialView.h"
#include "OrinTheme/WindowEffects.h"

#include <QAbstractButton>
#include <QLayout>
#include <QMainWindow>
#include <QVBoxLayout>

namespace {

// The container keeps the surface inset by its margin whatever size it is given.
class InsetLayout : public QLayout {
public:
    InsetLayout(QWidget *parent, int inset)
        : QLayout(parent)
        , m_inset(inset) {
        setContentsMargins(0, 0, 0, 0);
    }
    ~InsetLayout() override {
        while (QLayoutItem *item = takeAt(0))
            delete item;
    }
    void addItem(QLayoutItem *item) override { m_items.append(item); }
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override {
        return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
    }
    QSize sizeHint() const override {
        QSize hint;
        for (QLayoutItem *item : m_items)
            hint = hint.expandedTo(item->sizeHint());
        return hint + QSize(2 * m_inset, 2 * m_inset);
    }
    void setGeometry(const QRect &rect) override {
        QLayout::setGeometry(rect);
        for (QLayoutItem *item : m_items)
            item->setGeometry(rect.adjusted(m_inset, m_inset, -m_inset, -m_inset));
    }

private:
    QList<QLayoutItem *> m_items;
    int m_inset = 0;
};

QString rgba(const QColor &color) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

QColor withAlpha(QColor color, qreal alpha) {
    color.setAlphaF(float(alpha));
    return color;
}

// A capsule needs the button's own height, known only once the style sheet's padding applies.
void setCapsuleSheet(QAbstractButton *button, const QString &sheetWithoutRadius) {
    button->setStyleSheet(sheetWithoutRadius.arg(4));
    const int radius = qMax(4, button->sizeHint().height() / 2);
    button->setStyleSheet(sheetWithoutRadius.arg(radius));
}

} // namespace

bool GlassSurface::usesGlass() {
    return WindowEffects::compositorActive();
}

MaterialView *GlassSurface::surface(QWidget *content, const QSize &size, qreal cornerRadius,
                                    bool masked) {
    const auto kind = usesGlass() ? MaterialView::Kind::Glass : MaterialView::Kind::Opaque;
    auto *material = new MaterialView(kind, cornerRadius, masked);
    material->resize(size);
    if (content) {
        content->resize(size);
        material->setContent(content);
    }
    return material;
}

GlassSurface::Wrapped GlassSurface::wrap(QWidget *content, const QSize &size, qreal cornerRadius) {
    MaterialView *material = surface(content, size, cornerRadius, true);
    if (material->kind() != MaterialView::Kind::Glass)
        return {material, size, true};

    const QSize outer = size + QSize(2 * shadowMargin, 2 * shadowMargin);
    auto *container =
        new FloatingShadowContainer(QRect(QPoint(0, 0), outer), shadowMargin, cornerRadius);
    auto *layout = new InsetLayout(container, shadowMargin);
    material->setParent(container);
    material->setGeometry(QRect(QPoint(shadowMargin, shadowMargin), size));
    layout->addWidget(material);
    container->updateShadow();
    return {container, outer, false};
}

void GlassSurface::apply(QWidget *window, QWidget *content, const QSize &size) {
    if (!window)
        return;
    const bool glass = usesGlass();
    if (glass) {
        window->setAttribute(Qt::WA_TranslucentBackground);
        window->setAttribute(Qt::WA_NoSystemBackground);
    }
    const bool frameless = window->windowFlags().testFlag(Qt::FramelessWindowHint);
    const qreal radius = frameless ? windowCornerRadius : 0;
    MaterialView *material = surface(content, size, radius, frameless);

    if (auto *mainWindow = qobject_cast<QMainWindow *>(window)) {
        mainWindow->setCentralWidget(material);
    } else {
        delete window->layout();
        auto *layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(material);
    }
    window->resize(size);
}

void GlassSurface::glassProminentButtonStyle(QAbstractButton *button) {
    if (!button)
        return;
    const QPalette palette = button->palette();
    const QColor accent = palette.color(QPalette::Active, QPalette::Highlight);
    const QColor text = palette.color(QPalette::Active, QPalette::HighlightedText);
    if (usesGlass()) {
        button->setProperty("orinButtonStyle", QStringLiteral("glassProminent"));
        setCapsuleSheet(
            button,
            QStringLiteral("QAbstractButton { color: %1; background-color: %2;"
                           " border: 1px solid %3; border-radius: %4px;"
                           " padding: 5px 16px; }"
                           "QAbstractButton:hover { background-color: %5; }"
                           "QAbstractButton:pressed { background-color: %6; }"
                           "QAbstractButton:disabled { color: %7; background-color: %8; }")
                .arg(rgba(text), rgba(withAlpha(accent, 0.88)), rgba(QColor(255, 255, 255, 90)),
                     QStringLiteral("%1"), rgba(withAlpha(accent.lighter(110), 0.92)),
                     rgba(withAlpha(accent.darker(115), 0.95)), rgba(withAlpha(text, 0.6)),
                     rgba(withAlpha(accent, 0.4))));
        return;
    }
    button->setProperty("orinButtonStyle", QStringLiteral("borderedProminent"));
    button->setStyleSheet(
        QStringLiteral("QAbstractButton { color: %1; background-color: %2; border: 1px solid %3;"
                       " border-radius: 6px; padding: 5px 14px; }"
                       "QAbstractButton:hover { background-color: %4; }"
                       "QAbstractButton:pressed { background-color: %3; }"
                       "QAbstractButton:disabled { color: %5; background-color: %6; }")
            .arg(rgba(text), rgba(accent), rgba(accent.darker(120)), rgba(accent.lighter(110)),
                 rgba(withAlpha(text, 0.6)), rgba(withAlpha(accent, 0.45))));
}

void GlassSurface::glassButtonStyle(QAbstractButton *button) {
    if (!button)
        return;
    if (usesGlass()) {
        const QColor text = button->palette().color(QPalette::Active, QPalette::ButtonText);
        const QColor base = button->palette().color(QPalette::Active, QPalette::Button);
        button->setProperty("orinButtonStyle", QStringLiteral("glass"));
        setCapsuleSheet(button, QStringLiteral("QAbstractButton { color: %1; background-color: %2;"
                                               " border: 1px solid %3; border-radius: %4px;"
                                               " padding: 5px 16px; }"
                                               "QAbstractButton:hover { background-color: %5; }"
                                               "QAbstractButton:pressed { background-color: %6; }"
                                               "QAbstractButton:disabled { color: %7; }")
                                    .arg(rgba(text), rgba(withAlpha(base, 0.45)),
                                         rgba(withAlpha(text, 0.16)), QStringLiteral("%1"),
                                         rgba(withAlpha(base, 0.65)), rgba(withAlpha(text, 0.14)),
                                         rgba(withAlpha(text, 0.45))));
        return;
    }
    // The platform's own push button is the bordered style.
    button->setProperty("orinButtonStyle", QStringLiteral("bordered"));
    button->setStyleSheet(QString());
}

CardBackground *GlassSurface::cardBackground(QWidget *content, qreal cornerRadius) {
    auto *card = new CardBackground(cornerRadius);
    card->setContent(content);
    return card;
}
