#pragma once

#include "store/CDataBase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

// A connection of the test's own to the launcher's database file, to look behind the store's back.
class RawDatabase
{
public:
    RawDatabase() : m_name(QStringLiteral("test-raw"))
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(CDataBase::databaseFile());
        m_db.open();
    }
    ~RawDatabase()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    RawDatabase(const RawDatabase &) = delete;
    RawDatabase &operator=(const RawDatabase &) = delete;

    bool exec(const QString &sql, const QVariantList &values = QVariantList())
    {
        QSqlQuery query(m_db);
        if (!query.prepare(sql))
            return false;
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values.at(i));
        return query.exec();
    }

    // The rows of sql, each as column name -> text.
    QList<QMap<QString, QString>> rows(const QString &sql, const QVariantList &values = QVariantList())
    {
        QList<QMap<QString, QString>> result;
        QSqlQuery query(m_db);
        if (!query.prepare(sql))
            return result;
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values.at(i));
        if (!query.exec())
            return result;
        while (query.next()) {
            QMap<QString, QString> row;
            const QSqlRecord record = query.record();
            for (int i = 0; i < record.count(); ++i)
                row.insert(record.fieldName(i), query.value(i).toString());
            result << row;
        }
        return result;
    }

    // Every column of the task row of productId ("" values when there is none).
    QMap<QString, QString> task(const QString &productId)
    {
        const auto found =
            rows(QStringLiteral("select * from brel_download_task where productId = ?"), {productId});
        return found.isEmpty() ? QMap<QString, QString>() : found.first();
    }

    int count(const QString &table)
    {
        const auto found = rows(QStringLiteral("select count(*) as n from ") + table);
        return found.isEmpty() ? -1 : found.first().value(QStringLiteral("n")).toInt();
    }

private:
    QString m_name;
    QSqlDatabase m_db;
};

// A JSON list of the store, decoded with Qt's own reader: productId -> entry.
inline QJsonArray decodeList(const QString &encoded)
{
    return QJsonDocument::fromJson(QByteArray::fromBase64(encoded.toLatin1())).array();
}

inline QJsonObject entryOf(const QJsonArray &list, const QString &productId)
{
    for (const QJsonValue &value : list) {
        if (value.toObject().value(QStringLiteral("productId")).toString() == productId)
            return value.toObject();
    }
    return QJsonObject();
}

inline QStringList productIdsOf(const QJsonArray &list)
{
    QStringList ids;
    for (const QJsonValue &value : list)
        ids << value.toObject().value(QStringLiteral("productId")).toString();
    return ids;
}
