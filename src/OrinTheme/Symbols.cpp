#include "OrinTheme/Symbols.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>

#include <memory>

// Resources compiled into a static library are registered explicitly, outside any namespace.
static void initSymbolResources() {
    Q_INIT_RESOURCE(OrinSymbols);
}

namespace {

const QString resourceFolder = QStringLiteral(":/OrinTheme/symbols");

void ensureResources() {
    static const bool done = [] {
        initSymbolResources();
        return true;
    }();
    Q_UNUSED(done);
}

// Renderers are kept per name: parsing the SVG costs far more than drawing it again.
QSvgRenderer *rendererFor(const QString &name) {
    static QHash<QString, std::shared_ptr<QSvgRenderer>> cache;
    const auto found = cache.constFind(name);
    if (found != cache.constEnd())
        return found->get();
    const QString path = Symbols::resourcePath(name);
    if (path.isEmpty())
        return nullptr;
    auto renderer = std::make_shared<QSvgRenderer>(path);
    if (!renderer->isValid())
        return nullptr;
    cache.insert(name, renderer);
    return renderer.get();
}

QColor paletteTint(QIcon::Mode mode) {
    const QPalette palette = QGuiApplication::palette();
    const QPalette::ColorGroup group =
        mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active;
    return palette.color(group, QPalette::WindowText);
}

class SymbolIconEngine : public QIconEngine {
public:
    SymbolIconEngine(QString name, QColor tint)
        : m_name(std::move(name))
        , m_tint(std::move(tint)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QPixmap drawn = Symbols::pixmap(m_name, rect.size(), tintFor(mode), dpr);
        if (!drawn.isNull())
            painter->drawPixmap(rect.topLeft(), drawn);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override {
        return Symbols::pixmap(m_name, size, tintFor(mode), 1.0);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        // `size` is already in device pixels here.
        const QSize logical(qMax(1, qRound(size.width() / scale)),
                            qMax(1, qRound(size.height() / scale)));
        return Symbols::pixmap(m_name, logical, tintFor(mode), scale);
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override {
        const int side = qMin(size.width(), size.height());
        return QSize(side, side);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48)};
    }

    QString key() const override { return QStringLiteral("OrinSymbol"); }
    QString iconName() override { return m_name; }
    bool isNull() override { return !Symbols::exists(m_name); }
    QIconEngine *clone() const override { return new SymbolIconEngine(m_name, m_tint); }

private:
    QColor tintFor(QIcon::Mode mode) const {
        if (!m_tint.isValid())
            return paletteTint(mode);
        if (mode != QIcon::Disabled)
            return m_tint;
        QColor faded = m_tint;
        faded.setAlphaF(faded.alphaF() * 0.4f);
        return faded;
    }

    QString m_name;
    QColor m_tint;
};

} // namespace

QStringList Symbols::names() {
    ensureResources();
    QStringList result;
    const QStringList files =
        QDir(resourceFolder).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name);
    for (const QString &file : files)
        result.append(file.chopped(4));
    // Sorted by name, not by file name: "checkmark" comes before "checkmark.circle.fill".
    result.sort();
    return result;
}

bool Symbols::exists(const QString &name) {
    return !resourcePath(name).isEmpty();
}

QString Symbols::resourcePath(const QString &name) {
    ensureResources();
    // A name is a dotted word list; anything else (a path, "..") cannot name a symbol.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
        return {};
    const QString path = resourceFolder + QLatin1Char('/') + name + QStringLiteral(".svg");
    return QFile::exists(path) ? path : QString();
}

QIcon Symbols::icon(const QString &name, const QColor &tint) {
    if (!exists(name))
        return {};
    return QIcon(new SymbolIconEngine(name, tint));
}

QImage Symbols::image(const QString &name, const QSize &pixels, const QColor &tint) {
    if (pixels.isEmpty())
        return {};
    QSvgRenderer *renderer = rendererFor(name);
    if (!renderer)
        return {};
    QImage result(pixels, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    const int side = qMin(pixels.width(), pixels.height());
    const QRectF target((pixels.width() - side) / 2.0, (pixels.height() - side) / 2.0, side, side);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer->render(&painter, target);
    // The artwork is drawn in one colour; keep its coverage and give it the tint.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), tint);
    painter.end();
    return result;
}

QPixmap Symbols::pixmap(const QString &name, const QSize &logical, const QColor &tint, qreal dpr) {
    if (logical.isEmpty() || dpr <= 0)
        return {};
    const QSize pixels(qMax(1, qRound(logical.width() * dpr)),
                       qMax(1, qRound(logical.height() * dpr)));
    QImage drawn = image(name, pixels, tint);
    if (drawn.isNull())
        return {};
    drawn.setDevicePixelRatio(dpr);
    return QPixmap::fromImage(std::move(drawn));
}
