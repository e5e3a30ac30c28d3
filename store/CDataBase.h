#pragma once

#include <QHash>
#include <QMap>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// One named Qt SQL connection to the launcher's SQLite file, applicationDir + "/Data/db/download.db".
// It runs statements and builds parameterised inserts and updates from a column -> value map. It takes no
// lock: its owner serialises every use, and a connection is used only on the thread that created it.
class CDataBase : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(CDataBase)

public:
    // Creates the "Data/db" directory when missing and opens databaseFile() under connectionName. A file
    // that cannot be opened leaves the object in place: isOpen() is false and every statement fails.
    explicit CDataBase(const QString &connectionName, QObject *parent = nullptr);
    // The same on another file (its directory is created when missing).
    CDataBase(const QString &connectionName, const QString &file, QObject *parent = nullptr);
    // Closes the handle and removes the connection from Qt.
    ~CDataBase() override;

    // The launcher's database file: applicationDir + "/Data/db/download.db".
    static QString databaseFile();

    QString connectionName() const;
    bool isOpen() const;
    // The driver's text for the last failure of opening or of a statement ("" when none).
    QString lastErrorText() const;
    // True when the file did not exist before this connection opened it.
    bool createdFile() const;

    // Runs sql; values are bound to its "?" placeholders in order.
    bool exec(const QString &sql, const QVariantList &values = QVariantList());
    // Runs sql and returns the query positioned before its first row; the caller iterates with next().
    // A query that fails yields no rows. Finish or destroy it before the next statement of another
    // connection writes to the file.
    QSqlQuery query(const QString &sql, const QVariantList &values = QVariantList());

    // The same for a statement run very often: it stays prepared on this connection between calls, keyed
    // by its text. The result shares the kept statement, so read and finish it before the next call.
    QSqlQuery preparedQuery(const QString &sql, const QVariantList &values = QVariantList());

    // "insert into table (k1,k2) values (?,?)" with the values bound in key order.
    bool insert(const QString &table, const QMap<QString, QString> &fields);
    // "update table set k1 = ?,k2 = ? where" + where, the values bound in key order, then whereValues
    // bound to the "?" placeholders of where. An empty map changes nothing and answers false.
    bool update(const QString &table, const QString &where, const QMap<QString, QString> &fields,
                const QVariantList &whereValues = QVariantList());

    // The statement texts insert() and update() run.
    static QString insertStatement(const QString &table, const QStringList &columns);
    static QString updateStatement(const QString &table, const QString &where, const QStringList &columns);

private:
    bool run(QSqlQuery &query, const QString &sql, const QVariantList &values);

    const QString m_connectionName;
    QSqlDatabase m_database;
    QHash<QString, QSqlQuery> m_prepared;
    QString m_lastErrorText;
    bool m_createdFile = false;
};
