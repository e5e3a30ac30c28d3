#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class JavascriptCallback;
class QWidget;

// The message chime of the main window. It plays only while the user's "useSound" setting (default "1")
// is "1", and it listens to the storefront's bridge so that a "newMessage" which the window shows as a
// notification (flashing, a balloon) is heard as well.
class MessageSound : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(MessageSound)

public:
    // window: the main window, whose state decides whether a message is shown as a notification.
    explicit MessageSound(QWidget *window);
    ~MessageSound() override;

    // Plays the chime unless the user switched it off or it is missing; returns whether it played.
    bool play();

    // Listens to the actions of a page's bridge object (nullptr: nothing to listen to).
    void follow(JavascriptCallback *bridge);

signals:
    void played();
    // A "newMessage" arrived that the window shows as a notification.
    void notificationShown();

private:
    void onPageEvent(const QString &action, const QString &params);

    QWidget *m_window;
    QPointer<JavascriptCallback> m_bridge;
};
