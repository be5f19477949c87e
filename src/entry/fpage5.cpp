#include "fpage5.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "entry/finto5.h"

TFpage5 *Fpage5 = nullptr;

const QString TFpage5::ListSQL5 = QStringLiteral("select *  from  cgwcdw  where  item_4=:item_4\n"
                                                 "and  item_dqdm=:item_dqdm\n"
                                                 "order  by  item_176 ");

TFpage5::TFpage5(QWidget *parent)
    : ListPage(QStringLiteral("Fpage5"), QStringLiteral("合作完成单位情况"), ListPage::ButtonNames::recordList(), parent)
{
    DBGrid2 = grid;
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setColumns({{QStringLiteral("item_176"), QStringLiteral("序号"), 44},
                         {QStringLiteral("item_170"), QStringLiteral("单位名称"), 210},
                         {QStringLiteral("item_171"), QStringLiteral("详细通信地址"), 230},
                         {QStringLiteral("item_172"), QStringLiteral("邮政编码"), 70},
                         {QStringLiteral("item_173"), QStringLiteral("联系人"), 80},
                         {QStringLiteral("item_174"), QStringLiteral("联系人电话"), 110}});
    Button2 = btnAdd;
    Button1 = btnDelete;
    btnSave01 = btnEdit;
    Button3 = btnHelp;
    quit01 = btnQuit;

    useQuery(&DM->QryCgwcdw, &DM->DSQcgwcdw, ListSQL5);
    setOrderField(QStringLiteral("ITEM_176"));
    setRenumberOnDelete(true);
    setPageButton(QStringLiteral("btn_page05"));
    setUpdateCommandStateOnClose(false);
}

ListDialog *TFpage5::dialog() const
{
    return Finto5;
}

int TFpage5::newOrderNumber() const
{
    db::Dataset &ds = rows();
    const int count = rowCount();
    const int f = ds.schema().indexOf(QStringLiteral("ITEM_176"));
    int highest = 0;
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        const double n = ds.valueAt(i, f).toString().trimmed().toDouble(&ok);
        if (ok && n > highest)
            highest = int(n);
    }
    return highest + 1;
}
