#include "Chromet/App/NotificationCenter.h"

NotificationCenter &NotificationCenter::instance() {
    // Never destroyed: posts from objects torn down after main() returns must not meet a dead
    // center.
    static NotificationCenter *const center = new NotificationCenter;
    return *center;
}

NotificationCenter::NotificationCenter(QObject *parent)
    : QObject(parent) {
}

void NotificationCenter::post(const QString &name) {
    Q_EMIT posted(name);
}
