// The help windows: the shipped texts, the windows themselves and the help
// buttons of the record pages choosing a window by the category.
#include "entry/fpage1.h"
#include "entry/fpage2.h"
#include "entry/fpage3.h"
#include "entry/fpage4.h"
#include "entry/fpage5.h"
#include "entry/fpage6.h"
#include "entry/fpage7.h"
#include "entry/fpage8.h"
#include "entry/fpage9.h"
#include "entry/help.h"
#include "support/seededfolder.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QCoreApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kHelpFolder = QStringLiteral(SORVEL_SOURCE_DIR "/resources/help");

QStringList words(const QString &blankSeparated) { return blankSeparated.split(u' ', Qt::SkipEmptyParts); }

QString fileText(const QString &file)
{
    QFile f(kHelpFolder + u'/' + file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    return QString::fromUtf8(f.readAll());
}

// The titles of the numbered items ("3、title：…" at a line start), after
// checking that the numbers run 1, 2, 3 ...
QStringList itemTitles(const QString &text, const QString &where)
{
    static const QRegularExpression re(u"^(\\d+)、([^：（]+)"_s, QRegularExpression::MultilineOption);
    QStringList out;
    for (auto it = re.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        EXPECT_EQ(m.captured(1).toInt(), out.size() + 1) << where.toStdString() << ": " << m.captured(2).toStdString();
        out << m.captured(2);
    }
    return out;
}

// The sections of a whole-form text ("二、…" headings), in order.
QStringList sectionsOf(const QString &text)
{
    static const QRegularExpression re(u"^[一二三四五六七八九]、"_s, QRegularExpression::MultilineOption);
    QList<qsizetype> starts;
    for (auto it = re.globalMatch(text); it.hasNext();)
        starts << it.next().capturedStart();
    QStringList out;
    for (int i = 0; i < starts.size(); ++i)
        out << text.mid(starts[i], (i + 1 < starts.size() ? starts[i + 1] : text.size()) - starts[i]);
    return out;
}

// ---------------------------------------------------------------------------

TEST(HelpTexts, EveryFileIsValidNonEmptyUtf8AndListedInTheResource)
{
    QStringList listed;
    QFile qrc(QStringLiteral(SORVEL_SOURCE_DIR "/resources/help.qrc"));
    ASSERT_TRUE(qrc.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&qrc);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"file"_s)
            listed << xml.readElementText();
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();

    HelpWindow::setTextFolder(kHelpFolder);
    const QStringList files = HelpWindow::textFiles();
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        QFile f(kHelpFolder + u'/' + file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QStringDecoder strict(QStringDecoder::Utf8);
        const QString text = strict.decode(f.readAll());
        EXPECT_FALSE(strict.hasError());
        EXPECT_FALSE(text.trimmed().isEmpty());
        EXPECT_TRUE(listed.contains(u"help/"_s + file));
        EXPECT_EQ(HelpWindow::loadText(file), text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text);
    }
    HelpWindow::setTextFolder(QString());
    // Nothing stray in the folder or the resource either.
    const QStringList onDisk = QDir(kHelpFolder).entryList(QDir::Files);
    EXPECT_EQ(QSet<QString>(onDisk.begin(), onDisk.end()), QSet<QString>(files.begin(), files.end()));
    EXPECT_EQ(listed.size(), files.size());
}

