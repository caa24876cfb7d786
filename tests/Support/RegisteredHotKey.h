#pragma once

#include "OrinHotkey/HotKey.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <memory>
#include <optional>

// Asks for a hot key and waits for the system's answer: the hot key, or null when it was refused
// (or not answered within five seconds).
inline std::unique_ptr<HotKey> registeredHotKey(const HotKeyCombo &combo, HotKey::Action action) {
    // Shared with the answer, which may come after a timeout.
    const auto result = std::make_shared<std::optional<std::unique_ptr<HotKey>>>();
    HotKey::create(combo, std::move(action),
                   [result](std::unique_ptr<HotKey> hotKey) { *result = std::move(hotKey); });
    const QDeadlineTimer deadline(5000);
    while (!*result && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return *result ? std::move(**result) : nullptr;
}
