#include "OrinSettings/SettingsDetail.h"

#include "OrinSettings/PageAssembly.h"
#include "OrinSettings/SettingsRouter.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int minimumContentWidth = 480;
constexpr int minimumContentHeight = 500;

} // namespace

SettingsDetail::SettingsDetail(SettingsRouter *router, const QList<SettingsPage> &pages,
                               QWidget *parent)
    : QWidget(parent)
    , m_router(router)
    , m_pages(pages) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    layout->addWidget(m_scroll);
    connect(m_router, &SettingsRouter::pageChanged, this, &SettingsDetail::showRouterPage);
    showRouterPage();
}

void SettingsDetail::showRouterPage() {
    const SettingsPage *page = PageAssembly::find(m_pages, m_router->page());
    if (!page)
        page = PageAssembly::find(m_pages, PageAssembly::generalID());
    const QString id = page ? page->id : QString();
    if (id == m_shown && (m_content || !page))
        return;
    m_shown = id;
    QWidget *content = page && page->content ? page->content() : nullptr;
    if (content)
        content->setMinimumSize(minimumContentWidth, minimumContentHeight);
    // The scroll area deletes the previous content.
    if (content)
        m_scroll->setWidget(content);
    else
        delete m_scroll->takeWidget();
    m_content = content;
}
