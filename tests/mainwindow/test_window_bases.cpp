// The frameless window bases and the start-up wait screen.
#include "MainWindowTestSupport.h"

#include "Resources/ResourceInit.h"
#include "core/QApi.h"
#include "ui/CFramelessWindow.h"
#include "ui/LoginPage.h"
#include "ui/LoginWait.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QNetworkAccessManager>
#include <QScreen>

Q_DECLARE_METATYPE(Qt::Edges)

using namespace mwtest;

class TestWindowBases : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    template <typename T> static QList<T *> topLevels()
    {
        QList<T *> found;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *typed = qobject_cast<T *>(widget))
                found << typed;
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        QVERIFY(writeConfig(m_dir.path(), QStringLiteral("http://127.0.0.1:9")));
        useApplicationDir(m_dir.path());
    }

    void edges_data()
    {
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QSize>("maximum");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<Qt::Edges>("edges");
        const QSize any(100, 100), none(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX), fixed(800, 600);
        QTest::newRow("fixed size: corner") << fixed << fixed << QPoint(799, 599) << Qt::Edges();
        QTest::newRow("fixed size: edge") << fixed << fixed << QPoint(0, 300) << Qt::Edges();
        QTest::newRow("bottom-right square")
            << any << none << QPoint(797, 597) << (Qt::BottomEdge | Qt::RightEdge);
        QTest::newRow("right just above the square")
            << any << none << QPoint(797, 594) << Qt::Edges(Qt::RightEdge);
        QTest::newRow("client area") << any << none << QPoint(400, 300) << Qt::Edges();
    }

    void edges()
    {
        QFETCH(QSize, minimum);
        QFETCH(QSize, maximum);
        QFETCH(QPoint, pos);
        QFETCH(Qt::Edges, edges);
        CFramelessWindow window;
        window.setMinimumSize(minimum);
        window.setMaximumSize(maximum);
        window.resize(800, 600);
        QCOMPARE(window.resizeEdgesAt(pos), edges);
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
    }

    void fadeInAndCentre()
    {
        CFramelessWindow window;
        window.resize(400, 300);
        window.setWindowOpacity(0.0);
        window.centerOnScreen();
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(window.pos(), QPoint((available.width() - 400) / 2, (available.height() - 300) / 2));
        window.fadeIn(400);
        QVERIFY(window.isVisible());
        QTest::qWait(100);
        QVERIFY(window.windowOpacity() < 1.0);
        QTRY_COMPARE_WITH_TIMEOUT(window.windowOpacity(), 1.0, 2000);
    }

    void maximisedMarginsComeBack()
    {
        CFramelessWindow window;
        window.setContentMargins(QMargins(2, 3, 4, 5));
        window.resize(400, 300);
        window.show();
        window.showMaximized();
        QTRY_VERIFY(window.isMaximized());
        QCOMPARE(window.contentsMargins(), QMargins(2, 3, 4, 5)); // nothing of it lies off screen here
        window.showNormal();
        QTRY_VERIFY(!window.isMaximized());
        QCOMPARE(window.contentsMargins(), QMargins(2, 3, 4, 5));
    }

    void waitScreenProgress_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero leaves it") << 0 << "0%";
        QTest::newRow("negative leaves it") << -5 << "0%";
        QTest::newRow("37") << 37 << "37%";
        QTest::newRow("100 is the picture text") << 100 << "jiazaitupian__";
    }

    void waitScreenProgress()
    {
        QFETCH(int, rate);
        LoginWait wait;
        wait.waitPageUpdateProgress(rate);
        QTEST(wait.rateText(), "text");
    }

    void waitScreenAnimationCycles()
    {
        LoginWait wait;
        QCOMPARE(wait.currentFrame(), 0);
        for (int i = 0; i < 13; ++i)
            wait.playLoading();
        QCOMPARE(wait.currentFrame(), 13);
        wait.playLoading();
        QCOMPARE(wait.currentFrame(), 0);
        QVERIFY(wait.windowFlags() & Qt::WindowStaysOnTopHint);
    }

    // The login check's answer: a valid login opens a main window, anything else the login page.
    void loginCheckAnswer_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("uid");
        QTest::addColumn<bool>("opensMainWindow");
        QTest::newRow("valid, uid truncated")
            << "{\"status\":true,\"data\":{\"token\":\"t1\",\"uid\":12345.9}}"
            << "12345" << true;
        QTest::newRow("empty token") << "{\"status\":true,\"data\":{\"token\":\"\"}}"
                                     << "" << false;
        QTest::newRow("status false") << "{\"status\":false,\"data\":{\"token\":\"t\"}}"
                                      << "" << false;
        QTest::newRow("status as text") << "{\"status\":\"true\",\"data\":{\"token\":\"t\"}}"
                                        << "" << false;
        QTest::newRow("not json") << "<html>"
                                  << "" << false;
    }

    void loginCheckAnswer()
    {
        QFETCH(QString, answer);
        QFETCH(QString, uid);
        QFETCH(bool, opensMainWindow);
        LoginWait wait;
        QNetworkAccessManager network;
        QNetworkReply *reply =
            network.get(QNetworkRequest(QUrl(QStringLiteral("data:application/json;base64,") +
                                             QString::fromLatin1(answer.toUtf8().toBase64()))));
        QTRY_VERIFY(reply->isFinished());
        wait.Api_loadWorkspace(reply);
        const auto windows = topLevels<MorvuSDKKFWinApp>();
        const auto pages = topLevels<LoginPage>();
        QCOMPARE(windows.size(), opensMainWindow ? 1 : 0);
        QCOMPARE(pages.size(), opensMainWindow ? 0 : 1);
        if (opensMainWindow) {
            QCOMPARE(windows.first()->currentUid(), uid);
            QCOMPARE(windows.first()->currentAuthToken(), QStringLiteral("t1"));
        } else {
            QVERIFY(!wait.isVisible());
        }
        qDeleteAll(windows);
        qDeleteAll(pages);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestWindowBases)
#include "test_window_bases.moc"
