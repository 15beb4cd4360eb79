// The quality settings flow: every quality property reads the settings
// store's section of the current headset model; a full change stops SteamVR,
// rewrites and starts SteamVR again.
#include "nerevmanager.h"

#include "settingsstore.h"

#include <QDebug>
#include <QJsonObject>

int NerevManager::definitionIndex() const
{
    return settings()->definitionIndex();
}

int NerevManager::fpsIndex() const
{
    return settings()->fpsIndex();
}

int NerevManager::encodeType() const
{
    return settings()->encodeIndex();
}

bool NerevManager::audioStatus() const
{
    return settings()->audio();
}

bool NerevManager::tenbitEnc() const
{
    return settings()->tenBitEnc();
}

bool NerevManager::fullRangeColor() const
{
    return settings()->fullRange();
}

bool NerevManager::enableHdr() const
{
    return settings()->hdr();
}

int NerevManager::widthIndex() const
{
    return settings()->width();
}

int NerevManager::heightIndex() const
{
    return settings()->height();
}

// The bit rate and the render scale come from the section of the headset the
// controller knows (m_deviceSn); without one, from the store's current id.
int NerevManager::bitRate() const
{
    const QJsonObject section = settings()->load(!m_deviceSn.isEmpty(), settings()->modelOf(m_deviceSn));
    const QString key = m_wired ? QStringLiteral("bitRate_wired") : QStringLiteral("bitRate");
    return section.value(key).toString().toInt();
}

int NerevManager::videoRatio() const
{
    const QJsonObject section = settings()->load(!m_deviceSn.isEmpty(), settings()->modelOf(m_deviceSn));
    return section.value(QStringLiteral("scale")).toString().toInt();
}

bool NerevManager::av1Available() const
{
    return settings()->isAv1Capable(m_gpuNames);
}

bool NerevManager::nvidiaAvailable() const
{
    return settings()->isNvidia(m_gpuNames);
}

void NerevManager::setEffects(int definition, int fps, int encodType, bool audiostatus, bool tenbit, bool fullRange,
                              bool Hdr)
{
    emit showToast(QObject::tr("steamVR重启设置中，请勿操作"), kQualityRestartToastMs);
    m_sequences.enqueue(QStringLiteral("quality change"), [=](SequenceQueue::Done done) {
        const bool held = lockRestart();
        stopSteamVrThen([=] {
            m_sequences.wait(m_timing.rewritePauseMs, [=] {
                settings()->save(m_deviceSn);
                // The mode as it is when the rewrite happens.
                settings()->applyEffects(definition, fps, encodType, audiostatus, m_wired, tenbit, fullRange, Hdr);
                scheduleSteamVrStart();
                unlockRestart(held);
                done();
            });
        });
    });
}

// The two stores below change what a quality change under way would write:
// they wait their turn behind it.
void NerevManager::setVideoQuilty(int scale, int bitrate)
{
    m_sequences.enqueue(QStringLiteral("store render scale"), [=](SequenceQueue::Done done) {
        settings()->storeVideoQuality(scale, bitrate, m_wired, settings()->modelOf(m_deviceSn));
        done();
    });
}

void NerevManager::setVideoBitRate(int bitrate)
{
    m_sequences.enqueue(QStringLiteral("store bit rate"), [=](SequenceQueue::Done done) {
        settings()->storeVideoBitRate(bitrate, m_wired, settings()->modelOf(m_deviceSn));
        settings()->save(m_deviceSn);
        done();
    });
}
