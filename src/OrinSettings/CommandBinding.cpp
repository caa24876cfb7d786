#include "OrinSettings/CommandBinding.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

CommandBinding::CommandBinding(const QString &command, QWidget *parent)
    : QWidget(parent)
    , m_command(command) {
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    m_label = new QLabel(command, this);
    m_label->setObjectName(QStringLiteral("command"));
    m_label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(m_label);

    m_copy = new QPushButton(QStringLiteral("Copy"), this);
    m_copy->setObjectName(QStringLiteral("copyCommand"));
    // Wide enough for either text, so that the row does not move when it changes.
    m_copy->setText(QStringLiteral("Copied"));
    m_copy->setMinimumWidth(m_copy->sizeHint().width());
    m_copy->setText(QStringLiteral("Copy"));
    layout->addWidget(m_copy);

    connect(m_copy, &QPushButton::clicked, this, [this] {
        QGuiApplication::clipboard()->setText(m_command);
        m_copy->setText(QStringLiteral("Copied"));
        QTimer::singleShot(copiedMs, this, [this] { m_copy->setText(QStringLiteral("Copy")); });
    });
}
