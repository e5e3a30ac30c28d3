#include "tasks/TaskFormat.h"

namespace tasks {
namespace {

constexpr qint64 kilobyte = 1024;
constexpr qint64 megabyte = 1048576;
constexpr qint64 gigabyte = 1073741824;

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

QString formatPercent(qint64 total, qint64 done)
{
    if (done <= 0 || total <= 0)
        return fixed(0, 2);
    if (done >= total)
        return fixed(100, 2);
    // The page has always seen the single-precision value; keep its rounding.
    const float percent = static_cast<float>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
    return fixed(static_cast<double>(percent), 2);
}

QString formatPercentText(const QString &total, const QString &done)
{
    const double totalValue = total.toDouble();
    const double doneValue = done.toDouble();
    if (totalValue > 0 && doneValue > 0) {
        if (doneValue >= totalValue)
            return fixed(100, 2);
        return fixed(doneValue / totalValue * 100.0, 2);
    }
    return fixed(0, 2);
}

QString formatSize(qint64 bytes)
{
    if (bytes < 0)
        return QString::number(bytes) + QStringLiteral("Byte");
    if (bytes > gigabyte)
        return fixed(static_cast<double>(bytes) / gigabyte, 2) + QStringLiteral("GB");
    if (bytes > megabyte)
        return fixed(static_cast<double>(bytes) / megabyte, 1) + QStringLiteral("MB");
    if (bytes > kilobyte)
        return fixed(static_cast<double>(bytes) / kilobyte, 0) + QStringLiteral("KB");
    return QString::number(bytes) + QStringLiteral("Byte");
}

QString formatSizeRate(qint64 total, qint64 done)
{
    return formatSize(done) + QLatin1Char('/') + formatSize(total);
}

QString formatSpeed(qint64 bytes, uint seconds)
{
    if (bytes <= 0 || seconds == 0)
        return fixed(0, 2);
    return fixed(static_cast<double>(bytes) / 1024.0 / 1024.0 / seconds, 2);
}

} // namespace tasks
