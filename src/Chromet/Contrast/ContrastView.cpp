#include "Chromet/Contrast/ContrastView.h"

#include "Chromet/Contrast/ContrastBadge.h"
#include "Chromet/Contrast/ContrastColorChooser.h"
#include "Chromet/Contrast/ContrastEmptyView.h"
#include "Chromet/Contrast/ContrastModel.h"
#include "Chromet/Contrast/ContrastSample.h"
#include "Chromet/Contrast/ContrastStyle.h"
#include "Chromet/Contrast/ContrastViewState.h"
#include "OrinTheme/Symbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtMath>

namespace {

// The ratio and Lc side by side, sharing the first text baseline.
class FiguresRow : public QWidget {
public:
    static constexpr int spacing = 8;

    FiguresRow(QLabel *ratio, QLabel *lc, QWidget *parent)
        : QWidget(parent)
        , m_ratio(ratio)
        , m_lc(lc) {
        for (QLabel *label : {ratio, lc}) {
            label->setParent(this);
            label->setContentsMargins(0, 0, 0, 0);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setIndent(0);
            label->setMargin(0);
        }
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override {
        const QFontMetrics r(m_ratio->font());
        const QFontMetrics l(m_lc->font());
        const int ascent = qMax(r.ascent(), l.ascent());
        const int descent = qMax(r.descent(), l.descent());
        return QSize(m_ratio->sizeHint().width() + spacing + m_lc->sizeHint().width(),
                     ascent + descent + 1);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

    void relayout() {
        const QFontMetrics r(m_ratio->font());
        const QFontMetrics l(m_lc->font());
        const int baseline = qMax(r.ascent(), l.ascent());
        const QSize ratioSize = m_ratio->sizeHint();
        const QSize lcSize = m_lc->sizeHint();
        m_ratio->setGeometry(0, baseline - r.ascent(), ratioSize.width(), ratioSize.height());
        m_lc->setGeometry(ratioSize.width() + spacing, baseline - l.ascent(), lcSize.width(),
                          lcSize.height());
        updateGeometry();
    }

protected:
    void resizeEvent(QResizeEvent *event) override {
        QWidget::resizeEvent(event);
        relayout();
    }

private:
    QLabel *m_ratio;
    QLabel *m_lc;
};

// A figure whose digits all take the width of the widest, so a changing value keeps its place
// and its width whatever the font's own digits do.
class TabularFigures : public QLabel {
public:
    using QLabel::QLabel;

    QSize sizeHint() const override {
        const QFontMetricsF metrics(font());
        return QSize(qCeil(advance(metrics, text())), qCeil(metrics.height()));
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The width the text takes with tabular digits.
    static qreal advance(const QFontMetricsF &metrics, const QString &text) {
        const qreal cell = digitCell(metrics);
        qreal width = 0;
        for (const QChar c : text)
            width += c.isDigit() ? cell : metrics.horizontalAdvance(c);
        return width;
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        const QFontMetricsF metrics(font());
        const qreal cell = digitCell(metrics);
        qreal x = 0;
        for (const QChar c : text()) {
            const qreal own = metrics.horizontalAdvance(c);
            const qreal width = c.isDigit() ? cell : own;
            painter.drawText(QPointF(x + (width - own) / 2, metrics.ascent()), QString(c));
            x += width;
        }
    }

private:
    static qreal digitCell(const QFontMetricsF &metrics) {
        qreal widest = 0;
        for (char16_t digit = u'0'; digit <= u'9'; ++digit)
            widest = qMax(widest, metrics.horizontalAdvance(QChar(digit)));
        return widest;
    }
};

QToolButton *borderlessSymbolButton(const QString &symbol, int size, QWidget *parent) {
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIconSize(QSize(size, size));
    button->setProperty("symbolName", symbol);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

} // namespace

ContrastView::ContrastView(ContrastViewState *holder, bool lowercaseHex,
                           std::function<void()> close, QWidget *parent)
    : QWidget(parent)
    , m_holder(holder)
    , m_lowercaseHex(lowercaseHex)
    , m_onClose(std::move(close)) {
    resize(contentSize);

    m_faces = new QStackedWidget(this);
    m_empty = new ContrastEmptyView;
    m_content = buildContent();
    m_faces->addWidget(m_empty);
    m_faces->addWidget(m_content);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_faces);

    // Over either face, outside the layout.
    m_closeButton =
        borderlessSymbolButton(QStringLiteral("xmark.circle.fill"), closeSymbolSize, this);
    m_closeButton->setToolTip(QStringLiteral("Close"));
    m_closeButton->setAccessibleName(QStringLiteral("Close"));
    m_closeButton->setStyleSheet(
        QStringLiteral("QToolButton { padding: %1px; border: none; }").arg(closePadding - 2));
    m_closeButton->setFixedSize(closeSymbolSize + 2 * closePadding,
                                closeSymbolSize + 2 * closePadding);
    connect(m_closeButton, &QToolButton::clicked, this, [this] {
        if (m_onClose)
            m_onClose();
    });
    placeCloseButton();
    m_closeButton->raise();

    applyColors();
    if (m_holder)
        connect(m_holder, &ContrastViewState::changed, this, &ContrastView::refresh);
    refresh();
}

QWidget *ContrastView::buildContent() {
    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(sectionSpacing);

    // 1. The pair.
    m_textChooser = new ContrastColorChooser(QStringLiteral("Text"), m_lowercaseHex, content);
    m_backgroundChooser =
        new ContrastColorChooser(QStringLiteral("Background"), m_lowercaseHex, content);
    m_swap = borderlessSymbolButton(QStringLiteral("arrow.left.arrow.right"), 16, content);
    m_swap->setToolTip(QStringLiteral("Swap text and background"));
    m_swap->setAccessibleName(QStringLiteral("Swap colors"));
    QPointer<ContrastViewState> holder = m_holder;
    connect(m_swap, &QToolButton::clicked, this, [holder] {
        if (holder)
            holder->swap();
    });
    m_textChooser->setOnChoose([holder](const PickedColor &color) {
        if (holder)
            holder->setText(color);
    });
    m_backgroundChooser->setOnChoose([holder](const PickedColor &color) {
        if (holder)
            holder->setBackground(color);
    });
    // One centred group; the room left over goes to both sides alike.
    auto *pair = new QHBoxLayout;
    pair->setSpacing(pairSpacing);
    pair->addStretch(1);
    pair->addWidget(m_textChooser, 0, Qt::AlignVCenter);
    pair->addWidget(m_swap, 0, Qt::AlignVCenter);
    pair->addWidget(m_backgroundChooser, 0, Qt::AlignVCenter);
    pair->addStretch(1);
    column->addLayout(pair);

    // 2. The sample.
    m_sample = new ContrastSample(content);
    column->addWidget(m_sample, 1);

    // 3. The figures.
    m_ratio = new TabularFigures;
    m_ratio->setObjectName(QStringLiteral("ratio"));
    m_ratio->setFont(ContrastStyle::font(ratioSize, QFont::DemiBold));
    m_lc = new TabularFigures;
    m_lc->setObjectName(QStringLiteral("lc"));
    m_lc->setFont(ContrastStyle::font(lcSize, QFont::Medium));
    column->addWidget(new FiguresRow(m_ratio, m_lc, content));

    // 4. The badges, sharing the width equally.
    auto *badges = new QHBoxLayout;
    badges->setSpacing(badgeSpacing);
    for (ContrastBadge *&badge : m_badges) {
        badge = new ContrastBadge(content);
        badges->addWidget(badge, 1);
    }
    column->addLayout(badges);
    return content;
}

bool ContrastView::showsEmptyView() const {
    return m_faces->currentWidget() == m_empty;
}

void ContrastView::refresh() {
    const std::optional<ContrastModel> model =
        m_holder ? m_holder->state().model() : std::optional<ContrastModel>();
    if (!model) {
        m_faces->setCurrentWidget(m_empty);
        return;
    }
    const QList<PickedColor> &history = m_holder->state().history();
    m_textChooser->setColors(model->text, history);
    m_backgroundChooser->setColors(model->background, history);
    m_sample->setColors(model->text, model->background);

    const double ratio = model->ratio();
    m_ratio->setText(Contrast::ratioText(ratio));
    m_lc->setText(Contrast::lcText(model->lc()));
    const std::array<ContrastLevel, 4> levels = Contrast::levels(ratio);
    for (size_t i = 0; i < levels.size(); ++i)
        m_badges[i]->setLevel(levels[i].label, levels[i].passes);
    if (auto *figures = dynamic_cast<FiguresRow *>(m_ratio->parentWidget()))
        figures->relayout();
    m_faces->setCurrentWidget(m_content);
}

void ContrastView::applyColors() {
    const QColor secondary = ContrastStyle::secondary(palette());
    QPalette lcPalette = m_lc->palette();
    lcPalette.setColor(QPalette::WindowText, secondary);
    m_lc->setPalette(lcPalette);
    m_closeButton->setIcon(Symbols::icon(QStringLiteral("xmark.circle.fill"), secondary));
    m_swap->setIcon(Symbols::icon(QStringLiteral("arrow.left.arrow.right"),
                                  palette().color(QPalette::WindowText)));
}

void ContrastView::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_closeButton)
        applyColors();
}

void ContrastView::placeCloseButton() {
    m_closeButton->move(width() - m_closeButton->width(), 0);
}

void ContrastView::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    placeCloseButton();
}
