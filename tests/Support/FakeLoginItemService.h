#pragma once

#include "OrinSettings/LoginItemService.h"

#include <QList>

using namespace Qt::StringLiterals;

// A login-item registration the test controls: what it reports, whether it refuses, and every
// change it was asked for.
class FakeLoginItemService final : public LoginItemService {
public:
    bool registered = false;
    // When set, every change is refused with this error and `registered` stays as it is.
    bool refuse = false;
    QList<bool> requests;

    bool isEnabled() const override { return registered; }

    std::optional<LoginItemError> setEnabled(bool enabled) override {
        requests.append(enabled);
        if (refuse)
            return LoginItemError{u"Operation not permitted."_s,
                                  u"registration refused (code 1)"_s};
        registered = enabled;
        return std::nullopt;
    }
};
