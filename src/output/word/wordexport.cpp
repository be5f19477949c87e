#include "output/word/wordexport.h"

#include "data/dm.h"
#include "data/records.h"
#include "db/dataset.h"
#include "db/error.h"
#include "output/word/docxfiller.h"
#include "platform/core/captions.h"
#include "platform/core/syserror.h"
#include "platform/core/tempfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace word {

namespace {

// The template's file in the data folder, its name's letter case aside.
QString findTemplate(const QString &dataFolder, const QString &name)
{
    const QDir dir(dataFolder);
    if (QFileInfo(dir.filePath(name)).isFile())
        return dir.filePath(name);
    for (const QFileInfo &fi : dir.entryInfoList(QDir::Files))
        if (fi.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return fi.filePath();
    return QString();
}

QString rowText(db::Dataset &ds, int field)
{
    return ds.field(field).asString();
}

WordRow currentRow(db::Dataset &ds)
{
    WordRow row;
    const QStringList names = ds.fieldNames();
    for (int i = 0; i < names.size(); ++i)
        row.set(names[i], rowText(ds, i));
    return row;
}

QList<WordRow> selectRows(const QString &dataFolder, const QString &statement, const QString &key,
                          const QString &region)
{
    db::Query q;
    q.setDatabaseName(dataFolder);
    q.setSQL(statement);
    q.setParam(QStringLiteral("item_4"), key);
    q.setParam(QStringLiteral("item_dqdm"), region);
    q.open();
    QList<WordRow> rows;
    for (q.first(); !q.eof(); q.next())
        rows << currentRow(q);
    q.close();
    return rows;
}

// Every row of a table in the order of its rows (those the filter lets
// through, when one is given).
void readTable(const QString &dataFolder, const QString &table, const std::function<void(db::Table &)> &each,
               const QString &filter = QString())
{
    db::Table t;
    t.setDatabaseName(dataFolder);
    t.setTableName(table);
    if (!filter.isEmpty()) {
        t.setFilter(filter);
        t.setFiltered(true);
    }
    t.open();
    for (t.first(); !t.eof(); t.next())
        each(t);
    t.close();
}

bool tableExists(const QString &dataFolder, const QString &file)
{
    const QDir dir(dataFolder);
    for (const QFileInfo &fi : dir.entryInfoList(QDir::Files))
        if (fi.fileName().compare(file, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void tellWhere(WordHost &host, const QString &path)
{
    host.inform(QStringLiteral("没有可以显示Word文档的程序，文档已保存在：\r\n%1\r\n请用文字处理软件打开它。")
                    .arg(QDir::toNativeSeparators(path)),
                platform::NoteCaption);
}

ExportEnd openWithDesktop(WordHost &host, const QString &path)
{
    if (host.startProgram(QStringLiteral("xdg-open"), {path}, [path](WordHost &later) { tellWhere(later, path); }))
        return ExportEnd::OpenedByDesktop;
    tellWhere(host, path);
    return ExportEnd::LeftInFolder;
}

// soffice takes the document as a new, unsaved one; the desktop's opener
// comes next; else the user is told where the document is.
ExportEnd openDocument(WordHost &host, const QString &path)
{
    if (host.startProgram(QStringLiteral("soffice"), {QStringLiteral("-n"), path},
                          [path](WordHost &later) { openWithDesktop(later, path); }))
        return ExportEnd::OpenedInWriter;
    return openWithDesktop(host, path);
}

// How many of a template's missing bookmarks the box names; the rest are in
// its details.
constexpr int kMissingNamed = 5;

void reportMissing(WordHost &host, const QString &templateName, const QStringList &missing)
{
    QString text = QStringLiteral("模板“%1”中缺少 %2 个书签，这些内容未能填入Word文档：%3")
                       .arg(templateName)
                       .arg(missing.size())
                       .arg(missing.mid(0, kMissingNamed).join(QStringLiteral("、")));
    text += missing.size() > kMissingNamed ? QStringLiteral(" 等。") : QStringLiteral("。");
    host.error(text, missing.size() > kMissingNamed
                         ? QStringLiteral("缺少的书签：\n") + missing.join(u'\n')
                         : QString());
}

} // namespace

ExportOutcome exportWord(WordHost &host, WordForm form, const QString &dataFolder, const WordRecord &record,
                         const CodeTables *tables, const QString &tempRoot)
{
    ExportOutcome outcome;
    if (!host.confirm(QStringLiteral("您确定输出word文档吗？\r\n"), platform::NoteCaption))
        return outcome;

    const QString templatePath = findTemplate(dataFolder, templateFileName(form));
    if (templatePath.isEmpty()) {
        host.error(QStringLiteral("您的电脑上没有相应的报表"));
        outcome.end = ExportEnd::NoTemplate;
        return outcome;
    }

    BookmarkTexts texts;
    try {
        CodeTables loaded;
        if (!tables) {
            loaded = loadCodeTables(dataFolder);
            tables = &loaded;
        }
        writeBookmarks(form, record, *tables,
                       [&texts](const QString &b, const QString &t) { texts.append({b, t}); });
    } catch (const db::EngineError &e) {
        host.error(e.message());
        outcome.end = ExportEnd::Failed;
        return outcome;
    }

    QTemporaryDir folder(platform::keptFolderTemplate(WordFolderKind, tempRoot));
    if (!folder.isValid()) {
        host.error(QStringLiteral("无法建立临时文件夹：") + platform::systemErrorText(folder.errorString()));
        outcome.end = ExportEnd::Failed;
        return outcome;
    }
    folder.setAutoRemove(false);
    const QString document =
        QDir(folder.path()).filePath(QFileInfo(templateFileName(form)).completeBaseName() + QStringLiteral(".docx"));
    const FillResult filled = fillDocument(templatePath, document, texts);
    if (!filled.ok) {
        QDir(folder.path()).removeRecursively();
        host.error(QStringLiteral("无法生成Word文档：") + filled.error);
        outcome.end = ExportEnd::Failed;
        return outcome;
    }
    outcome.document = document;
    if (!filled.missing.isEmpty())
        reportMissing(host, templateFileName(form), filled.missing);
    outcome.end = openDocument(host, document);
    return outcome;
}

ExportOutcome exportRegistrationWord(WordHost &host, const QString &dataFolder, const WordRecord &record)
{
    return exportWord(host, registrationForm(record), dataFolder, record);
}

ExportOutcome exportAppraisalApplicationWord(WordHost &host, const QString &dataFolder, const WordRecord &record)
{
    return exportWord(host, WordForm::AppraisalApplication, dataFolder, record);
}

ExportOutcome exportAppraisalCertificateWord(WordHost &host, const QString &dataFolder, const WordRecord &record)
{
    return exportWord(host, WordForm::AppraisalCertificate, dataFolder, record);
}

WordRecord snapshotCurrentRecord(TDM &dm)
{
    WordRecord rec;
    if (!dm.Qrykjcg.isActive() || dm.Qrykjcg.isEmpty())
        return rec;
    rec.record = currentRow(dm.Qrykjcg);
    const QString key = rec.record[QStringLiteral("ITEM_4")];
    const QString region = rec.record[QStringLiteral("ITEM_DQDM")];
    const QString folder = DataPath;
    const QString where = QStringLiteral(" where item_4=:item_4 and item_dqdm=:item_dqdm");
    rec.organisations = organisationsInTableOrder(folder, key, region);
    rec.persons = selectRows(folder, QStringLiteral("select * from cgwcr") + where + QStringLiteral(" order by item_187"),
                             key, region);
    rec.committee = selectRows(folder,
                               QStringLiteral("select * from jdwyhmd") + where + QStringLiteral(" order by item_194"),
                               key, region);
    rec.patents = selectRows(folder, QStringLiteral("select * from zlqk") + where, key, region);
    return rec;
}

QList<WordRow> organisationsInTableOrder(const QString &dataFolder, const QString &key, const QString &region)
{
    QList<WordRow> rows;
    readTable(dataFolder, QStringLiteral("cgwcdw.dbf"), [&rows](db::Table &t) { rows << currentRow(t); },
              data::recordFilter(key, region));
    return rows;
}

CodeTables loadCodeTables(const QString &dataFolder)
{
    CodeTables t;
    readTable(dataFolder, QStringLiteral("zdxx.dbf"), [&t](db::Table &z) {
        t.addDict(z.fieldByName(QStringLiteral("zddm")).asString(), z.fieldByName(QStringLiteral("xxdm")).asString(),
                  z.fieldByName(QStringLiteral("xxmc")).asString());
    });
    readTable(dataFolder, QStringLiteral("province.dbf"), [&t](db::Table &p) {
        t.addProvince(p.fieldByName(QStringLiteral("Province_i")).asString(),
                      p.fieldByName(QStringLiteral("Province_n")).asString());
    });
    readTable(dataFolder, QStringLiteral("lsbw.dbf"), [&t](db::Table &m) {
        t.addMinistry(m.fieldByName(QStringLiteral("Bwdm")).asString(), m.fieldByName(QStringLiteral("Bwmc")).asString());
    });
    if (tableExists(dataFolder, QStringLiteral("xkfl.dbf"))) {
        t.markSubjectsPresent();
        readTable(dataFolder, QStringLiteral("xkfl.dbf"), [&t](db::Table &s) {
            t.addSubject(s.fieldByName(QStringLiteral("xxdm")).asString(), s.fieldByName(QStringLiteral("xxmc")).asString());
        });
    }
    if (tableExists(dataFolder, QStringLiteral("ztflh.dbf"))) {
        t.markLibraryPresent();
        readTable(dataFolder, QStringLiteral("ztflh.dbf"), [&t](db::Table &s) {
            t.addLibraryClass(s.fieldByName(QStringLiteral("xxdm")).asString(),
                              s.fieldByName(QStringLiteral("xxmc")).asString());
        });
    }
    return t;
}

} // namespace word
