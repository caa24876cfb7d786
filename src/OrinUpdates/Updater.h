#pragma once

// The update command as the status menu and the About page see it, without knowing how updates
// are found. The application owns one for the whole run. Main thread only.
class Updater {
public:
    virtual ~Updater() = default;

    // Whether "Check for Updates…" is offered at all.
    virtual bool isAvailable() const = 0;
    // Starts a check the user can see (or shows the release notes); answers at once, the outcome
    // is shown by the updater itself.
    virtual void checkForUpdates() = 0;
};
