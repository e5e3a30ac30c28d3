#include "StoreTestSupport.h"

#include "platform/ApplicationDir.h"
#include "store/CDataBase.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList warnings;
QtMessageHandler previousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

} // namespace

class TestCDataBase : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void statementTexts_data();
    void statementTexts();
    void createsTheDirectoryAndTheFile();
    void insertBindsValuesInKeyOrder();
    void valuesAreStoredUnchanged_data();
    void valuesAreStoredUnchanged();
    void updateBindsTheWhereValues();
    void failuresAreValues();
    void unopenableFile();
    void preparedStatementsRunAgain();

private:
    std::unique_ptr<QTemporaryDir> m_app;
};

void TestCDataBase::init()
{
    m_app = std::make_unique<QTemporaryDir>();
    QVERIFY(m_app->isValid());
    platform::setApplicationDir(m_app->path());
    warnings.clear();
    previousHandler = qInstallMessageHandler(collectWarnings);
}

void TestCDataBase::cleanup()
{
    qInstallMessageHandler(previousHandler);
    // Closing a connection while a statement of it is alive, for example, is reported as a warning.
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    QVERIFY(QSqlDatabase::connectionNames().isEmpty());
    platform::setApplicationDir(QString());
    m_app.reset();
}

void TestCDataBase::statementTexts_data()
{
    QTest::addColumn<bool>("isInsert");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("expected");

    QTest::newRow("insert") << true << "t"
                            << "" << QStringList{"a", "b"} << "insert into t (a,b) values (?,?)";
    QTest::newRow("insert one column")
        << true << "brel_ziplist"
        << "" << QStringList{"productId"} << "insert into brel_ziplist (productId) values (?)";
    QTest::newRow("update keeps the leading space of where")
        << false << "t"
        << " id = 5" << QStringList{"x"} << "update t set x = ? where  id = 5";
    QTest::newRow("update several columns")
        << false << "t"
        << " productId = ?" << QStringList{"a", "b"} << "update t set a = ?,b = ? where  productId = ?";
    QTest::newRow("where is not substituted again")
        << false << "t"
        << " x = '%1'" << QStringList{"a"} << "update t set a = ? where  x = '%1'";
}

void TestCDataBase::statementTexts()
{
    QFETCH(bool, isInsert);
    QFETCH(QString, table);
    QFETCH(QString, where);
    QFETCH(QStringList, columns);
    QFETCH(QString, expected);
    QCOMPARE(isInsert ? CDataBase::insertStatement(table, columns)
                      : CDataBase::updateStatement(table, where, columns),
             expected);
}

void TestCDataBase::createsTheDirectoryAndTheFile()
{
    const QString file = m_app->path() + QStringLiteral("/Data/db/download.db");
    QCOMPARE(CDataBase::databaseFile(), file);
    QVERIFY(!QFileInfo::exists(m_app->path() + QStringLiteral("/Data")));
    {
        CDataBase first(QStringLiteral("first"));
        QVERIFY(first.isOpen());
        QVERIFY(first.createdFile());
        QVERIFY(first.exec(QStringLiteral("create table t (a text)")));
        CDataBase second(QStringLiteral("second"));
        QVERIFY(second.isOpen());
        QVERIFY(!second.createdFile());
    }
    QVERIFY(QFileInfo(file).isFile());
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("first")));
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("second")));
}

void TestCDataBase::insertBindsValuesInKeyOrder()
{
    CDataBase db(QStringLiteral("db"));
    QVERIFY(db.exec(QStringLiteral("create table t (a text, b text)")));
    QVERIFY(db.insert(QStringLiteral("t"), {{QStringLiteral("b"), QStringLiteral("2")},
                                            {QStringLiteral("a"), QStringLiteral("1")}}));
    RawDatabase raw;
    const auto rows = raw.rows(QStringLiteral("select a, b from t"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().value(QStringLiteral("a")), QStringLiteral("1"));
    QCOMPARE(rows.first().value(QStringLiteral("b")), QStringLiteral("2"));
}

void TestCDataBase::valuesAreStoredUnchanged_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("quote") << "it's";
    QTest::newRow("statement end") << "x'); drop table t; --";
    QTest::newRow("semicolon") << "a;b";
    QTest::newRow("double quotes") << "\"quoted\"";
    QTest::newRow("placeholder marks") << "? %1 %2";
    QTest::newRow("empty") << "";
    QTest::newRow("non-latin") << QStringLiteral("游戏 Ω");
}

