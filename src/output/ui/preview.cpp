#include "preview.h"

#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "platform/widgets/dispatch.h"
#include "printcuts.h"
#include "printsink.h"
#include "report/render.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace output {

ReportPreview::ReportPreview(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(QStringLiteral("打印预览"));
    auto *bar = new QHBoxLayout;
    auto button = [&](QPushButton *&b, const char *name, const QString &caption) {
        b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        bar->addWidget(b);
    };
    button(btnFirst, "btnFirst", QStringLiteral("首页"));
    button(btnPrior, "btnPrior", QStringLiteral("上一页"));
    lblPage = new QLabel(this);
    lblPage->setObjectName(QStringLiteral("lblPage"));
    lblPage->setAlignment(Qt::AlignCenter);
    lblPage->setMinimumWidth(140);
    bar->addWidget(lblPage);
    button(btnNext, "btnNext", QStringLiteral("下一页"));
    button(btnLast, "btnLast", QStringLiteral("末页"));
    bar->addStretch();
    button(btnPrint, "btnPrint", QStringLiteral("打印"));
    button(btnSavePdf, "btnSavePdf", QStringLiteral("保存PDF"));
    button(btnClose, "btnClose", QStringLiteral("关闭"));

    view = new QLabel;
    view->setObjectName(QStringLiteral("view"));
    view->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(view);
    m_scroll->setWidgetResizable(true);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);

    lblCuts = new QLabel(this);
    lblCuts->setObjectName(QStringLiteral("lblCuts"));
    lblCuts->setWordWrap(true);
    lblCuts->setStyleSheet(QStringLiteral("color: #a00000;"));
    lblCuts->hide();
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(lblCuts);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(lblStatus);

    platform::onClicked(btnFirst, this, [this] { showPage(0); });
    platform::onClicked(btnPrior, this, [this] { showPage(m_page - 1); });
    platform::onClicked(btnNext, this, [this] { showPage(m_page + 1); });
    platform::onClicked(btnLast, this, [this] { showPage(m_doc.pageCount() - 1); });
    platform::onClicked(btnPrint, this, [this] { printReport(); });
    platform::onClicked(btnSavePdf, this, [this] { saveWholePdf(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

void ReportPreview::setDocument(report::Document doc, WholeForm wholeForm)
{
    m_doc = std::move(doc);
    m_whole = std::move(wholeForm);
    m_page = 0;
    const std::vector<report::Cut> cuts = report::cuts(m_doc);
    lblCuts->setText(QStringLiteral("以下内容超出了表格，印出来不完整（记录中的数据不受影响）：\n") + describeCuts(cuts));
    lblCuts->setVisible(!cuts.empty());
    lblStatus->clear();
    updateView();
}

void ReportPreview::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    fitToScreen();
}

// The preview opens as large as a page wants, but never larger than the
// screen it opens on, so that its buttons and status line stay in sight.
void ReportPreview::fitToScreen()
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect avail = s->availableGeometry();
    // The window system's frame (title bar, borders) comes on top.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize extra(std::max(frame.width(), 16), std::max(frame.height(), 40));
    const QSize size(std::min(900, avail.width() - extra.width()), std::min(1000, avail.height() - extra.height()));
    resize(size);
    move(avail.left() + (avail.width() - size.width() - extra.width()) / 2,
         avail.top() + (avail.height() - size.height() - extra.height()) / 2);
}

void ReportPreview::showPage(int index)
{
    if (index < 0 || index >= m_doc.pageCount())
        return;
    m_page = index;
    updateView();
}

void ReportPreview::updateView()
{
    const int count = m_doc.pageCount();
    lblPage->setText(QStringLiteral("第 %1 页 / 共 %2 页").arg(count ? m_page + 1 : 0).arg(count));
    btnFirst->setEnabled(m_page > 0);
    btnPrior->setEnabled(m_page > 0);
    btnNext->setEnabled(m_page + 1 < count);
    btnLast->setEnabled(m_page + 1 < count);
    if (count == 0) {
        view->clear();
        return;
    }
    const double dpi = 96.0 * devicePixelRatioF();
    QImage img = report::renderImage(m_doc, m_page, dpi);
    img.setDevicePixelRatio(devicePixelRatioF());
    view->setPixmap(QPixmap::fromImage(img));
    // Every page opens at its top.
    m_scroll->verticalScrollBar()->setValue(0);
    m_scroll->horizontalScrollBar()->setValue(0);
}

void ReportPreview::printReport()
{
    if (m_doc.pageCount() == 0)
        return;
    if (!confirmCuts(this, {&m_doc}, QStringLiteral("是否仍然打印？")))
        return;
    if (!printSink().choose(this))
        return;
    const PrintResult r = printSink().print(m_doc, 1, m_doc.pageCount(), PrintSink::Printer::Chosen);
    if (!r.ok) {
        lblStatus->clear();
        platform::messageBox(this, refusalMessage(r), platform::NoteCaption, platform::Icon::Warning, platform::Ok);
        return;
    }
    lblStatus->setText(QStringLiteral("已送往打印机“%1”，共 %2 页。").arg(r.printer).arg(r.pages)
                       + (r.reason.isEmpty() ? QString() : r.reason + QStringLiteral("。")));
}

void ReportPreview::saveWholePdf()
{
    std::vector<report::Document> docs;
    if (m_whole)
        docs = m_whole();
    else
        docs.push_back(m_doc);
    std::vector<const report::Document *> ptrs;
    int pages = 0;
    for (const report::Document &d : docs) {
        ptrs.push_back(&d);
        pages += d.pageCount();
    }
    if (!confirmCuts(this, ptrs, QStringLiteral("是否仍然保存？")))
        return;
    const QString proposed = QDir(QDir::homePath()).filePath(
        m_suggested.isEmpty() ? QStringLiteral("科技成果登记表.pdf") : m_suggested);
    QString path = platform::saveFileName(this, QStringLiteral("保存PDF"), proposed, QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    QString error;
    if (!report::writePdf(ptrs, path, &error)) {
        lblStatus->clear();
        platform::messageBox(this, error, platform::NoteCaption, platform::Icon::Warning, platform::Ok);
        return;
    }
    lblStatus->setText(QStringLiteral("已保存为 %1（共 %2 页）。").arg(QDir::toNativeSeparators(path)).arg(pages));
}

} // namespace output
