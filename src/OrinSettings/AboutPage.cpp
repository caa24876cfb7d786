#include "OrinSettings/AboutPage.h"

#include "OrinSettings/AppHeader.h"
#include "OrinSettings/PageAssembly.h"
#include "OrinSettings/SettingsIcon.h"
#include "OrinSettings/SettingsRow.h"
#include "OrinSettings/SettingsSection.h"
#include "OrinUpdates/Updater.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {

AboutPage::UrlOpener &urlOpener() {
    static AboutPage::UrlOpener opener;
    return opener;
}

// A link drawn as a plain button: the icon with the title beside it, no frame, also not under the
// pointer (a tool button would raise one), and room between the two like a label's.
class LinkButton : public QAbstractButton {
public:
    static constexpr int iconSide = 20;
    static constexpr int spacing = 8;

    LinkButton(const QString &title, const QIcon &icon) {
        setText(title);
        setIcon(icon);
        setIconSize(QSize(iconSide, iconSide));
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return QSize(iconSide + spacing + metrics.horizontalAdvance(text()) + 2,
                     qMax(iconSide, metrics.height()) + 4);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        // Pressed, the link dims as a plain button does.
        if (isDown())
            painter.setOpacity(0.6);
        const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
        const QRect iconRect(0, (height() - iconSide) / 2, iconSide, iconSide);
        icon().paint(&painter, iconRect, Qt::AlignCenter, mode);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::WindowText));
        const QRect textRect = rect().adjusted(iconSide + spacing, 0, 0, 0);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = textRect.adjusted(-2, 0, 0, 0);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
};

struct Link {
    const char *title;
    const char *symbol;
    QColor tint;
    QUrl url;
};

constexpr int buttonInset = 8;

} // namespace

AboutPage::AboutPage(const SettingsAppInfo &app, Updater *updater, QWidget *parent)
    : SettingsForm(parent) {
    auto *section = new SettingsSection(new AppHeader(app.name, app.tagline));

    auto *version = new QLabel(app.versionText());
    version->setObjectName(QStringLiteral("version"));
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    section->addRow(new SettingsRow(QStringLiteral("Version"), QString(), version));

    if (updater && updater->isAvailable()) {
        auto *check = new QPushButton(QStringLiteral("Check for Updates\u2026"));
        // Room around the title: some styles draw it against the button's edges.
        check->setMinimumSize(check->sizeHint() + QSize(2 * buttonInset, buttonInset));
        connect(check, &QPushButton::clicked, this, [updater] { updater->checkForUpdates(); });
        m_checkForUpdates = check;
        section->addRow(new SettingsRow(QStringLiteral("Updates"), QString(), check));
    }

    const Link links[] = {
        {"Website", "globe", SettingsIcon::blue(), app.website},
        {"What's New", "sparkles", SettingsIcon::orange(), app.changelog},
        {"Contact Support", "envelope.fill", SettingsIcon::blue(), app.support},
    };
    for (const Link &link : links) {
        auto *button =
            new LinkButton(QString::fromUtf8(link.title),
                           SettingsIcon::icon(QString::fromLatin1(link.symbol), link.tint));
        button->setToolTip(link.url.toString());
        const QUrl url = link.url;
        connect(button, &QAbstractButton::clicked, this, [url] { openUrl(url); });
        m_links.append(button);
        auto *row = new QWidget;
        auto *rowLayout = new QHBoxLayout(row);
        // The icon lines up with the other rows' titles.
        rowLayout->setContentsMargins(12, 6, 12, 6);
        rowLayout->addWidget(button);
        rowLayout->addStretch(1);
        section->addRow(row);
    }
    addSection(section);
}

SettingsPage AboutPage::page(const SettingsAppInfo &app, Updater *updater) {
    // A search for updates finds nothing where the page says nothing of them.
    QStringList keywords{QStringLiteral("about"), QStringLiteral("version")};
    if (updater && updater->isAvailable())
        keywords << QStringLiteral("update") << QStringLiteral("updates");
    keywords << QStringLiteral("website") << QStringLiteral("support");
    return SettingsPage{
        PageAssembly::aboutID(),
        QStringLiteral("About"),
        QStringLiteral("info.circle.fill"),
        SettingsIcon::gray(),
        keywords,
        [app, updater]() -> QWidget * { return new AboutPage(app, updater); },
    };
}

void AboutPage::setUrlOpener(UrlOpener opener) {
    urlOpener() = std::move(opener);
}

void AboutPage::openUrl(const QUrl &url) {
    if (urlOpener()) {
        urlOpener()(url);
        return;
    }
    QDesktopServices::openUrl(url);
}
