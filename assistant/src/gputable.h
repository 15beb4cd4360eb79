#pragma once

#include <QString>

// The GPU capability table "compare.json" (downloaded by the update check):
// CPU and GPU name fragments by class, read anew on every question.
class GpuTable {
public:
    explicit GpuTable(const QString &path) : m_path(path) {}

    // CPU score (mid 4, low 1) plus GPU score (high 8, mid 4); 0 without a table.
    int hardwareScore(const QString &cpuName, const QString &gpuName) const;
    // A high-tier entry "RTX nnnn" of the series that encodes AV1 is in the GPU name.
    bool hasAv1Gpu(const QString &gpuName) const;
    static bool isNvidia(const QString &gpuName);

private:
    QString m_path;
};
