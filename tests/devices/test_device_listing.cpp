#include "devices/DeviceListing.h"

#include <QFile>
#include <QtTest>

using devices::ListedDevice;

Q_DECLARE_METATYPE(QList<ListedDevice>)

namespace {

QString recorded(const char *name)
{
    QFile file(QStringLiteral(LAUNCHER_SOURCE_DIR "/tests/devices/testdata/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return QString::fromUtf8(file.readAll());
}

} // namespace

namespace QTest {
template <> char *toString(const QList<ListedDevice> &devices)
{
    QStringList parts;
    for (const ListedDevice &device : devices)
        parts << device.serial + QLatin1Char('|') + device.model;
    return qstrdup(parts.join(QLatin1String(", ")).toUtf8().constData());
}
} // namespace QTest

class TestDeviceListing : public QObject
{
    Q_OBJECT

private slots:
    void parsesRecordedAnswers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<ListedDevice>>("expected");

        const ListedDevice pixel{QStringLiteral("0B201JEC203456"), QStringLiteral("Pixel_5")};
        QTest::newRow("one phone") << recorded("one_device.txt") << QList<ListedDevice>{pixel};
        QTest::newRow("two devices in listed order")
            << recorded("two_devices.txt")
            << QList<ListedDevice>{
                   {QStringLiteral("R5CT20ABCDE"), QStringLiteral("SM_A525F")},
                   {QStringLiteral("emulator-5554"), QStringLiteral("Android_SDK_built_for_x86")}};
        QTest::newRow("unauthorised, offline, no permissions, recovery skipped")
            << recorded("not_ready_devices.txt") << QList<ListedDevice>{pixel};
        QTest::newRow("no device") << recorded("no_devices.txt") << QList<ListedDevice>{};
        QTest::newRow("daemon messages only") << recorded("daemon_started.err") << QList<ListedDevice>{};
        QTest::newRow("nothing") << QString() << QList<ListedDevice>{};
        QTest::newRow("listing without -l names no model")
            << QStringLiteral("List of devices attached\n0B201JEC203456\tdevice\n\n")
            << QList<ListedDevice>{};
        QTest::newRow("CRLF line ends and tabs")
            << QStringLiteral("List of devices attached\r\n0B201JEC203456\tdevice\tusb:2-1 product:redfin "
                              "model:Pixel_5 device:redfin\r\n")
            << QList<ListedDevice>{pixel};
        QTest::newRow("serial that contains 'device'")
            << QStringLiteral("mydevice-01  device product:p model:Tab_S7 device:gts7l transport_id:9\n")
            << QList<ListedDevice>{{QStringLiteral("mydevice-01"), QStringLiteral("Tab_S7")}};
    }

    void parsesRecordedAnswers()
    {
        QFETCH(QString, text);
        QFETCH(QList<ListedDevice>, expected);
        QCOMPARE(devices::parseDeviceListing(text), expected);
    }
};

QTEST_GUILESS_MAIN(TestDeviceListing)
#include "test_device_listing.moc"
