#include "OrinHotkey/KeyCaps.h"

#include "OrinHotkey/KeyCap.h"

#include <QHBoxLayout>

KeyCaps::KeyCaps(const QStringList &keys, QWidget *parent)
    : QWidget(parent)
    , m_layout(new QHBoxLayout(this)) {
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(4);
    m_layout->setAlignment(Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setKeys(keys);
}

void KeyCaps::setKeys(const QStringList &keys) {
    if (keys == m_keys && m_layout->count() == keys.size())
        return;
    m_keys = keys;
    while (QLayoutItem *item = m_layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const QString &key : keys)
        m_layout->addWidget(new KeyCap(key, this), 0, Qt::AlignVCenter);
    setAccessibleName(keys.join(QLatin1Char('+')));
    updateGeometry();
}

QList<KeyCap *> KeyCaps::caps() const {
    QList<KeyCap *> caps;
    for (int i = 0; i < m_layout->count(); ++i) {
        if (auto *cap = qobject_cast<KeyCap *>(m_layout->itemAt(i)->widget()))
            caps.append(cap);
    }
    return caps;
}
