#include "OrinHotkey/HotKey.h"
#include "OrinHotkey/HotKeyLogging.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <limits>
#include <map>

namespace {

// Process-wide, main thread only.
struct Registry {
    std::unique_ptr<HotKeyBackend> backend;
    bool handlerInstalled = false;
    // Counts replacements of the service: an answer from a replaced one is dropped.
    quint64 backendGeneration = 0;
    quint32 nextId = 1;
    std::map<quint32, HotKey::Action> actions;
};

Registry &registry() {
    static Registry instance;
    return instance;
}

quint32 takeId(Registry &r) {
    const quint32 id = r.nextId;
    // After 2^32 - 1 registrations the count starts again at 1, skipping ids still in use.
    do {
        r.nextId = r.nextId == std::numeric_limits<quint32>::max() ? 1 : r.nextId + 1;
    } while (r.actions.count(r.nextId) != 0);
    return id;
}

// The press arrives inside the platform's event handling; the action runs on a later turn so that
// it may open windows, grab the keyboard or drop its own HotKey safely.
void dispatch(HotKeyIdentifier identifier) {
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    const quint32 id = identifier.id;
    QMetaObject::invokeMethod(
        app,
        [id] {
            Registry &r = registry();
            const auto it = r.actions.find(id);
            if (it == r.actions.end())
                return; // dropped between the press and now
            const HotKey::Action action = it->second;
            action();
        },
        Qt::QueuedConnection);
}

} // namespace

bool HotKey::canGrabShortcuts() {
    Registry &r = registry();
    if (!r.backend)
        r.backend = HotKeyBackend::createDefault();
    return r.backend->canGrabShortcuts();
}

QString HotKey::triggerDescription() {
    const Registry &r = registry();
    return r.backend ? r.backend->triggerDescription() : QString();
}

void HotKey::create(const HotKeyCombo &combo, Action action, Answer answer) {
    Registry &r = registry();
    if (!r.backend)
        r.backend = HotKeyBackend::createDefault();
    if (!r.handlerInstalled) {
        r.handlerInstalled = true;
        r.backend->installHandler(dispatch);
    }

    const quint32 id = takeId(r);
    const quint64 generation = r.backendGeneration;
    r.backend->registerHotKey(combo, {signature, id},
                              [id, combo, generation, action = std::move(action),
                               answer = std::move(answer)](std::optional<HotKeyBackend::Ref> ref) {
                                  Registry &r = registry();
                                  if (r.backendGeneration != generation)
                                      return;
                                  if (!ref) {
                                      qCInfo(lcOrinHotkey) << "the system refused the shortcut"
                                                           << combo.keyCode << combo.modifiers;
                                      answer(nullptr);
                                      return;
                                  }
                                  std::unique_ptr<HotKey> hotKey(new HotKey(id, combo));
                                  hotKey->m_ref = ref;
                                  r.actions[id] = action;
                                  answer(std::move(hotKey));
                              });
}

HotKey::~HotKey() {
    Registry &r = registry();
    if (m_ref && r.backend)
        r.backend->unregisterHotKey(*m_ref);
    r.actions.erase(m_id);
}

void HotKey::setBackend(std::unique_ptr<HotKeyBackend> backend) {
    Registry &r = registry();
    r.backend = std::move(backend);
    r.handlerInstalled = false;
    ++r.backendGeneration;
}
