#include "versionanswer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace {
const char kDefaultInstallerName[] = "OSTREL_Streaming_Assistant.exe";

// Whether `name` is one plain file name on Windows and elsewhere: no folder
// separators or drive colons (a decoded "%5C..%5C" would leave the download
// folder on Windows), none of the characters Windows refuses, no device name.
bool isPlainFileName(const QString &name)
{
    // "." and ".." would name a folder, not a file inside the download folder.
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            return false;
    }
    // Windows drops trailing dots and blanks, and the device names open a
    // device whatever extension follows.
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return false;
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9])(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return !device.match(name).hasMatch();
}
} // namespace

VersionAnswer VersionAnswer::read(const QByteArray &body, const QString &current)
{
    VersionAnswer answer;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        answer.logLine = QStringLiteral("json parseError");
        return answer;
    }
    const QJsonObject root = document.object();
    const QJsonValue errCode = root.value(QStringLiteral("errCode"));
    if (!errCode.isDouble() || errCode.toInt(-1) != 0) {
        answer.verdict = Refused;
        answer.logLine = QStringLiteral("check version: ")
            + QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact));
        return answer;
    }
    if (!root.value(QStringLiteral("data")).isObject()) {
        answer.verdict = NoData;
        return answer;
    }
    const QJsonObject data = root.value(QStringLiteral("data")).toObject();
    answer.version = data.value(QStringLiteral("version")).toString();
    if (!isNewer(current, answer.version)) {
        answer.verdict = NotNewer;
        return answer;
    }
    answer.url = data.value(QStringLiteral("url")).toString();
    const QString scheme = QUrl(answer.url).scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        answer.verdict = BadAddress;
        answer.logLine = QStringLiteral("check version: installer address refused: ") + answer.url;
        return answer;
    }
    answer.verdict = Offer;
    answer.forced = data.value(QStringLiteral("forced")).toInt() == 1;
    answer.note = noteText(data.value(QStringLiteral("note")).toString());
    answer.installerName = installerFileName(answer.url);
    return answer;
}

bool VersionAnswer::isNewer(const QString &current, const QString &offered)
{
    const QStringList currentParts = current.split(QLatin1Char('.'));
    const QStringList offeredParts = offered.split(QLatin1Char('.'));
    const int n = std::min(currentParts.size(), offeredParts.size());
    if (n < 3)
        return false;
    for (int i = 0; i < n; ++i) {
        // Text that is not a number counts as 0.
        const qlonglong have = currentParts.at(i).toLongLong();
        const qlonglong offer = offeredParts.at(i).toLongLong();
        if (offer > have)
            return true;
        if (offer < have)
            return false;
    }
    return false;
}

QString VersionAnswer::installerFileName(const QString &url)
{
    const QString name = QUrl(url).fileName();
    return isPlainFileName(name) ? name : QString::fromLatin1(kDefaultInstallerName);
}

QString VersionAnswer::noteText(QString note)
{
    return note.replace(QStringLiteral("/n"), QStringLiteral("<br>"));
}
