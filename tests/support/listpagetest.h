#pragma once

// The common ground of the list-page tests (the lists of a record's
// cooperating organisations, patents, committee, persons and the
// organisation's discipline leaders): a seeded folder and the program's
// windows (SeededFolderTest), the rows of a table file, the list's dialog
// driven at its next showing, the user's pick in a combo, and the answers
// the lists always get: the delete question and "储存成功！".

#include "db/dataset.h"
#include "support/seededfolder.h"

#include <QComboBox>
#include <QDialog>
#include <QStringList>
#include <functional>
#include <type_traits>

namespace testsupport {

class ListPageTest : public SeededFolderTest {
protected:
    // The rows of a table file in file order, each the fields' values joined
    // by a blank.
    QStringList tableRows(const QString &table, const QStringList &fields)
    {
        db::Table t;
        t.setDatabaseName(data);
        t.setTableName(table);
        t.open();
        QStringList out;
        for (t.first(); !t.eof(); t.next()) {
            QStringList row;
            for (const QString &f : fields)
                row << t.fieldByName(f).asString();
            out << row.join(QLatin1Char(' '));
        }
        return out;
    }
    // The next showing of a list's dialog, named `name`, runs `driver` on it
    // (`dialog` is the program's pointer to it, read when it shows).
    template <class Dialog>
    void onDialog(const QString &name, Dialog *const &dialog,
                  const std::function<void(std::type_identity_t<Dialog> *)> &driver)
    {
        seams.onModal(name, [&dialog, driver](QDialog *) {
            driver(dialog);
            return 0;
        });
    }
    // The user picks the item with exactly this text.
    static void pick(QComboBox *c, const QString &text)
    {
        const int i = c->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        c->setCurrentIndex(i);
    }
    // A list's save ends with "储存成功！" in the main window's warning box.
    void expectSaved() { expectWarning(QStringLiteral("储存成功！")); }
    // The delete question of a list ("提示信息", Yes/No), answered `answer`.
    void answerDelete(int answer)
    {
        seams.expectMessage(QStringLiteral("是否删除该项目？!"), [answer](const platform::MessageCall &c) {
            EXPECT_EQ(c.caption, QStringLiteral("提示信息"));
            EXPECT_EQ(c.icon, platform::Icon::Information);
            EXPECT_EQ(c.buttons, platform::Yes | platform::No);
            return answer;
        });
    }
};

} // namespace testsupport