TEST(HelpTexts, PageTextsListTheirItemsInScreenOrderWithTheirRules)
{
    const QList<QPair<QString, QString>> items = {
        {u"cggk.txt"_s, u"成果名称 批准登记号 推荐单位 批准登记日期 研究起始日期 研究终止日期 成果密级 成果属性 关键词 "
                        u"成果体现形式 成果水平 成果所处阶段 研究形式 转让范围 学科分类 中图分类 所属高新技术领域 "
                        u"成果应用行业 成果简介 成果公报内容"_s},
        {u"cggk_rj.txt"_s, u"成果名称 批准登记号 推荐单位 批准登记日期 研究起始日期 研究终止日期 成果密级 关键词 "
                           u"成果体现形式 成果水平 研究形式 学科分类 中图分类 社会经济目标 成果应用行业 成果简介 "
                           u"成果公报内容"_s},
        {u"zscq.txt"_s, u"知识产权形式 专利状况 已受理专利项数 已受理专利 授权专利项数 授权专利 软件著作权登记号 "
                        u"软件著作权名称 应用状态 已转让企业数 技术转让收入 自行转化效益 推广形式 预计达产投资 "
                        u"预计达产利税 未应用或停用原因"_s},
        {u"cglx.txt"_s, u"课题来源 课题立项编号 课题立项名称 经费实际投入额 评价方式 评价单位 评价日期 评价报告编号"_s},
        {u"wcdw.txt"_s, u"单位名称 组织机构代码 详细通讯地址 邮政编码 电话 传真 单位网址 单位属性 单位所在省市 "
                        u"隶属关系 联系人 联系人电话 电子信箱 成果转让联系人、联系电话及电子信箱"_s},
        {u"hzdw.txt"_s, u"序号 单位名称 详细通讯地址 邮政编码 联系人 联系人电话"_s},
        {u"pjwy.txt"_s, u"评价委员会职务 工作单位 所学专业 从事专业 职称"_s},
        {u"wcr.txt"_s, u"序号"_s},
        {u"pjzs.txt"_s, u"证书号 评价日期 推广应用前景 主要技术文件目录及来源 评价委员会专家测试报告 评价意见"_s},
    };
    for (const auto &[file, want] : items)
        EXPECT_EQ(itemTitles(fileText(file), file), words(want)) << file.toStdString();

    // The definitions and codes a reader needs to fill the items in.
    const QList<QPair<QString, QString>> musts = {
        {u"cggk.txt"_s, u"12位 字母Y 原始性创新 国外引进、消化吸收创新 国内技术二次开发 初期阶段 中期阶段 "
                        u"成熟应用阶段 GB/T 13745-94 GB/T 4754-2002 未评价 最多3个 第四版"_s},
        {u"cggk_rj.txt"_s, u"12位 字母Y “论文” “著作” “其他”"_s},
        {u"zscq.txt"_s, u"发明专利 实用新型专利 外观设计专利 稳定应用： 小批量或小范围应用： 试用： 应用后停用： "
                        u"未应用： 净利润 实交税金 出口创汇 节约资金 产权转让 技术服务 资金问题： 政策因素："_s},
        {u"cglx.txt"_s, u"最高一级 自有资金： 鉴定： 验收： 行业准入： 评估： 评价机构： 横向委托： 自选："_s},
        {u"wcdw.txt"_s, u"法人证书 1999年1月1日 含区号 独立科研机构： 大专院校： 企业： 医疗机构： 其他："_s},
        {u"pjwy.txt"_s, u"“主任委员” “副主任委员” “委员” “正高” “副高” “中级” “初级” “其他” 院士"_s},
    };
    for (const auto &[file, phrases] : musts) {
        const QString text = fileText(file);
        for (const QString &p : words(phrases))
            EXPECT_TRUE(text.contains(p)) << file.toStdString() << " lacks " << p.toStdString();
    }
    // The soft-science overview has none of the applied-technology items.
    for (const QString &absent : words(u"成果属性 成果所处阶段 转让范围 所属高新技术领域"_s))
        EXPECT_FALSE(fileText(u"cggk_rj.txt"_s).contains(absent)) << absent.toStdString();
}

TEST(HelpTexts, WholeFormTextsHaveTheirSectionsItemsAndApprovalBlock)
{
    const QStringList applied = sectionsOf(fileText(u"form.txt"_s));
    ASSERT_EQ(applied.size(), 7);
    const QList<int> appliedCounts = {7, 12, 4, 0, 8, 8, 6};
    for (int s = 0; s < 7; ++s)
        EXPECT_EQ(itemTitles(applied[s], u"form.txt"_s).size(), appliedCounts[s]) << "section " << s + 1;
    EXPECT_EQ(itemTitles(applied[1], u"form.txt"_s),
              words(u"成果名称 关键词 成果体现形式 成果属性 成果所处阶段 成果水平 转让范围 研究形式 学科分类 中图分类 "
                    u"所属高新技术领域 成果应用行业"_s));
    for (const QString &form : words(u"鉴定 验收 行业准入 评估 评价机构"_s))
        EXPECT_TRUE(applied[3].contains(u"）"_s + form + u"："_s)) << form.toStdString();
    EXPECT_TRUE(applied[0].contains(u"字母Y"_s));
    for (const QString &p : words(u"批准登记单位意见 负责人 □□□□年□□月□□日"_s))
        EXPECT_TRUE(applied[6].contains(p)) << p.toStdString();

    const QStringList other = sectionsOf(fileText(u"form_rj.txt"_s));
    ASSERT_EQ(other.size(), 5);
    const QList<int> otherCounts = {7, 9, 4, 0, 6};
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(itemTitles(other[s], u"form_rj.txt"_s).size(), otherCounts[s]) << "section " << s + 1;
    EXPECT_TRUE(other[0].contains(u"字母为R"_s) && other[0].contains(u"字母为J"_s));
    EXPECT_TRUE(other[1].contains(u"GB/T 13745-92"_s));
    for (const QString &form : words(u"验收 评审 结题 评价机构"_s))
        EXPECT_TRUE(other[3].contains(u"）"_s + form + u"："_s)) << form.toStdString();
    EXPECT_FALSE(other[3].contains(u"鉴定"_s));
    EXPECT_TRUE(other[4].contains(u"□□□□年□□月□□日"_s));
}

