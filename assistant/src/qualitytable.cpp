#include "qualitytable.h"

namespace QualityTable {

namespace {

const Preset kPresets[] = {
    { 20, 0.9, 0.8, "High" },
    { 50, 1.0, 0.9, "Standard" },
    { 100, 1.1, 1.0, "Smooth" },
};

} // namespace

const Preset *preset(int definitionIndex)
{
    if (definitionIndex < kSmooth || definitionIndex > kHigh)
        return nullptr;
    return &kPresets[definitionIndex];
}

int defaultBitRate(int definitionIndex)
{
    const Preset *fixed = preset(definitionIndex);
    return fixed ? fixed->bitRate : kPresets[kStandard].bitRate;
}

QString analyticsName(int definitionIndex)
{
    const Preset *fixed = preset(definitionIndex);
    return QString::fromLatin1(fixed ? fixed->analyticsName : "Auto");
}

int frameRate(int fpsIndex)
{
    return fpsIndex == 1 ? 90 : 72;
}

int fpsIndexOf(const QString &frameRateText)
{
    return frameRateText == QLatin1String("72") ? 0 : 1;
}

QString codecText(int encodeIndex)
{
    if (encodeIndex == kH264)
        return QStringLiteral("H264");
    if (encodeIndex == kAv1)
        return QStringLiteral("AV01");
    return QStringLiteral("HEVC");
}

int codecIndex(const QString &codec, bool tenBit)
{
    if (codec == QLatin1String("H264"))
        return kH264;
    if (codec == QLatin1String("AV01"))
        return kAv1;
    if (codec == QLatin1String("HEVC"))
        return tenBit ? kHevc10Bit : kHevc;
    return kHevc;
}

bool tenBitFor(int encodeIndex, bool tenBit)
{
    if (encodeIndex == kH264 || encodeIndex == kHevc)
        return false;
    if (encodeIndex == kHevc10Bit || encodeIndex == kAv1)
        return true;
    return tenBit;
}

Model modelOf(const QString &id)
{
    if (id.isEmpty() || id.startsWith(QLatin1String("KZ")))
        return Model::KZ;
    if (id.startsWith(QLatin1String("KY")))
        return Model::KY;
    return Model::KX;
}

int width(Model model)
{
    return model == Model::KZ ? 2880 : 1600;
}

int height(Model model)
{
    return model == Model::KZ ? 2656 : 1600;
}

bool takesAv1(const QString &id)
{
    return id.startsWith(QLatin1String("KZ"));
}

bool usesH264ScaleStep(int encodeIndex, const QString &id)
{
    return encodeIndex == kH264 && id.startsWith(QLatin1String("KZ"));
}

Range bitRateRange(bool wired)
{
    return wired ? Range { 20, 1000, 5, 95 } : Range { 20, 400, 5, 35 };
}

Range scaleRange()
{
    return Range { 50, 135, 5, 100 };
}

int codecChoices(bool av1Available, bool nvidia)
{
    if (av1Available)
        return 4;
    return nvidia ? 3 : 2;
}

} // namespace QualityTable
