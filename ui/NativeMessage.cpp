#include "ui/NativeMessage.h"

#include <QAbstractButton>
#include <QDebug>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace nativemessage {

int critical(const QString &title, const QString &text)
{
    qDebug() << "message box" << title << text;
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("launcherCriticalMessage"));
    bool ok = false;
    const int acceptAfterMs = qEnvironmentVariableIntValue("LAUNCHER_TEST_ACCEPT_MESSAGES_MS", &ok);
    if (ok && acceptAfterMs >= 0) {
        QPointer<QMessageBox> guard(&box);
        QTimer::singleShot(acceptAfterMs, &box, [guard] {
            if (guard && guard->button(QMessageBox::Ok))
                guard->button(QMessageBox::Ok)->click();
        });
    }
    return box.exec();
}

} // namespace nativemessage
