#pragma once

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QProcess;

// Knows the PC: operating system, processor, memory, graphics adapters, Direct3D level,
// machine id, the headset's serial and the network category. Everything is collected
// once when the object is created. Also offers the audio, virtual-cable, port and
// process utilities the other subsystems use.
class SystemInfo : public QObject
{
    Q_OBJECT
public:
    struct Adapter {
        QString name;
        quint32 vendorId = 0;
        quint32 deviceId = 0;
        quint64 dedicatedVideoMemory = 0;
    };
    struct AdapterClasses {
        QString integratedGraphics;
        QString discreteGraphics;
        QString vram;
    };
    // What the audio check sees of the first output device; false when there is none.
    using AudioProbe = std::function<bool(QString& name, int& channels)>;

    static SystemInfo* instance();

    // Collects the inventory and starts the network-category query. Tests may create
    // their own objects; the program uses instance().
    explicit SystemInfo(QObject* parent = nullptr);
    ~SystemInfo() override;

    QString cpu() const { return m_cpu; }
    QString os() const { return m_os; }
    QString ram() const { return m_ram; }
    QString vram() const { return m_vram; }
    QString directX() const { return m_directX; }
    QString networkCategory() const { return m_networkCategory; }
    QString machineGuid() const { return m_machineGuid; }
    QString integratedGraphics() const { return m_integratedGraphics; }
    QString discreteGraphics() const { return m_discreteGraphics; }
    QString version() const { return m_version; }
    QString deviceSN() const { return m_deviceSN; }
    // Discrete adapter first, then the integrated one; empty names are left out.
    QStringList graphics() const;

    QString minimumProcessor() const;
    QString recommendedProcessor() const;
    QString minimumGraphics() const;
    QString recommendedGraphics() const;
    QString minimumDirectX() const;
    QString recommendedDirectX() const;
    QString minimumSystem() const;
    QString recommendedSystem() const;
    QString minimumMemory() const;
    QString recommendedMemory() const;

    // Takes these adapters in place of the ones found at creation (tests, and a
    // caller that knows the adapters better).
    void setAdapters(const QList<Adapter>& adapters);
    void setDeviceSN(const QString& sn);
    QJsonObject reportJson() const;

    // Every NVIDIA driver of every display device, in enumeration order.
    QStringList nvidiaDriverVersions();
    bool nvidiaDriverOutdated();

    // The rules, exposed so they can be checked on given inputs.
    static AdapterClasses classifyAdapters(const QList<Adapter>& adapters);
    static QString videoMemoryText(quint64 dedicatedBytes);
    static QString ramText(quint64 totalBytes);
    static QString directXText(bool created, bool invalidArg, quint32 level);
    static bool isNvidiaDriverOutdated(const QStringList& versions);

    // Audio, virtual cable, network category, ports.
    bool audioIsStereo();
    void setAudioProbe(AudioProbe probe);
    static bool vbCableInstalled();
    static bool vbCableInNames(const QStringList& inputDeviceNames);
    // Starts the virtual cable's installer from `dir`; false when it could not be started.
    bool installVbCable(const QString& dir);
    void applyNetworkCategoryOutput(const QByteArray& chunk);
    QStringList portUsers(const QList<int>& ports);

    // Process operations. A name written "X.exe" also matches the executable "X" of
    // systems whose programs carry no extension, so the same rules serve both.
    static bool processNameMatches(const QString& executableName, const QString& wanted);
    static bool isProcessRunning(const QString& name);
    static QString runningProcessPath(const QString& name);
    static int killProcessesByName(const QStringList& names);
    static QString runCommand(const QString& command);

private:
    void collect();
    void startNetworkCategoryQuery();

    QProcess* m_process = nullptr;
    QString m_machineGuid;
    QString m_integratedGraphics;
    QString m_discreteGraphics;
    QString m_cpu;
    QString m_os;
    QString m_ram;
    QString m_vram;
    QString m_directX;
    QString m_deviceSN;
    QString m_networkCategory;
    QString m_version;
    bool m_audioStereo = false;
    AudioProbe m_audioProbe;
};
