#include "store/CDataBase.h"

#include "platform/ApplicationDir.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QStringList>

namespace {

QString placeholders(int count)
{
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1Char(','));
}

} // namespace

CDataBase::CDataBase(const QString &connectionName, QObject *parent)
    : CDataBase(connectionName, databaseFile(), parent)
{}

CDataBase::CDataBase(const QString &connectionName, const QString &file, QObject *parent)
    : QObject(parent), m_connectionName(connectionName)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    m_createdFile = !QFileInfo::exists(file);

    m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_database.setDatabaseName(file);
    // Another process holding the file (a second launcher, a backup tool) gets a moment before a
    // statement gives up.
    m_database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!m_database.open())
        m_lastErrorText = m_database.lastError().text();
}

CDataBase::~CDataBase()
{
    m_prepared.clear();
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QString CDataBase::databaseFile()
{
    return platform::applicationDir() + QStringLiteral("/Data/db/download.db");
}

QString CDataBase::connectionName() const
{
    return m_connectionName;
}

bool CDataBase::isOpen() const
{
    return m_database.isOpen();
}

QString CDataBase::lastErrorText() const
{
    return m_lastErrorText;
}

bool CDataBase::createdFile() const
{
    return m_createdFile;
}

bool CDataBase::run(QSqlQuery &query, const QString &sql, const QVariantList &values)
{
    if (!m_database.isOpen())
        return false;
    bool ok = false;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values.at(i));
        ok = query.exec();
    }
    if (!ok)
        m_lastErrorText = query.lastError().text();
    return ok;
}

bool CDataBase::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery statement(m_database);
    return run(statement, sql, values);
}

QSqlQuery CDataBase::query(const QString &sql, const QVariantList &values)
{
    QSqlQuery statement(m_database);
    statement.setForwardOnly(true);
    run(statement, sql, values);
    return statement;
}

QSqlQuery CDataBase::preparedQuery(const QString &sql, const QVariantList &values)
{
    auto kept = m_prepared.find(sql);
    if (kept == m_prepared.end()) {
        QSqlQuery statement(m_database);
        statement.setForwardOnly(true);
        if (!m_database.isOpen() || !statement.prepare(sql)) {
            m_lastErrorText = statement.lastError().text();
            return statement;
        }
        kept = m_prepared.insert(sql, statement);
    }
    QSqlQuery &statement = kept.value();
    for (int i = 0; i < values.size(); ++i)
        statement.bindValue(i, values.at(i));
    if (!statement.exec())
        m_lastErrorText = statement.lastError().text();
    return statement;
}

QString CDataBase::insertStatement(const QString &table, const QStringList &columns)
{
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(table, columns.join(QLatin1Char(',')), placeholders(columns.size()));
}

QString CDataBase::updateStatement(const QString &table, const QString &where, const QStringList &columns)
{
    QStringList assignments;
    for (const QString &column : columns)
        assignments << column + QStringLiteral(" = ?");
    return QStringLiteral("update %1 set %2 where %3").arg(table, assignments.join(QLatin1Char(',')), where);
}

bool CDataBase::insert(const QString &table, const QMap<QString, QString> &fields)
{
    if (fields.isEmpty())
        return false;
    QVariantList values;
    for (const QString &value : fields)
        values << value;
    return exec(insertStatement(table, fields.keys()), values);
}

bool CDataBase::update(const QString &table, const QString &where, const QMap<QString, QString> &fields,
                       const QVariantList &whereValues)
{
    if (fields.isEmpty())
        return false;
    QVariantList values;
    for (const QString &value : fields)
        values << value;
    values << whereValues;
    return exec(updateStatement(table, where, fields.keys()), values);
}
