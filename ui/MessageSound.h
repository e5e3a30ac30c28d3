#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The message chime of the main window. It plays only while the user's "useSound" setting (default "1")
// is "1"; the window plays it for every message it shows as a notification (flashing, a balloon).
class MessageSound : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(MessageSound)

public:
    // window: the main window, which owns the chime.
    explicit MessageSound(QWidget *window);
    ~MessageSound() override;

    // Plays the chime unless the user switched it off or it is missing; returns whether it played.
    bool play();

signals:
    void played();
};
