#include "preview.h"

#include "platform/widgets/dispatch.h"
#include "platform/core/seams.h"
#include "printsink.h"
#include "report/render.h"

#include <QDir>
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
    resize(900, 1000);
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

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    auto on = [this](QPushButton *b, std::function<void()> fn) {
        connect(b, &QPushButton::clicked, this, [this, fn] { platform::runHandler(this, fn); });
    };
    on(btnFirst, [this] { showPage(0); });
    on(btnPrior, [this] { showPage(m_page - 1); });
    on(btnNext, [this] { showPage(m_page + 1); });
    on(btnLast, [this] { showPage(m_doc.pageCount() - 1); });
    on(btnPrint, [this] { printReport(); });
    on(btnSavePdf, [this] { saveWholePdf(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

void ReportPreview::setDocument(report::Document doc, WholeForm wholeForm)
{
    m_doc = std::move(doc);
    m_whole = std::move(wholeForm);
    m_page = 0;
    updateView();
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
}

void ReportPreview::printReport()
{
    if (m_doc.pageCount() == 0)
        return;
    if (!printSink().choose(this))
        return;
    if (!printSink().print(m_doc, 1, m_doc.pageCount(), PrintSink::Printer::Chosen))
        platform::messageBox(this, QStringLiteral("打印机无法启动。"), QStringLiteral("提示"), platform::Icon::Warning,
                             platform::Ok);
}

void ReportPreview::saveWholePdf()
{
    QString path = platform::saveFileName(this, QStringLiteral("保存PDF"), QDir::homePath(),
                                          QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    std::vector<report::Document> docs;
    if (m_whole)
        docs = m_whole();
    else
        docs.push_back(m_doc);
    std::vector<const report::Document *> ptrs;
    for (const report::Document &d : docs)
        ptrs.push_back(&d);
    QString error;
    if (!report::writePdf(ptrs, path, &error))
        platform::messageBox(this, error, QStringLiteral("提示"), platform::Icon::Warning, platform::Ok);
}

} // namespace output
