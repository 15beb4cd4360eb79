#include "controllines.h"

#include <QStringList>

namespace ControlLines {

void splitLine(const std::string &line, std::string &command, std::string &argument)
{
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) {
        command = line;
        argument.clear();
    } else {
        command = line.substr(0, tab);
        argument = line.substr(tab + 1);
    }
}

QVector<HmdInfo> parseHmdInfoList(const std::string &argument, QString *deviceId)
{
    QVector<HmdInfo> entries;
    const QString text = QString::fromUtf8(argument.data(), static_cast<int>(argument.size()));
    const QString deviceIdKey = QStringLiteral("deviceId:");
    for (const QString &part : text.split(QLatin1Char('~'), Qt::KeepEmptyParts)) {
        if (part.contains(deviceIdKey)) {
            QString id = part;
            id.remove(deviceIdKey);
            if (!id.isEmpty() && deviceId)
                *deviceId = id;
            continue;
        }
        const QStringList fields = part.split(QLatin1Char(';'), Qt::KeepEmptyParts);
        if (fields.size() != 4)
            continue;
        HmdInfo info;
        info.name = fields.at(0);
        info.ip = fields.at(1);
        info.connected = fields.at(2).compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
        entries.append(info);
    }
    return entries;
}

} // namespace ControlLines
