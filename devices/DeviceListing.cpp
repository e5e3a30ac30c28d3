#include "devices/DeviceListing.h"

#include <QRegExp>
#include <QStringList>

namespace devices {

QList<ListedDevice> parseDeviceListing(const QString &text)
{
    // Greedy on purpose: the serial runs up to the last " device" that is still followed by "model:", and
    // the model up to the " device:" field after it.
    const QRegExp deviceLine(QStringLiteral("(.*)\\s+device(.*)model:(.*)\\s+dev"), Qt::CaseSensitive,
                             QRegExp::RegExp);
    QList<ListedDevice> devices;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (!line.contains(QLatin1String("device")))
            continue;
        QRegExp matcher = deviceLine;
        if (matcher.indexIn(line) < 0)
            continue;
        devices.append({matcher.cap(1).trimmed(), matcher.cap(3).trimmed()});
    }
    return devices;
}

} // namespace devices
