#include "formtree.h"

#include "data/dm.h"
#include "db/dataset.h"
#include "db/error.h"
#include "entry/treeflags.h"
#include "platform/widgets/dispatch.h"
#include "platform/core/seams.h"
#include "shell/mainform.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>
#include <map>

bool TreeFlagsPage1[4] = {};
bool TreeFlagsPage4a[40] = {};
bool TreeFlagsMain[2] = {};
QLineEdit *TreeEditsPage1[4] = {};
QLineEdit *TreeEditsPage4a[40] = {};
QLineEdit *TreeEditsMain[2] = {};

const QString TreeRootText = QStringLiteral("详细分类");
TFormTree *FormTree = nullptr;

namespace {

constexpr int kDeepestImage = 4;
constexpr int kSelectedImage = 5;

const QString kXkfl = QStringLiteral("xkfl.dbf");
const QString kZtflh = QStringLiteral("ztflh.dbf");
const QString kGxjs = QStringLiteral("gxjs.dbf");

// The small images of the tree: the root's book, one marker per level and
// the tick of the selected node.
QPixmap drawImage(int index)
{
    constexpr int size = 16;
    QPixmap pix(size, size);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0:   // a closed book
        p.setPen(QPen(QColor(0x1f, 0x3f, 0x7a), 1));
        p.setBrush(QColor(0x3d, 0x6f, 0xc4));
        p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
        p.setPen(QPen(Qt::white, 1));
        p.drawLine(QPointF(5, 5), QPointF(11, 5));
        p.drawLine(QPointF(5, 8), QPointF(11, 8));
        break;
    case 1:   // a square
        p.setPen(QPen(QColor(0x7a, 0x1c, 0x1c), 1));
        p.setBrush(QColor(0xc6, 0x3b, 0x3b));
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        break;
    case 2: { // a diamond
        QPainterPath path;
        path.moveTo(8, 2.5);
        path.lineTo(13.5, 8);
        path.lineTo(8, 13.5);
        path.lineTo(2.5, 8);
        path.closeSubpath();
        p.setPen(QPen(QColor(0x8a, 0x55, 0x00), 1));
        p.setBrush(QColor(0xe8, 0x9a, 0x1e));
        p.drawPath(path);
        break;
    }
    case 3:   // a disc
        p.setPen(QPen(QColor(0x1f, 0x6b, 0x2e), 1));
        p.setBrush(QColor(0x3f, 0xa8, 0x55));
        p.drawEllipse(QRectF(3.5, 3.5, 9, 9));
        break;
    case 4:   // a small dot
        p.setPen(QPen(QColor(0x4a, 0x3a, 0x80), 1));
        p.setBrush(QColor(0x8a, 0x74, 0xd0));
        p.drawEllipse(QRectF(5, 5, 6, 6));
        break;
    default:  // the selected node: a tick
        p.setPen(QPen(QColor(0x0b, 0x6e, 0x2a), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    }
    return pix;
}

// The icon of a node of `level`: its level's image, and the selected image
// while it is selected (the root keeps its own image).
const QIcon &nodeIcon(int level)
{
    static const QVector<QIcon> icons = [] {
        QVector<QPixmap> images;
        for (int i = 0; i <= kSelectedImage; ++i)
            images << drawImage(i);
        QVector<QIcon> out;
        for (int i = 0; i <= kDeepestImage; ++i) {
            QIcon icon;
            icon.addPixmap(images[i], QIcon::Normal);
            icon.addPixmap(i == 0 ? images[0] : images[kSelectedImage], QIcon::Selected);
            out << icon;
        }
        return out;
    }();
    return icons[std::clamp(level, 0, kDeepestImage)];
}

int rowLevel(db::Table &table)
{
    const QString text = table.field(0).asString().trimmed();
    bool ok = false;
    const int level = text.toInt(&ok);
    if (!ok)
        throw db::EngineError(QStringLiteral("分类表 %1 中的级别 \"%2\" 不是有效的整数").arg(table.tableNameSetting(), text));
    return level;
}

// The edit of the lowest raised flag of an array, or nothing.
template <std::size_t N>
QLineEdit *flaggedEdit(const bool (&flags)[N], QLineEdit *const (&edits)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        if (flags[i])
            return edits[i];
    return nullptr;
}

template <std::size_t N>
bool anyRaised(const bool (&flags)[N], std::size_t from, std::size_t to)
{
    return std::any_of(flags + from, flags + std::min(to, N), [](bool f) { return f; });
}

// The table the raised flag asks for; empty when no flag is raised.
QString flaggedTable()
{
    if (anyRaised(TreeFlagsPage1, 0, 2))
        return kXkfl;
    if (anyRaised(TreeFlagsPage1, 2, 4))
        return kZtflh;
    if (anyRaised(TreeFlagsPage4a, 0, 10) || anyRaised(TreeFlagsPage4a, 20, 30))
        return kGxjs;
    if (anyRaised(TreeFlagsPage4a, 10, 20) || anyRaised(TreeFlagsPage4a, 30, 40))
        return kXkfl;
    if (TreeFlagsMain[0])
        return kZtflh;
    if (TreeFlagsMain[1])
        return kXkfl;
    return QString();
}

struct CloseOnExit {
    db::Table &table;
    ~CloseOnExit() { table.close(); }
};

} // namespace

void ClearTreeFlags()
{
    std::fill(std::begin(TreeFlagsPage1), std::end(TreeFlagsPage1), false);
    std::fill(std::begin(TreeFlagsPage4a), std::end(TreeFlagsPage4a), false);
    std::fill(std::begin(TreeFlagsMain), std::end(TreeFlagsMain), false);
}

void BuildCodeTree(db::Table &table, QTreeWidget *tree)
{
    CloseOnExit closer{table};
    table.open();
    table.first();
    tree->clear();

    // The nodes are hung under a root that is not yet in the tree, so the
    // view takes the whole tree at once at the end.
    auto *root = new QTreeWidgetItem(QStringList(TreeRootText));
    root->setIcon(0, nodeIcon(0));
    std::map<int, QTreeWidgetItem *> latest{{0, root}};   // latest node per level
    try {
        for (; !table.eof(); table.next()) {
            const int level = rowLevel(table);
            if (level <= 0)
                continue;
            const QString text = table.field(1).asString().trimmed() + QStringLiteral("  ")
                                 + table.field(2).asString().trimmed();
            QTreeWidgetItem *parent = std::prev(latest.lower_bound(level))->second;
            auto *item = new QTreeWidgetItem(parent, QStringList(text));
            item->setIcon(0, nodeIcon(level));
            latest[level] = item;
        }
    } catch (...) {
        // What was read before the failing row is still offered.
        tree->addTopLevelItem(root);
        root->setExpanded(true);
        throw;
    }
    tree->addTopLevelItem(root);
    root->setExpanded(true);
}

TFormTree::TFormTree(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormTree"));
    setWindowTitle(QStringLiteral("分类选择"));
    resize(420, 520);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setColumnCount(1);
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setUniformRowHeights(true);
    TreeView1->setExpandsOnDoubleClick(false);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TreeView1->header()->setStretchLastSection(false);

    Button1 = new QPushButton(QStringLiteral("确认"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("取消"), this);
    Button2->setObjectName(QStringLiteral("Button2"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(TreeView1);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { platform::runHandler(this, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { platform::runHandler(this, [this] { Button2Click(); }); });
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        platform::runHandler(this, [this, item] { nodeDoubleClicked(item); });
    });
}

void TFormTree::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        platform::runHandler(this, [this] { FormShow(); });
}

void TFormTree::FormShow()
{
    db::Table &table = DM->Table1;
    table.close();
    const QString name = flaggedTable();
    if (!name.isEmpty())
        table.setTableName(name);
    // Whatever filter an earlier user left on the table does not apply here.
    table.setFiltered(false);
    table.open();
    BuildCodeTree(table, TreeView1);
    TreeView1->scrollToTop();
}

void TFormTree::Button1Click()
{
    const QList<QTreeWidgetItem *> chosen = TreeView1->selectedItems();
    if (chosen.isEmpty())
        return;
    QTreeWidgetItem *node = chosen.first();
    const QString text = node->parent() == nullptr && node->text(0) == TreeRootText ? QString() : node->text(0);
    for (QLineEdit *edit : {flaggedEdit(TreeFlagsPage4a, TreeEditsPage4a), flaggedEdit(TreeFlagsPage1, TreeEditsPage1),
                            flaggedEdit(TreeFlagsMain, TreeEditsMain)})
        if (edit)
            edit->setText(text);
    accept();
}

void TFormTree::Button2Click()
{
    reject();
}

void TFormTree::nodeDoubleClicked(QTreeWidgetItem *item)
{
    // A double-click on the root opens or folds it; on any other node it
    // picks that node.
    if (item->parent() == nullptr) {
        item->setExpanded(!item->isExpanded());
        return;
    }
    TreeView1->setCurrentItem(item);
    Button1Click();
}

void TFormTree::done(int result)
{
    TreeView1->clear();
    ClearTreeFlags();
    QDialog::done(result);
}

namespace {

void pickForQueryBuilder(int flag)
{
    ClearTreeFlags();
    TreeFlagsMain[flag] = true;
    platform::showModal(FormTree);
}

} // namespace

void wireQueryBuilderPicker()
{
    TreeEditsMain[0] = TreeEditsMain[1] = MainForm->Edit2;
    QObject::connect(MainForm->ComboBox5, &QToolButton::clicked, MainForm,
                     [] { platform::runHandler(MainForm, [] { pickForQueryBuilder(0); }); });
    QObject::connect(MainForm->ComboBox6, &QToolButton::clicked, MainForm,
                     [] { platform::runHandler(MainForm, [] { pickForQueryBuilder(1); }); });
}
