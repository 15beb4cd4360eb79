#pragma once

#include <QObject>
#include <QtQml>

// Test stand-in of the controller's QML type, registered where the program
// registers the controller ("NerevManagerCLS" in "NerevManager" 1.0): its
// enumerations with the controller's values, and the one property whose name
// QML cannot declare (it begins with a capital). The object the pages talk to
// is the QML stand-in built on it (StandInNerev.qml), which records every call.
class StandInNerevManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool AV1available READ av1Available WRITE setAv1Available NOTIFY av1AvailableChanged)
public:
    enum Urls { SteamUrl = 0, UserHelperUrl = 1, SteamHelperUrl = 2 };
    Q_ENUM(Urls)
    enum HardwareState { NotCanRun = 0, LowHardware = 1, AdviceHardware = 2, ExcellentHardware = 3 };
    Q_ENUM(HardwareState)
    enum SteamState { Pass = 0, NoneSteam = 1, NoneSteamVR = 2, SteamVRForbid = 3 };
    Q_ENUM(SteamState)

    using QObject::QObject;

    bool av1Available() const { return m_av1Available; }
    void setAv1Available(bool available)
    {
        if (m_av1Available == available)
            return;
        m_av1Available = available;
        emit av1AvailableChanged();
    }

signals:
    void av1AvailableChanged();

private:
    bool m_av1Available = false;
};

inline void registerStandInNerevManager()
{
    static const bool registered = [] {
        qmlRegisterType<StandInNerevManager>("NerevManager", 1, 0, "NerevManagerCLS");
        return true;
    }();
    Q_UNUSED(registered)
}
