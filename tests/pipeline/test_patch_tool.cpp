// The patch tool installed beside the launcher: "hpatchz -f base patch out" rebuilds out from an xdelta3
// patch and prints "patch ok"; a failure prints nothing on standard output and leaves no output file.
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(generator.bounded(256));
    return bytes;
}

} // namespace

class TestPatchTool : public QObject
{
    Q_OBJECT

private slots:
    void appliesOrRefuses_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("ok");
        QTest::newRow("matching base") << "" << true;
        QTest::newRow("damaged base") << "base" << false;
        QTest::newRow("damaged patch") << "patch" << false;
        QTest::newRow("missing base") << "no base" << false;
        QTest::newRow("output exists, replaced") << "existing output" << true;
    }

    void appliesOrRefuses()
    {
        QFETCH(QString, damage);
        QFETCH(bool, ok);
        QTemporaryDir dir;
        const QByteArray oldBytes = randomBytes(300000, 1);
        QByteArray newBytes = oldBytes;
        newBytes.replace(100000, 5000, randomBytes(7000, 2));
        newBytes += randomBytes(20000, 3);
        const QString base = dir.filePath(QStringLiteral("old.zip"));
        const QString target = dir.filePath(QStringLiteral("new.zip"));
        const QString patch = dir.filePath(QStringLiteral("1-2.patch"));
        const QString out = dir.filePath(QStringLiteral("diffpath_1_2.zip"));
        writeBytes(base, oldBytes);
        writeBytes(target, newBytes);
        QCOMPARE(QProcess::execute(QStringLiteral("xdelta3"), {QStringLiteral("-e"), QStringLiteral("-f"),
                                                               QStringLiteral("-s"), base, target, patch}),
                 0);
        if (damage == QLatin1String("base"))
            writeBytes(base, randomBytes(300000, 9));
        else if (damage == QLatin1String("patch"))
            writeBytes(patch, randomBytes(2000, 9));
        else if (damage == QLatin1String("no base"))
            QFile::remove(base);
        else if (damage == QLatin1String("existing output"))
            writeBytes(out, "stale");

        QProcess tool;
        tool.start(QStringLiteral(LAUNCHER_HPATCHZ), {QStringLiteral("-f"), base, patch, out});
        QVERIFY(tool.waitForFinished(30000));
        const QByteArray printed = tool.readAllStandardOutput();
        QCOMPARE(printed.contains("patch ok"), ok);
        QCOMPARE(tool.exitCode() == 0, ok);
        if (ok) {
            QFile result(out);
            QVERIFY(result.open(QIODevice::ReadOnly));
            QCOMPARE(result.readAll(), newBytes);
        } else {
            QVERIFY(!QFileInfo::exists(out));
            QVERIFY(!tool.readAllStandardError().isEmpty());
        }
        QVERIFY(!QFileInfo::exists(out + QStringLiteral(".partial")));
    }
};

QTEST_GUILESS_MAIN(TestPatchTool)
#include "test_patch_tool.moc"
