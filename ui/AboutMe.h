#pragma once

#include "ui/CFramelessWindow.h"

#include <QString>

class QLabel;
class QPushButton;

// The launcher's About window: logo, name and version, a version check, links to the operator's web site
// and agreement pages, and a copyright line. It is hidden, not destroyed, when closed.
class AboutMe : public CFramelessWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(AboutMe)

public:
    explicit AboutMe(QWidget *parent = nullptr);
    ~AboutMe() override;

    void setUserContext(QString uid, QString productCode, QString authToken);

    QString uid;
    QString productCode;
    QString authToken;

public slots:
    void closeButtonClicked();
    void checkVersion();
    void linkButton1();
    void linkButton1_2();
    void linkButton1_3();
    void linkButton1_4();
    void linkButton1_5();

private:
    void buildForm();
    // Opens the agreement page of the given type (1 user agreement, 2 privacy, 3 information, 4 sharing).
    void openAgreement(int type);

    QWidget *frame = nullptr;
    QPushButton *closeButton = nullptr;
    QLabel *logo = nullptr;
    QLabel *appName = nullptr;
    QLabel *versionNo = nullptr;
    QPushButton *checkVersionButton = nullptr;
    QLabel *versionTips = nullptr;
    QPushButton *links[5] = {};
    QLabel *right = nullptr;
};
