#include "ledgergenerator.h"

#include "dberror.h"
#include "schema.h"

#include <QDate>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>
#include <random>

namespace {

const QStringList projectWords = {"水电改造", "木工",     "泥瓦工",   "油漆", "安装", "拆旧",
                                  "吊顶",     "地板铺设", "橱柜",     "门窗", "防水", "墙纸",
                                  "灯具安装", "卫浴安装", "阳台封装", "保洁"};
const QStringList categoryWords = {"水泥", "沙子",     "瓷砖",     "电线",   "水管",   "乳胶漆", "木材",
                                   "五金", "灯具",     "洁具",     "石膏板", "龙骨",   "地板",   "墙纸",
                                   "玻璃", "开关插座", "防水涂料", "腻子粉", "大理石", "铝扣板"};
const QStringList itemWords = {"PPR水管",    "BV2.5电线", "32.5水泥", "抛光砖", "仿古砖", "实木门",
                               "不锈钢水槽", "LED筒灯",   "吸顶灯",   "马桶",   "花洒",   "乳胶漆",
                               "实木地板",   "复合地板",  "石膏线",   "合页",   "门锁",   "窗帘杆",
                               "防水涂料",   "腻子粉",    "工人工资", "搬运费"};
const QStringList modes = {"材料费", "人工费", "包工包料"};
const QStringList units = {"平米", "米(M)", "立方", "包", "块", "批", "次", "条", "卷", "个"};
const QStringList shops = {"建材市场东区12号", "百安居", "红星美凯龙三楼", "五金店老王", "街口水电材料店"};
const QStringList weathers = {"晴", "多云", "阴", "小雨", "大雨", "雪"};
const QStringList moods = {"高兴", "一般", "郁闷", "烦躁", "兴奋", ""};

void exec(QSqlQuery& query, const QString& statement) {
    if (!query.exec(statement))
        throw DbError(query.lastError().databaseText());
}

} // namespace

void generateLedger(const QString& path, const LedgerShape& shape) {
    Schema::createDatabaseFile(path, false);
    const QString name = QStringLiteral("generator-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            throw DbError(db.lastError().databaseText());
        std::mt19937 random(shape.seed);
        auto pick = [&random](const QStringList& list) {
            return list[std::uniform_int_distribution<int>(0, int(list.size()) - 1)(random)];
        };
        auto between = [&random](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(random);
        };

        QSqlQuery query(db);
        exec(query, QStringLiteral("BEGIN"));
        query.prepare(QStringLiteral("INSERT INTO 项目 (NAMES) VALUES (?)"));
        for (int i = 0; i < shape.projects; ++i) {
            query.addBindValue(
                projectWords[i % projectWords.size()] +
                (i < projectWords.size() ? QString() : QString::number(i / projectWords.size() + 1)));
            query.exec();
        }
        query.prepare(QStringLiteral("INSERT INTO 归类 (DNAMES) VALUES (?)"));
        for (int i = 0; i < shape.categories; ++i) {
            query.addBindValue(
                categoryWords[i % categoryWords.size()] +
                (i < categoryWords.size() ? QString() : QString::number(i / categoryWords.size() + 1)));
            query.exec();
        }

        const QDate start(2008, 8, 1);
        const int days = shape.years * 365;
        query.prepare(
            QStringLiteral("INSERT INTO 明细 (NAMES,DATES,CID,DID,CTYPE,LMONEY,NUM,SGT,ALLMONEY,ISALL,FMONEY,"
                           "TEXTS,A,B,C,D,E,F,G,H,I) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        for (int i = 0; i < shape.entries; ++i) {
            const double price = between(1, 50000) / 10.0;
            const double num = between(1, 400) / 4.0;
            const double amount = price * num;
            const bool paid = between(0, 3) != 0;
            query.addBindValue(pick(itemWords));
            query.addBindValue(start.addDays(between(0, days - 1)).toString(QStringLiteral("yyyy-MM-dd")));
            query.addBindValue(between(1, shape.projects));
            query.addBindValue(between(1, shape.categories));
            query.addBindValue(pick(modes));
            query.addBindValue(price);
            query.addBindValue(num);
            query.addBindValue(pick(units));
            query.addBindValue(amount);
            query.addBindValue(paid ? 1 : 0);
            query.addBindValue(paid ? 0.0 : double(between(0, int(amount / 2))));
            query.addBindValue(
                QStringLiteral("%1，电话138%2。%3")
                    .arg(pick(shops))
                    .arg(between(10000000, 99999999))
                    .arg(between(0, 4) == 0 ? QStringLiteral("送货上门，质量不错") : QString()));
            const int locationCount = between(1, 4);
            int flags = 0;
            for (int l = 0; l < locationCount; ++l)
                flags |= 1 << between(0, 8);
            for (int l = 0; l < 9; ++l)
                query.addBindValue((flags >> l) & 1);
            if (!query.exec())
                throw DbError(query.lastError().databaseText());
        }

        query.prepare(QStringLiteral("INSERT INTO 日记 (DATES,STATUS,COOL,TEXTS) VALUES (?,?,?,?)"));
        for (int i = 0; i < shape.diaryEntries; ++i) {
            query.addBindValue(start.addDays(between(0, days - 1)).toString(QStringLiteral("yyyy-MM-dd")));
            query.addBindValue(pick(moods));
            query.addBindValue(pick(weathers));
            query.addBindValue(
                QStringLiteral("今天工人来%1，%2。\r\n明天继续。").arg(pick(projectWords), pick(itemWords)));
            query.exec();
        }
        exec(query, QStringLiteral("COMMIT"));
        query = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
