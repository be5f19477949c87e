#include "printpages.h"

#include <stdexcept>

namespace output {
namespace {

PageEntry page(const char *label, const char *form, const char *preview, int previewNumber = 0,
              const char *direct = "", const char *caption = "", int directNumber = 0, const char *numberLabel = "",
              bool list = false)
{
    PageEntry s;
    s.label = QString::fromUtf8(label);
    s.formName = QLatin1String(form);
    s.previewButton = QLatin1String(preview);
    s.previewNumber = previewNumber;
    s.directButton = QLatin1String(direct);
    s.directCaption = QString::fromUtf8(caption);
    s.directNumber = directNumber;
    s.numberLabel = QLatin1String(numberLabel);
    s.list = list;
    return s;
}

} // namespace

const std::vector<PageEntry> &PrintPages::pages(Family family)
{
    static const std::vector<PageEntry> applied = {
        page("封面1", "yyfm1", "BitBtn28", 0, "zBitBtn5", "封面"),
        page("封面2", "yyfm2", "BitBtn31"),
        page("1", "yyPrint01", "BitBtn32"),
        page("2", "yyPrint02", "BitBtn29"),
        page("3", "yyPrint03", "BitBtn30", 3, "zBitBtn6", "成果概况，立项情况", 1, "QRPage"),
        page("4", "yyPrint04", "BitBtn33"),
        page("5", "yyPrint05", "BitBtn34", 5, "zBitBtn7", "评价情况，知识产权状况，成果应用情况", 2, "QRPage"),
        page("6", "yyPrint06", "BitBtn35"),
        page("7", "yyPrint07", "BitBtn36", 7, "zBitBtn8", "成果完成单位情况", 3, "QRPage1"),
        page("8", "yyPrint08", "BitBtn37", 8, "zBitBtn9", "批准登记单位意见", 4, "QRPage"),
        page("9", "yyPrint09", "BitBtn38", 9, "zBitBtn10", "成果简介", 5, "QRPage"),
        page("10", "yyPrint10", "BitBtn40", 10, "zBitBtn2", "成果完成人员名单", 6, "QRpage", true),
        page("11", "yyPrint11", "BitBtn39", 11, "zBitBtn11", "评价委员会名单", 7, "QRpage", true),
        page("12", "yyPrint12", "BitBtn41"),
        page("13", "yyPrint14", "BitBtn1"),
    };
    static const std::vector<PageEntry> basic = {
        page("封面1", "rjfm1", "BitBtn15", 0, "zBitBtn13", "封面"),
        page("封面2", "rjfm2", "BitBtn18"),
        page("1", "rjPrint01", "BitBtn19"),
        page("2", "rjPrint02", "BitBtn16"),
        page("3", "rjPrint03", "BitBtn17", 3, "zBitBtn14", "成果概况，立项情况", 1, "QRPage"),
        page("4", "rjPrint04", "BitBtn20"),
        page("5", "rjPrint05", "BitBtn21", 5, "zBitBtn42", "评价情况，成果完成单位情况", 2, "QRPage"),
        page("6", "rjPrint06", "BitBtn22", 6, "zBitBtn43", "批准登记单位意见", 3, "QRPage"),
        page("7", "rjPrint07", "BitBtn23", 7, "zBitBtn44", "成果简介", 4, "QRPage"),
        page("8", "rjPrint08", "BitBtn24", 8, "zBitBtn45", "成果完成人员名单", 5, "QRpage", true),
        page("9", "rjPrint09", "BitBtn25", 9, "zBitBtn46", "评价委员会名单", 6, "QRpage", true),
        page("10", "rjPrint10", "BitBtn27"),
        page("11", "rjPrint11", "BitBtn26"),
    };
    return family == Family::Applied ? applied : basic;
}

std::vector<int> PrintPages::wholePrintOrder(Family family)
{
    std::vector<int> order;
    const auto &all = pages(family);
    for (int i = 0; i < int(all.size()); ++i)
        if (!all[size_t(i)].directButton.isEmpty())
            order.push_back(i);
    return order;
}

int PrintPages::indexOf(Family family, const QString &label)
{
    const auto &all = pages(family);
    for (int i = 0; i < int(all.size()); ++i)
        if (all[size_t(i)].label == label)
            return i;
    return -1;
}

QString PrintPages::labelOf(const QString &formName)
{
    for (Family family : {Family::Applied, Family::Basic})
        for (const PageEntry &e : pages(family))
            if (e.formName == formName)
                return e.label;
    return {};
}

PrintPages::PrintPages(Builder builder) : m_builder(std::move(builder)) {}

void PrintPages::setRecord(PrintRecord record)
{
    m_record = std::move(record);
}

report::ReportForm &PrintPages::form(const QString &formName)
{
    auto it = m_forms.find(formName);
    if (it == m_forms.end())
        it = m_forms.insert(formName, std::make_shared<report::ReportForm>(m_builder(formName)));
    return **it;
}

report::ReportForm &PrintPages::fill(Family family, int index)
{
    const auto &all = pages(family);
    if (index < 0 || index >= int(all.size()))
        throw std::out_of_range("no such printed page");
    const PageEntry &entry = all[size_t(index)];
    report::ReportForm &f = form(entry.formName);
    f.setRecord(m_record.record);
    m_lists.bind(f);
    const QString &n = entry.formName;
    const bool applied = family == Family::Applied;
    if (n.endsWith(QLatin1String("fm1")))
        fillCover(f, m_record);
    else if (n == QLatin1String("yyPrint03"))
        fillApplied03(f, m_record);
    else if (n == QLatin1String("yyPrint05"))
        fillApplied05(f, m_record);
    else if (n == QLatin1String("yyPrint07"))
        fillApplied07(f, m_record, m_lists);
    else if (n == QLatin1String("yyPrint08"))
        fillApprovalDate(f, m_record, QStringLiteral("QRLabel_d"));
    else if (n == QLatin1String("rjPrint03"))
        fillBasic03(f, m_record);
    else if (n == QLatin1String("rjPrint05"))
        fillBasic05(f, m_record, m_lists);
    else if (n == QLatin1String("rjPrint06"))
        fillApprovalDate(f, m_record, QStringLiteral("QRLabel_D"));
    else if (n == (applied ? QLatin1String("yyPrint10") : QLatin1String("rjPrint08")))
        fillPersons(f, m_record, m_lists, family);
    else if (n == (applied ? QLatin1String("yyPrint11") : QLatin1String("rjPrint09")))
        fillCommittee(f, m_record, m_lists, family);
    return f;
}

void PrintPages::number(report::ReportForm &form, const PageEntry &entry, int n)
{
    if (n <= 0 || entry.numberLabel.isEmpty())
        return;
    form.setText(entry.numberLabel, QString::number(n));
    if (entry.list)
        form.setText(QStringLiteral("QRSysData1"), QString::number(n) + QStringLiteral("--"));
}

report::Document PrintPages::preview(Family family, int index)
{
    report::ReportForm &f = fill(family, index);
    number(f, pages(family)[size_t(index)], pages(family)[size_t(index)].previewNumber);
    return report::layout(f);
}

report::Document PrintPages::direct(Family family, int index)
{
    report::ReportForm &f = fill(family, index);
    number(f, pages(family)[size_t(index)], pages(family)[size_t(index)].directNumber);
    return report::layout(f);
}

std::vector<report::Document> PrintPages::wholeForm(Family family)
{
    std::vector<report::Document> docs;
    for (int i = 0; i < int(pages(family).size()); ++i)
        docs.push_back(preview(family, i));
    return docs;
}

} // namespace output
