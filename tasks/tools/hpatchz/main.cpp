// The patch tool the launcher runs as "hpatchz -f <base> <patch> <out>": rebuilds <out> from the kept
// package <base> and a VCDIFF patch made with xdelta3, and prints "patch ok" when the new package is
// complete. Any failure prints a reason on standard error and exits with a non-zero code.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace {

int fail(const QString &reason)
{
    QTextStream(stderr) << "hpatchz: " << reason << '\n';
    return 1;
}

QString decoderProgram()
{
    // Tests and packagers may point at another build of the decoder.
    const QString fromEnv = qEnvironmentVariable("LAUNCHER_XDELTA3");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QStandardPaths::findExecutable(QStringLiteral("xdelta3"));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    bool force = false;
    if (!args.isEmpty() && args.first() == QLatin1String("-f")) {
        force = true;
        args.removeFirst();
    }
    if (args.size() != 3)
        return fail(QStringLiteral("usage: hpatchz [-f] <base> <patch> <out>"));
    const QString base = args.at(0);
    const QString patch = args.at(1);
    const QString out = args.at(2);

    if (!QFileInfo(base).isFile())
        return fail(QStringLiteral("base package not found: ") + base);
    if (!QFileInfo(patch).isFile())
        return fail(QStringLiteral("patch not found: ") + patch);
    if (QFileInfo::exists(out) && !force)
        return fail(QStringLiteral("output exists (use -f): ") + out);
    const QString decoder = decoderProgram();
    if (decoder.isEmpty())
        return fail(QStringLiteral("xdelta3 is not installed"));

    // Decode into a side file so a failed run never leaves a half-written package under the final name.
    const QString partial = out + QStringLiteral(".partial");
    QFile::remove(partial);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(decoder,
                  {QStringLiteral("-d"), QStringLiteral("-f"), QStringLiteral("-s"), base, patch, partial});
    if (!process.waitForStarted(-1))
        return fail(QStringLiteral("cannot start ") + decoder);
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        QFile::remove(partial);
        return fail(QStringLiteral("xdelta3 could not apply the patch (exit code ") +
                    QString::number(process.exitCode()) + QLatin1Char(')'));
    }
    if (QFileInfo::exists(out) && !QFile::remove(out)) {
        QFile::remove(partial);
        return fail(QStringLiteral("cannot replace ") + out);
    }
    if (!QFile::rename(partial, out)) {
        QFile::remove(partial);
        return fail(QStringLiteral("cannot write ") + out);
    }
    QTextStream(stdout) << "patch ok\n";
    return 0;
}
