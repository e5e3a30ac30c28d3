#include "ui/MessageSound.h"

#include "core/QApi.h"

#include <QFile>
#include <QSound>
#include <QWidget>

namespace {
const char Chime[] = ":/images/Resources/images/message.wav";
} // namespace

MessageSound::MessageSound(QWidget *window) : QObject(window) {}

MessageSound::~MessageSound() = default;

bool MessageSound::play()
{
    if (QApi::instance()->getSystemConf(QStringLiteral("useSound"), QStringLiteral("1")) !=
        QLatin1String("1"))
        return false;
    const QString chime = QString::fromLatin1(Chime);
    if (!QFile::exists(chime))
        return false;
    QSound::play(chime);
    emit played();
    return true;
}