void TestCDataBase::valuesAreStoredUnchanged()
{
    QFETCH(QString, value);
    CDataBase db(QStringLiteral("db"));
    QVERIFY(db.exec(QStringLiteral("create table t (a text, b text)")));
    QVERIFY(db.insert(QStringLiteral("t"),
                      {{QStringLiteral("a"), value}, {QStringLiteral("b"), QStringLiteral("1")}}));
    QVERIFY(
        db.update(QStringLiteral("t"), QStringLiteral(" a = ?"), {{QStringLiteral("b"), value}}, {value}));

    RawDatabase raw;
    const auto rows = raw.rows(QStringLiteral("select a, b from t"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().value(QStringLiteral("a")), value);
    QCOMPARE(rows.first().value(QStringLiteral("b")), value);
}

void TestCDataBase::updateBindsTheWhereValues()
{
    CDataBase db(QStringLiteral("db"));
    QVERIFY(db.exec(QStringLiteral("create table t (id integer primary key autoincrement, x text)")));
    for (int i = 0; i < 3; ++i)
        QVERIFY(db.insert(QStringLiteral("t"), {{QStringLiteral("x"), QStringLiteral("old")}}));
    QVERIFY(db.update(QStringLiteral("t"), QStringLiteral(" id = ?"),
                      {{QStringLiteral("x"), QStringLiteral("new")}}, {QStringLiteral("2")}));

    RawDatabase raw;
    const auto rows = raw.rows(QStringLiteral("select x from t order by id"));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0).value(QStringLiteral("x")), QStringLiteral("old"));
    QCOMPARE(rows.at(1).value(QStringLiteral("x")), QStringLiteral("new"));
    QCOMPARE(rows.at(2).value(QStringLiteral("x")), QStringLiteral("old"));
}

void TestCDataBase::failuresAreValues()
{
    CDataBase db(QStringLiteral("db"));
    QVERIFY(db.exec(QStringLiteral("create table t (a text)")));
    QVERIFY(!db.insert(QStringLiteral("t"), {}));
    QVERIFY(!db.update(QStringLiteral("t"), QStringLiteral(" a = 1"), {}));
    QVERIFY(!db.insert(QStringLiteral("t"), {{QStringLiteral("nosuchcolumn"), QStringLiteral("1")}}));
    QVERIFY(!db.exec(QStringLiteral("select * from nosuchtable")));
    QVERIFY(!db.lastErrorText().isEmpty());
    {
        QSqlQuery query = db.query(QStringLiteral("select * from nosuchtable"));
        QVERIFY(!query.next());
    }
    RawDatabase raw;
    QCOMPARE(raw.count(QStringLiteral("t")), 0);
}

void TestCDataBase::unopenableFile()
{
    // A directory where the file should be.
    QVERIFY(QDir().mkpath(CDataBase::databaseFile()));
    CDataBase db(QStringLiteral("db"));
    QVERIFY(!db.exec(QStringLiteral("create table t (a text)")));
    QVERIFY(!db.insert(QStringLiteral("t"), {{QStringLiteral("a"), QStringLiteral("1")}}));
    QSqlQuery query = db.query(QStringLiteral("select 1"));
    QVERIFY(!query.next());
}

void TestCDataBase::preparedStatementsRunAgain()
{
    CDataBase db(QStringLiteral("db"));
    QVERIFY(db.exec(QStringLiteral("create table t (a text, b text)")));
    for (const char *a : {"1", "2", "3"})
        QVERIFY(
            db.insert(QStringLiteral("t"), {{QStringLiteral("a"), QLatin1String(a)},
                                            {QStringLiteral("b"), QLatin1String(a) + QStringLiteral("b")}}));
    const QString sql = QStringLiteral("select b from t where a = ?");
    for (const char *a : {"2", "3", "2", "9"}) {
        QSqlQuery query = db.preparedQuery(sql, {QLatin1String(a)});
        QStringList found;
        while (query.next())
            found << query.value(0).toString();
        query.finish();
        QCOMPARE(found,
                 a == QByteArray("9") ? QStringList() : QStringList{QLatin1String(a) + QStringLiteral("b")});
    }
    // A statement that does not prepare is not kept, and works once the table exists.
    const QString later = QStringLiteral("select a from later");
    QVERIFY(!db.preparedQuery(later).isActive());
    QVERIFY(db.exec(QStringLiteral("create table later (a text)")));
    QVERIFY(db.exec(QStringLiteral("insert into later values ('x')")));
    QSqlQuery query = db.preparedQuery(later);
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toString(), QStringLiteral("x"));
}

QTEST_GUILESS_MAIN(TestCDataBase)
#include "test_cdatabase.moc"
