#include "printform.h"

#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "preview.h"
#include "printcuts.h"
#include "printsink.h"
#include "report/report.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

TPrintForm *PrintForm = nullptr;

using output::Family;
using output::PrintPages;

namespace {

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setGeometry(geometry);
    return b;
}

QLabel *makeLabel(QWidget *parent, const QString &text, const QRect &geometry, bool bold = false)
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(geometry);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

} // namespace

TPrintForm::TPrintForm(PrintPages::Builder builder, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_pages(std::move(builder))
{
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(QStringLiteral("数据打印"));
    // The panels, and under them the status line.
    setFixedSize(353, 291);
    QFont f(report::installedFamily(QStringLiteral("宋体")));
    f.setPixelSize(12);
    setFont(f);
    buildPanels();
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setGeometry(8, 253, 337, 36);
    lblStatus->setWordWrap(true);
    lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    preview = new output::ReportPreview(this);
}

void TPrintForm::buildPanels()
{
    auto panel = [this](const char *name) {
        auto *p = new QFrame(this);
        p->setObjectName(QLatin1String(name));
        p->setGeometry(0, 0, 353, 250);
        p->setFrameShape(QFrame::StyledPanel);
        return p;
    };

    // Start panel.
    Panel5 = panel("Panel5");
    makeLabel(Panel5, QStringLiteral("打印科技成果登记表请使用“直接打印”或“自定义打印”  "), {12, 8, 330, 18});
    Button4 = makeButton(Panel5, QStringLiteral("Button4"), QStringLiteral("直接打印"), {60, 30, 110, 25});
    Button7 = makeButton(Panel5, QStringLiteral("Button7"), QStringLiteral("自定义打印"), {183, 30, 110, 25});
    makeLabel(Panel5, QStringLiteral("输出文档(Word文档不是正式上报文档)"), {12, 64, 330, 18});
    YY_Button = makeButton(Panel5, QStringLiteral("YY_Button"), QStringLiteral("科技成果登记表(Word)"), {60, 86, 233, 25});
    RJ_Button = makeButton(Panel5, QStringLiteral("RJ_Button"), QStringLiteral("输出科技成果登记表(word)"), {60, 86, 233, 25});
    YY_Button->hide();
    RJ_Button->hide();
    Button5 = makeButton(Panel5, QStringLiteral("Button5"), QStringLiteral("输出科学技术成果评价申请表(word)"), {60, 115, 233, 25});
    Button6 = makeButton(Panel5, QStringLiteral("Button6"), QStringLiteral("输出科学技术成果评价证书(word)"), {60, 144, 233, 25});
    makeLabel(Panel5, QStringLiteral("注意：此页用于打印登记表或生成Word文档，"), {12, 178, 330, 18});
    makeLabel(Panel5, QStringLiteral("生成管理机构认可的上报文件需使用“导出”功能"), {12, 196, 330, 18});
    Button3 = makeButton(Panel5, QStringLiteral("Button3"), QStringLiteral("退出"), {139, 220, 75, 25});
    platform::onClicked(Button4, this, [this] { Button4Click(); });
    platform::onClicked(Button7, this, [this] { Button7Click(); });
    platform::onClicked(YY_Button, this, [this] { YY_ButtonClick(); });
    platform::onClicked(RJ_Button, this, [this] { RJ_ButtonClick(); });
    platform::onClicked(Button5, this, [this] { Button5Click(); });
    platform::onClicked(Button6, this, [this] { Button6Click(); });
    connect(Button3, &QPushButton::clicked, this, &QDialog::accept);

    // Page previews: page buttons of 75 by 25 in three columns.
    auto previewPanel = [&](QFrame *p, Family family, const QString &title, QPushButton *&back, const char *backName,
                            QPushButton *&quit, const char *quitName) {
        makeLabel(p, title, {12, 6, 330, 20}, true)->setAlignment(Qt::AlignCenter);
        const auto &all = PrintPages::pages(family);
        for (int i = 0; i < int(all.size()); ++i) {
            const QRect g(40 + 85 * (i % 3), 30 + 29 * (i / 3), 75, 25);
            QPushButton *b = makeButton(p, all[size_t(i)].previewButton, all[size_t(i)].label, g);
            pageButtons.insert(b->objectName(), b);
            platform::onClicked(b, this, [this, family, i] { PreviewPage(family, i); });
        }
        makeLabel(p, QStringLiteral("标*的按钮代表正文"), {40, 30 + 29 * 5 + 4, 200, 18});
        back = makeButton(p, QLatin1String(backName), QStringLiteral("返回"), {90, 220, 75, 25});
        quit = makeButton(p, QLatin1String(quitName), QStringLiteral("退出"), {188, 220, 75, 25});
        connect(quit, &QPushButton::clicked, this, &QDialog::accept);
    };
    Panel2 = panel("Panel2");
    previewPanel(Panel2, Family::Applied, QStringLiteral("应用技术成果"), Button1, "Button1", BitBtn2, "BitBtn2");
    Panel1 = panel("Panel1");
    previewPanel(Panel1, Family::Basic, QStringLiteral("“基础理论、软科学类”成果"), Button2, "Button2", BitBtn3, "BitBtn3");
    platform::onClicked(Button1, this, [this] { Button1Click(); });
    platform::onClicked(Button2, this, [this] { Button2Click(); });

    // Direct printing: the whole form, then the sections, one under the other.
    auto directPanel = [&](QFrame *p, Family family, QPushButton *&whole, const char *wholeName, QPushButton *&back,
                           const char *backName, QPushButton *&quit, const char *quitName) {
        whole = makeButton(p, QLatin1String(wholeName), QStringLiteral("全文打印"), {51, 0, 250, 25});
        platform::onClicked(whole, this, [this, family] { PrintWhole(family); });
        int row = 1;
        for (int i : PrintPages::wholePrintOrder(family)) {
            const auto &entry = PrintPages::pages(family)[size_t(i)];
            QPushButton *b = makeButton(p, entry.directButton, entry.directCaption, {51, 25 * row++, 250, 25});
            pageButtons.insert(b->objectName(), b);
            platform::onClicked(b, this, [this, family, i] { DirectPrint(family, i); });
        }
        back = makeButton(p, QLatin1String(backName), QStringLiteral("返回"), {51, 25 * row, 124, 25});
        quit = makeButton(p, QLatin1String(quitName), QStringLiteral("退出"), {177, 25 * row, 124, 25});
        platform::onClicked(back, this, [this] { ShowPanel(5); });
        connect(quit, &QPushButton::clicked, this, &QDialog::accept);
    };
    Panel3 = panel("Panel3");
    directPanel(Panel3, Family::Applied, zBitBtn4, "zBitBtn4", zBitBtn3, "zBitBtn3", BitBtn4a, "BitBtn4a");
    Panel4 = panel("Panel4");
    directPanel(Panel4, Family::Basic, zBitBtn12, "zBitBtn12", zBitBtn1, "zBitBtn1", zBitBtn4z, "zBitBtn4z");

    ShowPanel(5);
}

void TPrintForm::setRecord(output::PrintRecord record)
{
    m_pages.setRecord(std::move(record));
}

void TPrintForm::ShowPanel(int n)
{
    QFrame *panels[] = {Panel1, Panel2, Panel3, Panel4, Panel5};
    if (n < 1 || n > 5)
        return;
    for (int i = 0; i < 5; ++i)
        panels[i]->setVisible(i == n - 1);
}

void TPrintForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TPrintForm::FormShow()
{
    ShowPanel(5);
    lblStatus->clear();
    const bool applied = m_pages.record().applied();
    YY_Button->setVisible(applied);
    RJ_Button->setVisible(!applied);
}

void TPrintForm::Button7Click()
{
    ShowPanel(m_pages.record().applied() ? 2 : 1);
}

void TPrintForm::Button4Click()
{
    ShowPanel(m_pages.record().applied() ? 3 : 4);
}

void TPrintForm::Button1Click()
{
    YY_Button->setVisible(true);
    RJ_Button->setVisible(false);
    ShowPanel(5);
}

void TPrintForm::Button2Click()
{
    RJ_Button->setVisible(true);
    YY_Button->setVisible(false);
    ShowPanel(5);
}

QString TPrintForm::pdfFileName(const output::PrintRecord &record)
{
    QString name = record.value(QStringLiteral("ITEM_3")).simplified();
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(unsafe, QStringLiteral("_"));
    const QString form = record.applied() ? QStringLiteral("科技成果登记表（应用技术类）")
                                          : QStringLiteral("科技成果登记表（基础理论、软科学类）");
    return (name.isEmpty() ? form : name.left(80) + QLatin1Char('-') + form) + QStringLiteral(".pdf");
}

void TPrintForm::PreviewPage(Family family, int index)
{
    report::Document doc = m_pages.preview(family, index);
    preview->setWindowTitle(QStringLiteral("打印预览 - ") + PrintPages::pages(family)[size_t(index)].label);
    preview->setDocument(std::move(doc), [this, family] { return m_pages.wholeForm(family); });
    preview->setSuggestedFileName(pdfFileName(m_pages.record()));
    platform::showModal(preview);
}

TPrintForm::Section TPrintForm::section(Family family, int index)
{
    return {m_pages.direct(family, index), PrintPages::pages(family)[size_t(index)].list};
}

void TPrintForm::printSections(const std::vector<Section> &sections, const QString &what)
{
    lblStatus->clear();
    std::vector<const report::Document *> docs;
    docs.reserve(sections.size());
    for (const Section &s : sections)
        docs.push_back(&s.doc);
    if (!output::confirmCuts(this, docs, QStringLiteral("是否仍然打印？"))) {
        lblStatus->setText(QStringLiteral("没有打印。"));
        return;
    }
    int jobs = 0, pages = 0;
    QString printer, note;
    for (const Section &s : sections) {
        // A list prints one job per page, each keeping the running number of
        // the whole list.
        const int count = s.doc.pageCount();
        for (int p = 1; p <= (s.perPage ? count : 1); ++p) {
            const int from = s.perPage ? p : 1, to = s.perPage ? p : count;
            const output::PrintResult r = output::printSink().print(s.doc, from, to, output::PrintSink::Printer::Default);
            if (!r.ok) {
                if (jobs > 0)
                    lblStatus->setText(QStringLiteral("“%1”只打印了一部分：%2 个打印任务（%3 页）已送往打印机“%4”。")
                                           .arg(what).arg(jobs).arg(pages).arg(printer));
                platform::messageBox(this, output::refusalMessage(r), platform::NoteCaption, platform::Icon::Warning,
                                     platform::Ok);
                return;
            }
            ++jobs;
            pages += r.pages;
            printer = r.printer;
            if (!r.reason.isEmpty())
                note = r.reason;
        }
    }
    QString text = QStringLiteral("“%1”已送往打印机“%2”：%3 个打印任务，共 %4 页。").arg(what, printer).arg(jobs).arg(pages);
    if (!note.isEmpty())
        text += note + QStringLiteral("。");
    lblStatus->setText(text);
}

void TPrintForm::DirectPrint(Family family, int index)
{
    printSections({section(family, index)}, PrintPages::pages(family)[size_t(index)].directCaption);
}

void TPrintForm::PrintWhole(Family family)
{
    std::vector<Section> sections;
    for (int i : PrintPages::wholePrintOrder(family))
        sections.push_back(section(family, i));
    printSections(sections, QStringLiteral("全文打印"));
}
