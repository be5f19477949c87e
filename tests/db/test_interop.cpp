// Tables written by the engine read the same in other dBASE readers, and
// tables other writers made read correctly here.  Needs python3 with the
// dbfread and dbf packages; skipped without them.

#include "dbtestutil.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace db;
using namespace dbtest;

namespace {

void ensureApp()
{
    static int argc = 1;
    static char name[] = "db_tests";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// Runs a python snippet; returns its standard output, or fails the test.
QByteArray runPython(const QString &python, const QString &script, const QStringList &args, bool *ok)
{
    QProcess p;
    p.start(python, QStringList{"-c", script} + args);
    *ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!*ok)
        ADD_FAILURE() << p.readAllStandardError().constData();
    return p.readAllStandardOutput();
}

// The first python3 that has the module, or an empty text.
QString pythonWith(const char *module)
{
    ensureApp();
    for (const QString &candidate : {QStringLiteral("python3"), QStringLiteral("/usr/bin/python3")}) {
        QProcess p;
        p.start(candidate, {"-c", QStringLiteral("import %1").arg(QLatin1String(module))});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return candidate;
    }
    return QString();
}

class InteropTest : public DataFolder {};

const QString kLongMemo = QString(QStringLiteral("本成果研制了新型节能装置，经测试节电率达百分之三十。")).repeated(30);

TEST_F(InteropTest, OtherReadersReadWhatTheEngineWrites)
{
    const QString python = pythonWith("dbfread");
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with dbfread is not installed";

    create("kjcg.dbf", {fld("NAME", 'C', 20), fld("AMOUNT", 'N', 12, 2), fld("CNT", 'N', 8), fld("BORN", 'D'), fld("NOTE", 'M')});
    fill("kjcg", {"NAME", "AMOUNT", "CNT", "BORN", "NOTE"},
         {{QStringLiteral("张三丰"), "12.5", "7", "2009-03-15", kLongMemo},
          {QStringLiteral("李四"), "0.3", "-3", "", ""},
          {QStringLiteral("王五（删除）"), "1", "1", "2000-01-01", QStringLiteral("删掉的备注")},
          {QStringLiteral("赵六"), "", "", "", QStringLiteral("短备注：测试")}});
    {
        auto t = open("kjcg");
        ASSERT_TRUE(t->locate("NAME", QStringLiteral("王五（删除）")));
        t->deleteRecord();
    }

    const QString script = QStringLiteral(R"(
import sys, json, dbfread
kw = {'char_decode_errors': 'strict'}
if sys.argv[2] == 'gbk':
    kw['encoding'] = 'gbk'
t = dbfread.DBF(sys.argv[1], **kw)
conv = lambda r: {k: (v.isoformat() if hasattr(v, 'isoformat') else v) for k, v in r.items()}
print(json.dumps({'encoding': t.encoding, 'records': [conv(r) for r in t],
                  'deleted': [conv(r) for r in t.deleted]}))
)");
    for (const QString &mode : {QStringLiteral("gbk"), QStringLiteral("fromfile")}) {
        SCOPED_TRACE(mode.toStdString());
        bool ok = false;
        const QByteArray out = runPython(python, script, {path("kjcg.dbf"), mode}, &ok);
        ASSERT_TRUE(ok);
        const QJsonObject doc = QJsonDocument::fromJson(out).object();
        ASSERT_FALSE(doc.isEmpty()) << out.constData();
        EXPECT_TRUE(QStringList({"gbk", "cp936"}).contains(doc["encoding"].toString())) << qPrintable(doc["encoding"].toString());

        const QJsonArray recs = doc["records"].toArray();
        ASSERT_EQ(recs.size(), 3);
        const QJsonObject a = recs[0].toObject(), b = recs[1].toObject(), c = recs[2].toObject();
        EXPECT_EQ(a["NAME"].toString(), QStringLiteral("张三丰"));
        EXPECT_DOUBLE_EQ(a["AMOUNT"].toDouble(), 12.5);
        EXPECT_EQ(a["CNT"].toInt(), 7);
        EXPECT_EQ(a["BORN"].toString(), "2009-03-15");
        EXPECT_EQ(a["NOTE"].toString(), kLongMemo);
        EXPECT_EQ(b["NAME"].toString(), QStringLiteral("李四"));
        EXPECT_DOUBLE_EQ(b["AMOUNT"].toDouble(), 0.3);
        EXPECT_EQ(b["CNT"].toInt(), -3);
        EXPECT_TRUE(b["BORN"].isNull());
        EXPECT_TRUE(b["NOTE"].isNull() || b["NOTE"].toString().isEmpty());
        EXPECT_EQ(c["NAME"].toString(), QStringLiteral("赵六"));
        EXPECT_TRUE(c["AMOUNT"].isNull() && c["CNT"].isNull());
        EXPECT_EQ(c["NOTE"].toString(), QStringLiteral("短备注：测试"));

        const QJsonArray del = doc["deleted"].toArray();
        ASSERT_EQ(del.size(), 1);
        EXPECT_EQ(del[0].toObject()["NAME"].toString(), QStringLiteral("王五（删除）"));
        EXPECT_EQ(del[0].toObject()["NOTE"].toString(), QStringLiteral("删掉的备注"));
    }
}

TEST_F(InteropTest, EngineReadsTablesOtherWritersMade)
{
    const QString python = pythonWith("dbf");
    if (python.isEmpty())
        GTEST_SKIP() << "python3 with dbf is not installed";

    const QString script = QStringLiteral(R"(
import sys, datetime, dbf
t = dbf.Table(sys.argv[1], 'name C(20); amount N(10,2); cnt N(6,0); born D; note M', codepage='cp936', dbf_type='db3')
t.open(dbf.READ_WRITE)
memo = sys.argv[2]
t.append(('张三丰', 12.5, 7, datetime.date(2009, 3, 15), memo))
t.append(('删除的行', 1, 1, None, '删'))
t.append(('李四', 0.3, -3, None, ''))
t.append(('赵六', 100, 32767, datetime.date(2010, 12, 31), '短备注：测试'))
with t[1] as r:
    dbf.delete(r)
t.close()
)");
    bool ok = false;
    runPython(python, script, {path("pyt.dbf"), kLongMemo}, &ok);
    ASSERT_TRUE(ok);

    auto t = open("PYT");
    EXPECT_TRUE(t->warnings().isEmpty()) << qPrintable(t->warnings().join('\n'));
    EXPECT_EQ(t->fieldByName("cnt").kind(), FieldKind::SmallInt);
    EXPECT_EQ(rowsOf(*t, {"NAME", "AMOUNT", "CNT", "BORN"}),
              QStringList({QStringLiteral("张三丰|12.5|7|2009-03-15"), QStringLiteral("李四|0.3|-3|"),
                           QStringLiteral("赵六|100|32767|2010-12-31")}));
    EXPECT_EQ(rowsOf(*t, {"NOTE"}), QStringList({kLongMemo, "", QStringLiteral("短备注：测试")}));
    t->first();
    t->next();
    EXPECT_TRUE(t->fieldByName("NOTE").isNull());

    // Writing back into the other writer's table keeps it readable there.
    t->edit();
    t->fieldByName("NOTE").setAsString(QStringLiteral("补充的备注"));
    t->post();
    t->close();
    const QString check = QStringLiteral(R"(
import sys, json, dbfread
t = dbfread.DBF(sys.argv[1], char_decode_errors='strict')
print(json.dumps([r['NOTE'] for r in t]))
)");
    if (pythonWith("dbfread") == python) {
        const QByteArray out = runPython(python, check, {path("pyt.dbf")}, &ok);
        ASSERT_TRUE(ok);
        const QJsonArray notes = QJsonDocument::fromJson(out).array();
        ASSERT_EQ(notes.size(), 3) << out.constData();
        EXPECT_EQ(notes[0].toString(), kLongMemo);
        EXPECT_EQ(notes[1].toString(), QStringLiteral("补充的备注"));
    }
}

} // namespace
