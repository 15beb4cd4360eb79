#pragma once

#include <QString>

// The one table of streaming quality: the presets with their bit rates and
// render scales, the codec rules, the per-model limits and the bit-rate and
// render-scale ranges of the custom setting. The settings store writes from
// it, the controller and the analytics read it, the settings page gets its
// ranges through PageRules.
namespace QualityTable {

// Headset models by the first two characters of the id (case-sensitive).
enum class Model { KX = 1, KY = 2, KZ = 3 };

// Quality presets (the settings file's "definitionIndex").
constexpr int kSmooth = 0;
constexpr int kStandard = 1;
constexpr int kHigh = 2;
constexpr int kCustom = 3;

// Encode index: 0 H264, 1 HEVC, 2 HEVC with 10-bit encoding, 3 AV1.
constexpr int kH264 = 0;
constexpr int kHevc = 1;
constexpr int kHevc10Bit = 2;
constexpr int kAv1 = 3;

struct Preset {
    int bitRate;           // Mbps, written as text
    double scale;          // render scale
    double scaleH264Step;  // render scale for H264 on a KZ headset
    const char *analyticsName;
};

// The preset of a fixed index (0 to 2); null for the custom setting and any other index.
const Preset *preset(int definitionIndex);
// Bit rate of a section completed from a file: its preset's, 50 otherwise.
int defaultBitRate(int definitionIndex);
// "graphicsQuality" of the SteamVR session report in wireless mode.
QString analyticsName(int definitionIndex);

// Frame rate of a frame-rate index (1: 90 Hz, anything else 72 Hz) and back.
int frameRate(int fpsIndex);
int fpsIndexOf(const QString &frameRateText);

// Codec text stored in a model section, and the encode index of one.
QString codecText(int encodeIndex);
int codecIndex(const QString &codec, bool tenBit);
// 10-bit encoding as the codec implies it; other indexes keep `tenBit`.
bool tenBitFor(int encodeIndex, bool tenBit);

// Per-model limits.
Model modelOf(const QString &id);
int width(Model model);
int height(Model model);
// Only a KZ headset takes AV1 and the lower H264 scale step.
bool takesAv1(const QString &id);
bool usesH264ScaleStep(int encodeIndex, const QString &id);
// A GPU from the table's high tier encodes AV1 from this RTX series on.
constexpr int kFirstAv1Series = 4000;

// Ranges of the custom setting's sliders.
struct Range {
    int from;
    int to;
    int step;
    int marker;  // the recommended value, marked on the groove
};
Range bitRateRange(bool wired);
Range scaleRange();

// Codecs the settings page offers: H.264 and HEVC, then HEVC-10bit on
// NVIDIA, then AV1-10bit where AV1 is available.
int codecChoices(bool av1Available, bool nvidia);

} // namespace QualityTable
