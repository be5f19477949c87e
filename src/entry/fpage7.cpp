#include "fpage7.h"

#include "data/dm.h"
#include "entry/finto7.h"

TFpage7 *Fpage7 = nullptr;

// Members of one rank keep the order in which they were added.
const QString TFpage7::ListSQL7 = QStringLiteral("select *  from  Jdwyhmd  where  item_4=:item_4\n"
                                                 "and  item_dqdm=:item_dqdm\n"
                                                 "order  by  item_194, item_190");

TFpage7::TFpage7(QWidget *parent)
    : ListPage(QStringLiteral("Fpage7"), QStringLiteral("评价委员会名单"), ListPage::ButtonNames::recordList(), parent)
{
    DBGrid3 = grid;
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setColumns({{QStringLiteral("item_191"), QStringLiteral("评价委员会职务"), 100},
                         {QStringLiteral("item_192"), QStringLiteral("姓名"), 70},
                         {QStringLiteral("item_193"), QStringLiteral("性别"), 44},
                         {QStringLiteral("item_195"), QStringLiteral("工作单位"), 190},
                         {QStringLiteral("item_196"), QStringLiteral("所学专业"), 140},
                         {QStringLiteral("item_197"), QStringLiteral("现从事专业"), 120},
                         {QStringLiteral("item_198"), QStringLiteral("职称"), 86}});
    setCodeTexts(QStringLiteral("item_193"), codetexts::sex());
    setCodeTexts(QStringLiteral("item_198"), codetexts::title());
    Button2 = btnAdd;
    Button1 = btnDelete;
    btnSave01 = btnEdit;
    Button3 = btnHelp;
    quit01 = btnQuit;

    useQuery(&DM->QryJdwyhmd, &DM->DSQjdwyhmd, ListSQL7);
    // Member numbers identify members and are never renumbered.
    setRenumberOnDelete(false);
    setPageButton(QStringLiteral("btn_page07"));
    setUpdateCommandStateOnClose(true);
    setCloseBox(true);
}

ListDialog *TFpage7::dialog() const
{
    return Finto7;
}
