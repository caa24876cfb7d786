#include "OrinSettings/DockIcon.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QWindow>

namespace {

// Lists or unlists each top-level window as it is about to be shown.
class PolicyFilter final : public QObject {
public:
    using QObject::QObject;

    ActivationPolicy policy = ActivationPolicy::accessory;
    std::unique_ptr<TaskbarPresence> presence;

    static bool concerns(const QWindow *window) {
        if (!window || window->parent())
            return false;
        switch (window->type()) {
        // Floating panels and loupes are kept out of the taskbar in any case.
        case Qt::Tool:
        case Qt::SplashScreen:
        case Qt::Popup:
        case Qt::ToolTip:
        case Qt::Desktop:
        case Qt::ForeignWindow:
            return false;
        default:
            return true;
        }
    }

    void applyTo(QWindow *window, bool mapped) const {
        if (presence && concerns(window))
            presence->setListed(window, policy == ActivationPolicy::regular, mapped);
    }

    void applyToShownWindows() const {
        for (QWindow *window : QGuiApplication::topLevelWindows()) {
            if (window->isVisible())
                applyTo(window, true);
        }
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        // Sent before the window is mapped, so the hint is in place when it appears.
        if (event->type() == QEvent::Show && watched->isWindowType())
            applyTo(static_cast<QWindow *>(watched), false);
        return false;
    }
};

bool presenceReplaced = false;
std::unique_ptr<TaskbarPresence> replacement;
ActivationPolicy policyWithoutApplication = ActivationPolicy::accessory;

PolicyFilter *filter() {
    static QPointer<PolicyFilter> instance;
    if (instance)
        return instance;
    auto *app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    instance = new PolicyFilter(app);
    instance->policy = policyWithoutApplication;
    instance->presence =
        presenceReplaced ? std::move(replacement) : TaskbarPresence::createDefault();
    app->installEventFilter(instance);
    // Windows shown before the policy was first needed get it too.
    instance->applyToShownWindows();
    return instance;
}

} // namespace

void DockIcon::apply(bool visible) {
    const ActivationPolicy wanted = policy(visible);
    PolicyFilter *policyFilter = filter();
    if (policyFilter && policyFilter->policy == wanted)
        return;
    setActivationPolicy(wanted);
}

ActivationPolicy DockIcon::activationPolicy() {
    if (PolicyFilter *policyFilter = filter())
        return policyFilter->policy;
    return policyWithoutApplication;
}

void DockIcon::setActivationPolicy(ActivationPolicy policy) {
    policyWithoutApplication = policy;
    PolicyFilter *policyFilter = filter();
    if (!policyFilter)
        return;
    policyFilter->policy = policy;
    policyFilter->applyToShownWindows();
}

void DockIcon::setTaskbarPresence(std::unique_ptr<TaskbarPresence> presence) {
    if (PolicyFilter *policyFilter = filter()) {
        policyFilter->presence = std::move(presence);
        return;
    }
    presenceReplaced = true;
    replacement = std::move(presence);
}
