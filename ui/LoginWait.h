#pragma once

#include "ui/FormBaseUi.h"

class QLabel;
class QNetworkReply;
class QTimer;

// The start-up wait screen: a small splash with a looping animation and the storefront's load progress,
// shown while the main window loads its page.
class LoginWait : public FormBaseUi
{
    Q_OBJECT
    Q_DISABLE_COPY(LoginWait)

public:
    explicit LoginWait(QWidget *parent = nullptr);
    ~LoginWait() override;

    // The text of the progress label (tests).
    QString rateText() const;
    int currentFrame() const { return frameIndex; }

public slots:
    void playLoading();
    void waitPageUpdateProgress(int rate);
    void slots_mainPageLoaded();
    // The answer of a login check: a valid login opens the storefront, anything else the login page.
    void Api_loadWorkspace(QNetworkReply *reply);

private:
    void showFrame();
    void showLoginPage();

    QTimer *animationTimer;
    int frameIndex = 0;
    QLabel *loadImage;
    QLabel *loadRate;
};
