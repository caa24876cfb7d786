// The command line's color parsing, through the commands that read colors: the input's lines are
// the arguments after the command its first byte chooses. A run either answers on out or gives
// exactly one error line.

#include "FuzzCheck.h"

#include "Chromet/App/CommandLine.h"

#include <QTextStream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    static const char *const commands[] = {"format", "nearest", "contrast"};
    QStringList arguments{QString::fromLatin1(commands[data[0] % 3])};
    arguments += QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1))
                     .split(QLatin1Char('\n'));
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = runCommandLine(arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    FUZZ_CHECK(status == 0 || status == 2);
    if (status == 0) {
        FUZZ_CHECK(err.isEmpty() && !out.isEmpty());
    } else {
        FUZZ_CHECK(out.isEmpty() && err.endsWith(QLatin1Char('\n')));
        FUZZ_CHECK(err.count(QLatin1Char('\n')) == 1);
    }
    return 0;
}
