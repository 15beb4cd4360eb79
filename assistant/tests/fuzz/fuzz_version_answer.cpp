// libFuzzer target of the cloud's answer to the version check
// (VersionAnswer::read, as NerevUpdate reads it) and of the version
// comparison. An offer never names a file outside the download folder.
#include "fuzz_support.h"
#include "versionanswer.h"

#include <QUrl>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const QString current = QStringLiteral("1.1.16.420");
    const VersionAnswer answer = VersionAnswer::read(body, current);

    if (answer.verdict == VersionAnswer::Offer) {
        fuzz::check(VersionAnswer::isNewer(current, answer.version), "only a newer version is offered");
        const QString scheme = QUrl(answer.url).scheme();
        fuzz::check(scheme == QLatin1String("http") || scheme == QLatin1String("https"), "installers come over http(s)");
        const QString name = answer.installerName;
        fuzz::check(!name.isEmpty() && name != QLatin1String(".") && name != QLatin1String(".."),
                    "the installer name names a file");
        for (const QChar c : name)
            fuzz::check(c >= QLatin1Char(' ') && !QStringLiteral("/\\:*?\"<>|").contains(c),
                        "the installer name is one file name on every system");
        fuzz::check(!answer.note.contains(QLatin1String("/n")), "every note marker becomes a line break");
    } else {
        fuzz::check(answer.note.isEmpty() && answer.installerName.isEmpty(), "nothing to offer without an offer");
    }
    fuzz::check(!answer.logLine.contains(QLatin1Char('\n')) || answer.verdict == VersionAnswer::Refused
                    || answer.verdict == VersionAnswer::BadAddress,
                "log lines are single lines");

    // The comparison on its own, with the answer's text split in two.
    const int half = body.size() / 2;
    const QString a = QString::fromUtf8(body.left(half));
    const QString b = QString::fromUtf8(body.mid(half));
    fuzz::check(!(VersionAnswer::isNewer(a, b) && VersionAnswer::isNewer(b, a)), "newer is one-way");
    fuzz::check(!VersionAnswer::isNewer(a, a), "no version is newer than itself");
    return 0;
}
