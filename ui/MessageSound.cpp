#include "ui/MessageSound.h"

#include "bridge/ActionEnvelope.h"
#include "bridge/JavascriptCallback.h"
#include "core/QApi.h"
#include "platform/gui/WindowSystem.h"

#include <QFile>
#include <QSound>
#include <QWidget>

namespace {
const char Chime[] = ":/images/Resources/images/message.wav";
} // namespace

MessageSound::MessageSound(QWidget *window) : QObject(window), m_window(window) {}

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

void MessageSound::follow(JavascriptCallback *bridge)
{
    if (bridge == m_bridge)
        return;
    if (m_bridge)
        disconnect(m_bridge, nullptr, this, nullptr);
    m_bridge = bridge;
    if (m_bridge)
        connect(m_bridge, &JavascriptCallback::mainPageEvent, this, &MessageSound::onPageEvent);
}

void MessageSound::onPageEvent(const QString &action, const QString &params)
{
    if (action != QLatin1String("newMessage"))
        return;
    const ActionEnvelope envelope = ActionEnvelope::parse(params);
    if (!envelope.hasData())
        return;
    // The same rule as the window's: a message is shown unless the launcher is in front, or when it must be.
    if (!platform::isForegroundWindow(m_window) || envelope.number("isMust") == 1)
        emit notificationShown();
}
