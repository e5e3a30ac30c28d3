#include "ui/AboutMe.h"

#include "core/QApi.h"
#include "platform/gui/WindowSystem.h"

#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace {

constexpr int WindowWidth = 320;
constexpr int WindowHeight = 440;

const char SystemIcon[] = ":/images/Resources/images/system.ico";

QString text(const char *source)
{
    return QCoreApplication::translate("AboutMeClass", source);
}

} // namespace

AboutMe::AboutMe(QWidget *parent) : CFramelessWindow(parent)
{
    buildForm();

    connect(closeButton, &QPushButton::clicked, this, &AboutMe::closeButtonClicked);
    connect(checkVersionButton, &QPushButton::clicked, this, &AboutMe::checkVersion);
    connect(links[0], &QPushButton::clicked, this, &AboutMe::linkButton1);
    connect(links[1], &QPushButton::clicked, this, &AboutMe::linkButton1_2);
    connect(links[2], &QPushButton::clicked, this, &AboutMe::linkButton1_3);
    connect(links[3], &QPushButton::clicked, this, &AboutMe::linkButton1_4);
    connect(links[4], &QPushButton::clicked, this, &AboutMe::linkButton1_5);

    QApi *api = QApi::instance();
    appName->setText(api->appName);
    versionNo->setText(QStringLiteral("Version ") + api->versionName() + QStringLiteral(" - ") +
                       QString::number(api->versionCode()));
    versionTips->hide();
}

AboutMe::~AboutMe() = default;

void AboutMe::buildForm()
{
    setObjectName(QStringLiteral("AboutMeClass"));
    setFixedSize(WindowWidth, WindowHeight);
    setWindowTitle(text("aboutUs"));
    setWindowIcon(QIcon(QString::fromLatin1(SystemIcon)));
    setStyleSheet(QStringLiteral("QMainWindow#AboutMeClass{\n\tbackground:transparent1;\n}"));

    frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("frame"));
    frame->setGeometry(0, 0, WindowWidth, WindowHeight);
    frame->setAttribute(Qt::WA_StyledBackground);
    frame->setStyleSheet(QStringLiteral("QWidget#frame{background:#FFFFFF;}"));
    setCentralWidget(frame);

    closeButton = new QPushButton(frame);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setGeometry(285, 5, 30, 30);
    closeButton->setCursor(Qt::PointingHandCursor);
    closeButton->setFocusPolicy(Qt::NoFocus);
    closeButton->setStyleSheet(
        QStringLiteral("QPushButton#closeButton{border:none;background:transparent;"
                       "image:url(:/images/Resources/images/close.png);}"
                       "QPushButton#closeButton:hover{image:url(:/images/Resources/images/close_on.png);}"));

    logo = new QLabel(frame);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setGeometry(110, 60, 100, 100);
    logo->setScaledContents(true);
    // The largest picture of the icon file, stretched over the label.
    const QIcon logoIcon(QString::fromLatin1(SystemIcon));
    logo->setPixmap(logoIcon.pixmap(logoIcon.actualSize(QSize(256, 256))));

    appName = new QLabel(frame);
    appName->setObjectName(QStringLiteral("appName"));
    appName->setGeometry(20, 180, 280, 40);
    QFont nameFont(QStringLiteral("Microsoft YaHei"));
    nameFont.setPointSize(12);
    appName->setFont(nameFont);
    appName->setStyleSheet(QStringLiteral("color:#000000;"));
    appName->setAlignment(Qt::AlignCenter);

    versionNo = new QLabel(frame);
    versionNo->setObjectName(QStringLiteral("versionNo"));
    versionNo->setGeometry(20, 210, 280, 40);
    QFont versionFont(QStringLiteral("微软雅黑"));
    versionFont.setPointSize(10);
    versionNo->setFont(versionFont);
    versionNo->setStyleSheet(QStringLiteral("color:#666;"));
    versionNo->setAlignment(Qt::AlignCenter);

    checkVersionButton = new QPushButton(frame);
    checkVersionButton->setObjectName(QStringLiteral("checkVersion"));
    checkVersionButton->setGeometry(80, 270, 160, 40);
    checkVersionButton->setCursor(Qt::PointingHandCursor);
    checkVersionButton->setFocusPolicy(Qt::NoFocus);
    checkVersionButton->setText(text("checkVersion"));
    checkVersionButton->setStyleSheet(QStringLiteral(
        "QPushButton#checkVersion{background:#FFC85D;color:#704A1D;border:none;border-radius:18px;}"));

    versionTips = new QLabel(frame);
    versionTips->setObjectName(QStringLiteral("versionTips"));
    versionTips->setGeometry(20, 320, 280, 20);
    versionTips->setText(text("isLastest"));
    versionTips->setStyleSheet(QStringLiteral("color:#2EE98C;"));
    versionTips->setAlignment(Qt::AlignCenter);

    struct Link
    {
        const char *name;
        const char *key;
        QRect geometry;
    };
    const Link linkForms[5] = {
        {"linkButton1", "toWebsite", QRect(40, 360, 81, 23)},
        {"linkButton1_2", "toPrivacy", QRect(120, 360, 81, 23)},
        {"linkButton1_3", "toAgreement", QRect(200, 360, 81, 23)},
        {"linkButton1_4", "infoShow", QRect(80, 385, 81, 23)},
        {"linkButton1_5", "shareList", QRect(160, 385, 81, 23)},
    };
    for (int i = 0; i < 5; ++i) {
        QPushButton *link = new QPushButton(frame);
        link->setObjectName(QString::fromLatin1(linkForms[i].name));
        link->setGeometry(linkForms[i].geometry);
        link->setFlat(true);
        link->setCursor(Qt::PointingHandCursor);
        link->setFocusPolicy(Qt::NoFocus);
        link->setText(text(linkForms[i].key));
        link->setStyleSheet(QStringLiteral("QPushButton{color:#8c8c8c;background:transparent;border:none;}"
                                           "QPushButton:hover{text-decoration:underline;}"));
        links[i] = link;
    }

    right = new QLabel(frame);
    right->setObjectName(QStringLiteral("right"));
    right->setGeometry(20, 410, 280, 20);
    right->setText(text("Copyright © All Rights Reserved"));
    right->setStyleSheet(QStringLiteral("color:#8c8c8c;"));
    right->setAlignment(Qt::AlignCenter);
}

void AboutMe::setUserContext(QString uidValue, QString productCodeValue, QString authTokenValue)
{
    uid = uidValue;
    productCode = productCodeValue;
    authToken = authTokenValue;
}

void AboutMe::openAgreement(int type)
{
    // The API host keeps its trailing "/", so the address has "//" before "agreement".
    const QString address = QApi::instance()->apiHost() + QStringLiteral("/agreement/show/type/") +
                            QString::number(type) + QStringLiteral("/productCode/") + productCode;
    platform::openUrlInBrowser(QUrl(address, QUrl::TolerantMode));
}

void AboutMe::closeButtonClicked()
{
    hide();
}

void AboutMe::checkVersion()
{
    versionTips->show();
}

void AboutMe::linkButton1()
{
    platform::openUrlInBrowser(QUrl(QApi::instance()->website, QUrl::TolerantMode));
}

void AboutMe::linkButton1_2()
{
    openAgreement(2);
}

void AboutMe::linkButton1_3()
{
    openAgreement(1);
}

void AboutMe::linkButton1_4()
{
    openAgreement(3);
}

void AboutMe::linkButton1_5()
{
    openAgreement(4);
}
