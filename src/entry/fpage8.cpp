#include "fpage8.h"

#include "data/dm.h"
#include "data/records.h"
#include "db/dataset.h"
#include "entry/finto8.h"
#include "shell/mainform.h"

#include <QPushButton>

TFpage8 *Fpage8 = nullptr;

const QString TFpage8::ListName = QStringLiteral("成果完成人员名单");
const QString TFpage8::ListStatement = QStringLiteral(
    "select *  from  cgwcr  where  item_4=:item_4\n"
    "and  item_dqdm=:item_dqdm\n"
    "order  by  item_187 ");

namespace {

ListPage::ButtonNames buttonNames()
{
    ListPage::ButtonNames n;
    n.add = QStringLiteral("Button2");
    n.del = QStringLiteral("Button1");
    n.edit = QStringLiteral("Button3");
    n.help = QStringLiteral("Button4");
    n.quit = QStringLiteral("quit01");
    return n;
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + EscapeSqlQuotes(text) + QLatin1Char('\'');
}

// The twelve columns a pool row copies.
const QStringList &personColumns()
{
    static const QStringList cols = {
        QStringLiteral("ITEM_4"),   QStringLiteral("ITEM_DQDM"), QStringLiteral("ITEM_187"), QStringLiteral("ITEM_180"),
        QStringLiteral("ITEM_181"), QStringLiteral("ITEM_182"),  QStringLiteral("ITEM_183"), QStringLiteral("ITEM_184"),
        QStringLiteral("ITEM_185"), QStringLiteral("ITEM_186"),  QStringLiteral("ITEM_188"), QStringLiteral("ITEM_NO")};
    return cols;
}

} // namespace

TFpage8::TFpage8(QWidget *parent) : ListPage(QStringLiteral("Fpage8"), ListName, buttonNames(), parent)
{
    DBGrid4 = grid;
    DBGrid4->setObjectName(QStringLiteral("DBGrid4"));
    Button2 = btnAdd;
    Button1 = btnDelete;
    Button3 = btnEdit;
    Button4 = btnHelp;
    quit01 = btnQuit;

    DBGrid4->setColumns({{QStringLiteral("ITEM_187"), QStringLiteral("序号"), 40},
                         {QStringLiteral("ITEM_180"), QStringLiteral("姓名"), 64},
                         {QStringLiteral("ITEM_181"), QStringLiteral("性别"), 40},
                         {QStringLiteral("ITEM_182"), QStringLiteral("出生年月"), 66},
                         {QStringLiteral("ITEM_183"), QStringLiteral("技术职称"), 82},
                         {QStringLiteral("ITEM_184"), QStringLiteral("文化程度"), 80},
                         {QStringLiteral("ITEM_188"), QStringLiteral("是否留学归国"), 88},
                         {QStringLiteral("ITEM_185"), QStringLiteral("工作单位"), 150},
                         {QStringLiteral("ITEM_186"), QStringLiteral("对成果创造性贡献"), 170}});
    setCodeTexts(QStringLiteral("ITEM_181"), codetexts::sex());
    setCodeTexts(QStringLiteral("ITEM_183"), codetexts::title());
    setCodeTexts(QStringLiteral("ITEM_184"), codetexts::education());
    setCodeTexts(QStringLiteral("ITEM_188"), codetexts::abroad());

    useQuery(&DM->QryCgwcr, &DM->DSQcgwcr, ListStatement);
    setOrderField(QStringLiteral("ITEM_187"));
    setPageButton(QStringLiteral("btn_page08"));
}

ListDialog *TFpage8::dialog() const
{
    return Finto8;
}

void TFpage8::load()
{
    renumberItemNo();
    ListPage::load();
}

void TFpage8::renumberItemNo()
{
    db::Query &rec = DM->Qrykjcg;
    db::Table &t = DM->TblCgwcr;
    const QString key = rec.fieldByName(QStringLiteral("ITEM_4")).asString();
    const QString region = rec.fieldByName(QStringLiteral("ITEM_DQDM")).asString();
    t.setFiltered(false);
    t.setFilter(data::recordFilter(key, region));
    t.setFiltered(true);
    if (!t.isActive())
        t.open();
    // Rows by their identity: the view is the filter's, and writing ITEM_NO
    // does not move a row out of it, but the rows are walked as they were.
    QVector<int> rows;
    for (t.first(); !t.eof(); t.next())
        rows << t.currentRow();
    int n = 0;
    for (int row : rows) {
        ++n;
        if (!t.gotoRow(row))
            continue;
        if (t.fieldByName(QStringLiteral("ITEM_NO")).asString().trimmed() == QString::number(n))
            continue;
        try {
            t.edit();
            t.fieldByName(QStringLiteral("ITEM_NO")).setAsString(QString::number(n));
            t.post();
        } catch (...) {
            t.cancel();
            throw;
        }
    }
    t.flush();
}

int TFpage8::nextItemNo(const QString &item4)
{
    // ITEM_NO is text: its largest value is taken as a number ("10" above
    // "9").
    db::Query q;
    q.setDatabaseName(DataPath);
    q.setSQL(QStringLiteral("select *  from  cgwcr  where  item_4=:item_4"));
    q.setParam(QStringLiteral("item_4"), item4);
    q.open();
    int highest = 0;
    for (q.first(); !q.eof(); q.next()) {
        bool ok = false;
        const int n = q.fieldByName(QStringLiteral("ITEM_NO")).asString().trimmed().toInt(&ok);
        if (ok)
            highest = std::max(highest, n);
    }
    return highest + 1;
}

bool TFpage8::canQuit()
{
    if (rowCount() > 0)
        return true;
    if (MainForm)
        MainForm->ShowMsg(QStringLiteral("成果完成人员名单不能为空！"));
    return false;
}

void UpdatePersonPool(db::Dataset &person)
{
    db::Table &pool = DM->TblwcrNew;
    const QString name = person.fieldByName(QStringLiteral("ITEM_180")).asString().trimmed();
    if (!pool.isActive())
        pool.open();
    pool.setFiltered(false);
    pool.setFilter(QStringLiteral("item_180 =") + quoted(name));
    pool.setFiltered(true);
    const int count = pool.recordCount();
    if (count <= 1) {
        try {
            if (count == 0)
                pool.append();
            else {
                pool.first();
                pool.edit();
            }
            for (const QString &c : personColumns())
                pool.fieldByName(c).setValue(person.fieldByName(c).value());
            // The pool is searched by the trimmed name: it keeps the name so
            // (an imported name with blanks around it would otherwise be
            // added again at every import).
            pool.fieldByName(QStringLiteral("ITEM_180")).setAsString(name);
            pool.post();
        } catch (...) {
            pool.cancel();
            pool.setFiltered(false);
            throw;
        }
        pool.flush();
    }
    pool.setFiltered(false);
}
