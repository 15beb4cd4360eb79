#pragma once

#include <QMetaType>
#include <QString>

// One headset as the streamer reports it over the control socket.
struct HmdInfo
{
    QString name;
    QString ip;
    bool connected = false;

    bool operator==(const HmdInfo &other) const
    {
        return name == other.name && ip == other.ip && connected == other.connected;
    }
    bool operator!=(const HmdInfo &other) const { return !(*this == other); }
};

Q_DECLARE_METATYPE(HmdInfo)
