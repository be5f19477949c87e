#pragma once

// A data folder laid out empty in a temporary directory, with helpers to add
// and read rows, and a prompt that answers from a script.
#include "data/schema.h"
#include "db/dataset.h"
#include "exchange/prompt.h"
#include "fakearchiver.h"
#include "support/tablerows.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

namespace testsupport {

struct Asked {
    QString text, caption;
    exchange::Tone tone;
    int buttons;
};

class ExchangeTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString data = tmp.filePath(QStringLiteral("data"));
    QString outbox = tmp.filePath(QStringLiteral("out"));
    FakeArchiver fake;
    std::vector<Asked> asked;
    std::deque<std::pair<QString, int>> answers;   // expected text part -> answer
    QDate today{2026, 12, 8};
    int progressCalls = 0;

    void SetUp() override
    {
        data::layOutDataFolder(data);
        QDir().mkpath(outbox);
        add(QStringLiteral("zdxx"), {{"zddm", "item_181"}, {"xxdm", "1"}, {"xxmc", "男"}});
        add(QStringLiteral("zdxx"), {{"zddm", "item_181"}, {"xxdm", "2"}, {"xxmc", "女"}});
    }

    exchange::Prompt prompt()
    {
        exchange::Prompt p;
        p.ask = [this](const QString &text, const QString &caption, exchange::Tone tone, int buttons) {
            asked.push_back({text, caption, tone, buttons});
            if (!(buttons & exchange::kYes))
                return int(exchange::kOk);
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected question: " << text.toStdString();
                return int(exchange::kNo);
            }
            auto [part, answer] = answers.front();
            answers.pop_front();
            EXPECT_TRUE(text.contains(part)) << text.toStdString() << " / expected " << part.toStdString();
            return answer;
        };
        p.today = [this] { return today; };
        p.progress = [this](int, int) { ++progressCalls; };
        return p;
    }
    void answer(const QString &part, int reply) { answers.push_back({part, reply}); }
    QStringList texts() const
    {
        QStringList t;
        for (const Asked &a : asked)
            t << a.text;
        return t;
    }

    static void add(const QString &folder, const QString &table, const Fields &values) { addRow(folder, table, values); }
    void add(const QString &table, const Fields &values) { add(data, table, values); }

    // Every row of a table, each as field -> text, in table order.
    static QList<Fields> rows(const QString &folder, const QString &table)
    {
        db::Table t;
        t.setDatabaseName(folder);
        t.setTableName(table);
        t.open();
        QList<Fields> out;
        for (t.first(); !t.eof(); t.next()) {
            Fields f;
            for (const QString &n : t.fieldNames())
                f.insert(n.toUpper(), t.fieldByName(n).asString());
            out << f;
        }
        return out;
    }
    QList<Fields> rows(const QString &table) const { return rows(data, table); }

    // A record with one row in each sub-table.
    void addRecord(const QString &folder, const QString &key, const QString &name, const QString &org, const QString &kind = "1")
    {
        add(folder, QStringLiteral("kjcg"), {{"ITEM_4", key}, {"ITEM_DQDM", "."}, {"ITEM_3", name}, {"ITEM_9", org},
                                             {"ITEM_CGLB", kind}, {"ITEM_121", "2005-03-01"}, {"ITEM_13", "第一行\r\n第二行\t制表"},
                                             {"ITEM_45", "12.5"}, {"ITEM_51_2", "3"}, {"ITEM_SJDC", "0"},
                                             {"TLinkManEm", "a@b.cn"}, {"ITEM_14", "\"引号开头;关键词"}});
        add(folder, QStringLiteral("cgwcr"), {{"ITEM_4", key}, {"ITEM_DQDM", "."}, {"ITEM_187", "1"}, {"ITEM_180", name + "人"},
                                              {"ITEM_181", "1"}, {"ITEM_186", "贡献\t大"}, {"ITEM_188", "1"}, {"ITEM_NO", "1"}});
        add(folder, QStringLiteral("cgwcdw"), {{"ITEM_4", key}, {"ITEM_DQDM", "."}, {"ITEM_176", "1"}, {"ITEM_170", "协作单位"},
                                               {"ITEM_175", "\"末列\t值"}});
        add(folder, QStringLiteral("jdwyhmd"), {{"ITEM_4", key}, {"ITEM_DQDM", "."}, {"ITEM_190", "1"}, {"ITEM_192", "委员"}});
        add(folder, QStringLiteral("zlqk"), {{"ITEM_4", key}, {"ITEM_DQDM", "."}, {"ITEM_NO", "1"}, {"PATENT_NO", "ZL" + key},
                                             {"PATENT_NAM", "专利" + name}});
    }
    void addMainRecord(const QString &key, const QString &name, const QString &org, const QString &kind = "1")
    {
        addRecord(data, key, name, org, kind);
    }
};

} // namespace testsupport
