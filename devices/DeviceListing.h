#pragma once

#include <QList>
#include <QString>

namespace devices {

// A phone as one line of "adb devices -l" shows it.
struct ListedDevice
{
    QString serial; // the first column
    QString model;  // the text after "model:"

    bool operator==(const ListedDevice &other) const
    {
        return serial == other.serial && model == other.model;
    }
};

// The phones of an "adb devices -l" answer, in the order listed. Only lines of authorised devices that
// name their model count; headers, daemon messages, unauthorised and offline devices are skipped.
QList<ListedDevice> parseDeviceListing(const QString &text);

} // namespace devices