// ---------------------------------------------------------------------------
// The windows.

class HelpWindows : public ::testing::Test {
protected:
    void SetUp() override { HelpWindow::setTextFolder(kHelpFolder); }
    void TearDown() override { HelpWindow::setTextFolder(QString()); }
};

TEST_F(HelpWindows, EachWindowShowsItsTextUnderItsCaptionAndButton)
{
    struct Expect {
        HelpWindow *window;
        QString name, file, button;
    };
    const QList<Expect> all = {
        {new THelpForm, u"HelpForm"_s, u"form.txt"_s, u"返回"_s},
        {new THelpForm_rj, u"HelpForm_rj"_s, u"form_rj.txt"_s, u"返回"_s},
        {new THelpCggk, u"HelpCggk"_s, u"cggk.txt"_s, u"关闭"_s},
        {new THelpCggkRj, u"HelpCggkRj"_s, u"cggk_rj.txt"_s, u"关闭"_s},
        {new THelpZscq, u"HelpZscq"_s, u"zscq.txt"_s, u"关闭"_s},
        {new THelpCglx, u"HelpCglx"_s, u"cglx.txt"_s, u"返回"_s},
        {new THelpKtlxRj, u"HelpKtlxRj"_s, u"form.txt"_s, u"关闭"_s},
        {new THelpWcdw, u"HelpWcdw"_s, u"wcdw.txt"_s, u"返回"_s},
        {new THelpHzdw, u"HelpHzdw"_s, u"hzdw.txt"_s, u"关闭"_s},
        {new THelpPjwy, u"HelpPjwy"_s, u"pjwy.txt"_s, u"关闭"_s},
        {new THelpWcr, u"HelpWcr"_s, u"wcr.txt"_s, u"关闭"_s},
        {new THelpPjzs, u"HelpPjzs"_s, u"pjzs.txt"_s, u"关闭"_s},
    };
    for (const Expect &e : all) {
        SCOPED_TRACE(e.name.toStdString());
        std::unique_ptr<HelpWindow> w(e.window);
        EXPECT_EQ(w->objectName(), e.name);
        EXPECT_EQ(w->windowTitle(), u"帮助信息"_s);
        EXPECT_EQ(w->Button1->text(), e.button);
        EXPECT_TRUE(w->Memo1->isReadOnly());
        EXPECT_EQ(w->Memo1->toPlainText(), fileText(e.file).remove(QChar(0xFEFF)));
        // Only the soft-science form's window has a sizeable frame.
        const bool sizeable = e.name == u"HelpForm_rj"_s;
        EXPECT_EQ(w->minimumSize() == w->maximumSize(), !sizeable);
        EXPECT_EQ(w->size(), sizeable ? QSize(595, 403) : QSize(586, 348));
    }
}

TEST_F(HelpWindows, ItsButtonClosesItAndTheNextShowingStartsAtTheTop)
{
    THelpForm w;
    w.show();
    w.Memo1->moveCursor(QTextCursor::End);
    w.Button1->click();
    EXPECT_FALSE(w.isVisible());
    w.show();
    EXPECT_EQ(w.Memo1->textCursor().position(), 0);
    w.close();

    // A text folder set after creation is read at the next showing.
    HelpWindow::setTextFolder(QString());
    THelpWcr late;
    EXPECT_TRUE(late.Memo1->toPlainText().isEmpty());   // no resource linked into the tests
    HelpWindow::setTextFolder(kHelpFolder);
    late.show();
    EXPECT_TRUE(late.Memo1->toPlainText().contains(u"序号"_s));
    late.close();
}

// ---------------------------------------------------------------------------
// The pages' help buttons, on the program's own pages.

class HelpButtons : public testsupport::SeededFolderTest {
protected:
    void SetUp() override
    {
        SeededFolderTest::SetUp();
        HelpWindow::setTextFolder(kHelpFolder);
        addOrganisation();
        startWindows();   // every page and help window, the help buttons wired
    }
    void TearDown() override
    {
        SeededFolderTest::TearDown();   // every page and window goes with the main window
        HelpWindow::setTextFolder(QString());
    }

