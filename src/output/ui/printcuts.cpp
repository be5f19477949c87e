#include "printcuts.h"

#include "output/fill/printpages.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"

namespace output {

std::vector<report::Cut> cutsOf(const std::vector<const report::Document *> &docs)
{
    std::vector<report::Cut> out;
    for (const report::Document *d : docs)
        for (report::Cut &c : report::cuts(*d))
            out.push_back(std::move(c));
    return out;
}

QString describeCuts(const std::vector<report::Cut> &cuts)
{
    QStringList lines;
    for (const report::Cut &c : cuts) {
        QString page = PrintPages::labelOf(c.report);
        page = page.isEmpty() ? QString() : (page.startsWith(QStringLiteral("封面")) ? page : QStringLiteral("第%1页").arg(page));
        if (c.page > 1)
            page += QStringLiteral("（第%1张）").arg(c.page);
        lines << QStringLiteral("%1“%2”：约 %3 字印不下").arg(page, c.caption).arg(c.characters);
    }
    return lines.join(QLatin1Char('\n'));
}

bool confirmCuts(QWidget *parent, const std::vector<const report::Document *> &docs, const QString &question)
{
    const std::vector<report::Cut> cuts = cutsOf(docs);
    if (cuts.empty())
        return true;
    const QString text = QStringLiteral("以下内容超出了表格，印出来不完整（记录中的数据不受影响）：\n") + describeCuts(cuts)
                         + QStringLiteral("\n\n") + question;
    return platform::messageBox(parent, text, platform::NoteCaption, platform::Icon::Warning,
                                platform::Yes | platform::No)
           == platform::Yes;
}

} // namespace output
