#pragma once

#include <QString>

#include <optional>

// Why the system refused a login-item change: a short text for the user and one with the
// details for the log.
struct LoginItemError {
    QString localizedDescription;
    QString description;
};

// The desktop's record of whether this application starts when the user logs in.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;

    // Whether the application is registered to start at login right now.
    virtual bool isEnabled() const = 0;
    // Registers (true) or unregisters (false); the system's error when it refuses, else nothing.
    virtual std::optional<LoginItemError> setEnabled(bool enabled) = 0;
};