    // Expects `window` to open modally over the text of `file`; its own
    // button closes it.
    void expectHelp(const QString &window, const QString &file)
    {
        seams.onModal(window, [file](QDialog *d) {
            auto *w = qobject_cast<HelpWindow *>(d);
            EXPECT_NE(w, nullptr);
            if (!w)
                return 0;
            EXPECT_EQ(w->textFile(), file);
            EXPECT_FALSE(w->Memo1->toPlainText().isEmpty());
            // Long lines scroll sideways instead of wrapping.
            QCoreApplication::processEvents();
            EXPECT_TRUE(w->Memo1->horizontalScrollBar()->isVisible());
            int widest = 0;
            for (const QString &line : w->Memo1->toPlainText().split(u'\n'))
                widest = qMax(widest, w->Memo1->fontMetrics().horizontalAdvance(line));
            if (widest > w->Memo1->viewport()->width()) {
                EXPECT_GT(w->Memo1->horizontalScrollBar()->maximum(), 0) << file.toStdString();
            }
            w->Button1->click();
            EXPECT_FALSE(w->isVisible());
            return 0;
        });
    }
};

TEST_F(HelpButtons, EachPageOpensTheWindowOfTheChosenCategoryOrNone)
{
    wireHelpButtons();
    struct Row {
        QWidget *page;
        QString button, applied, appliedFile, other, otherFile;
    };
    const QList<Row> rows = {
        {Fpage1, u"Button3"_s, u"HelpCggk"_s, u"cggk.txt"_s, u"HelpCggkRj"_s, u"cggk_rj.txt"_s},
        {Fpage2, u"Button3"_s, u"HelpZscq"_s, u"zscq.txt"_s, {}, {}},
        // Page 3 shows the whole applied-technology instructions for the others.
        {Fpage3, u"Button3"_s, u"HelpCglx"_s, u"cglx.txt"_s, u"HelpKtlxRj"_s, u"form.txt"_s},
        {Fpage4, u"Button3"_s, u"HelpWcdw"_s, u"wcdw.txt"_s, {}, {}},
        {Fpage5, u"Button3"_s, u"HelpHzdw"_s, u"hzdw.txt"_s, {}, {}},
        {Fpage6, u"Button3"_s, u"HelpForm"_s, u"form.txt"_s, u"HelpForm_rj"_s, u"form_rj.txt"_s},
        {Fpage7, u"Button3"_s, u"HelpPjwy"_s, u"pjwy.txt"_s, {}, {}},
        {Fpage8, u"Button4"_s, u"HelpWcr"_s, u"wcr.txt"_s, {}, {}},
        {Fpage9, u"Button1"_s, u"HelpPjzs"_s, u"pjzs.txt"_s, {}, {}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.page->objectName().toStdString());
        auto *b = r.page->findChild<QPushButton *>(r.button);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), u"帮助"_s);
        // The choice is read at each click: applied technology, soft
        // science, basic theory.
        for (int category : {0, 1, 2}) {
            MainForm->ComboBox1->setCurrentIndex(category);
            if (category == 0)
                expectHelp(r.applied, r.appliedFile);
            else if (!r.other.isEmpty())
                expectHelp(r.other, r.otherFile);
            b->click();   // an unexpected window fails the test
            seams.verifyAllUsed();
        }
    }
}

TEST_F(HelpButtons, WiringTwiceOpensOneWindowAndMissingPagesOrWindowsArePassedOver)
{
    delete std::exchange(Fpage7, nullptr);
    wireHelpButtons();
    wireHelpButtons();
    MainForm->ComboBox1->setCurrentIndex(0);
    expectHelp(u"HelpHzdw"_s, u"hzdw.txt"_s);
    Fpage5->findChild<QPushButton *>(u"Button3"_s)->click();
    seams.verifyAllUsed();

    delete std::exchange(HelpWcr, nullptr);
    Fpage8->findChild<QPushButton *>(u"Button4"_s)->click();

    // A page made without a parent is found among the top-level windows.
    delete std::exchange(Fpage4, nullptr);
    auto page = std::make_unique<TFpage4>();
    wireHelpButtons();
    expectHelp(u"HelpWcdw"_s, u"wcdw.txt"_s);
    page->findChild<QPushButton *>(u"Button3"_s)->click();
}

} // namespace
