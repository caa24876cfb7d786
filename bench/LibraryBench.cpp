#include "BenchTimer.h"

#include "Chromet/Library/LibraryStore.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

PickedColor randomColor(QRandomGenerator &random) {
    const auto c = [&] {
        return random.generateDouble();
    };
    return PickedColor{{c(), c(), c()}, {c(), c(), c()}};
}

// Larger than any real library: a full history and 50 palettes of 20 colors.
Library largeLibrary() {
    QRandomGenerator random(7);
    Library library;
    for (int i = 0; i < Library::historyLimit; ++i)
        library.record(randomColor(random));
    for (int p = 0; p < 50; ++p) {
        Palette palette{QUuid::createUuid(), QStringLiteral("Palette %1").arg(p + 1), {}};
        for (int c = 0; c < 20; ++c)
            palette.colors.append(NamedColor{
                QUuid::createUuid(), QStringLiteral("sky-700-%1").arg(c + 2), randomColor(random)});
        library.palettes.append(palette);
    }
    return library;
}

} // namespace

int main() {
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    LibraryStore store(dir.path() + QLatin1String("/Chromet/library.json"));
    store.library() = largeLibrary();
    if (!store.save()) {
        std::fprintf(stderr, "save failed\n");
        return 1;
    }

    const Library &library = store.library();
    const double encodeNs = medianNsPerCall([&] { (void)LibraryStore::encode(library); }, 20);
    const double saveNs = medianNsPerCall([&] { store.save(); }, 20);
    printFigure("library encode (1020 colors)", encodeNs / 1000, "us");
    printFigure("library save (1020 colors, synced; target < 3 ms)", saveNs / 1e6, "ms");
    std::printf("library file size: %lld bytes\n",
                static_cast<long long>(LibraryStore::encode(library)->size()));
    return saveNs < 3e6 ? 0 : 2;
}
