#include "OrinSettings/SettingsWindowController.h"

#include "OrinMenuBar/MainMenu.h"
#include "OrinSettings/AboutPage.h"
#include "OrinSettings/PageAssembly.h"
#include "OrinSettings/SettingsRouter.h"
#include "OrinSettings/SettingsToolbar.h"
#include "OrinSettings/SettingsWindow.h"

#include <QGuiApplication>
#include <QScreen>

SettingsWindowController::SettingsWindowController(const SettingsAppInfo &app, Updater *updater,
                                                   const QList<SettingsPage> &appPages,
                                                   QObject *parent)
    : QObject(parent)
    , m_app(app)
    , m_pages(PageAssembly::assemble(PageAssembly::withSharedGeneralKeywords(appPages),
                                     AboutPage::page(app, updater)))
    , m_router(new SettingsRouter(this)) {
}

SettingsWindowController::~SettingsWindowController() {
    delete m_window;
}

SettingsToolbar *SettingsWindowController::toolbar() {
    if (!m_toolbar)
        m_toolbar = new SettingsToolbar(m_router, this);
    return m_toolbar;
}

void SettingsWindowController::setMainMenu(const MainMenu *menu) {
    m_mainMenu = menu;
    if (m_window && m_mainMenu)
        m_mainMenu->install(m_window);
}

QString SettingsWindowController::titleFor(const QString &page) const {
    const SettingsPage *found = PageAssembly::find(m_pages, page);
    return found ? found->title : QStringLiteral("Settings");
}

void SettingsWindowController::show(const std::optional<QString> &page) {
    if (page) {
        toolbar()->clearSearch();
        m_router->setPage(PageAssembly::resolve(page, m_pages));
    }
    if (!m_window)
        makeWindow();
    m_window->setWindowTitle(titleFor(m_router->page()));
    if (m_window->isMinimized())
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void SettingsWindowController::makeWindow() {
    m_window = new SettingsWindow(m_router, toolbar(), m_pages);
    if (m_mainMenu)
        m_mainMenu->install(m_window);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), m_window->size());
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
    const QPointer<SettingsWindow> window = m_window;
    const QPointer<SettingsWindowController> self = this;
    m_router->onChange = [window, self](const QString &page) {
        if (window && self)
            window->setWindowTitle(self->titleFor(page));
    };
}
