#pragma once

#include <QStringList>
#include <QWidget>

class KeyCap;
class QHBoxLayout;

// A row of key caps, one per element, 4 pixels apart. The same text may appear twice.
class KeyCaps : public QWidget {
    Q_OBJECT

public:
    explicit KeyCaps(const QStringList &keys = {}, QWidget *parent = nullptr);

    QStringList keys() const { return m_keys; }
    void setKeys(const QStringList &keys);

    QList<KeyCap *> caps() const;

private:
    QHBoxLayout *m_layout = nullptr;
    QStringList m_keys;
};
