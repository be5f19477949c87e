#include "help.h"

#include "platform/widgets/dispatch.h"
#include "platform/core/seams.h"
#include "shell/mainform.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QVBoxLayout>

THelpForm *HelpForm = nullptr;
THelpForm_rj *HelpForm_rj = nullptr;
THelpCggk *HelpCggk = nullptr;
THelpCggkRj *HelpCggkRj = nullptr;
THelpZscq *HelpZscq = nullptr;
THelpCglx *HelpCglx = nullptr;
THelpKtlxRj *HelpKtlxRj = nullptr;
THelpWcdw *HelpWcdw = nullptr;
THelpHzdw *HelpHzdw = nullptr;
THelpPjwy *HelpPjwy = nullptr;
THelpWcr *HelpWcr = nullptr;
THelpPjzs *HelpPjzs = nullptr;

namespace {

QString &folderSetting()
{
    static QString folder;
    return folder;
}

const QString kCaption = QStringLiteral("帮助信息");
const QString kBack = QStringLiteral("返回");
const QString kClose = QStringLiteral("关闭");

// Strict UTF-8: a damaged file shows nothing rather than replacement marks.
QString decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return QString();
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QString readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return decodeUtf8(f.readAll());
}

// The help button of each page and the window it shows for each category
// (nullptr: the button does nothing for the other categories).
struct HelpButton {
    const char *page;
    const char *button;
    HelpWindow *(*applied)();
    HelpWindow *(*other)();
};

const HelpButton kButtons[] = {
    {"Fpage1", "Button3", []() -> HelpWindow * { return HelpCggk; }, []() -> HelpWindow * { return HelpCggkRj; }},
    {"Fpage2", "Button3", []() -> HelpWindow * { return HelpZscq; }, nullptr},
    {"Fpage3", "Button3", []() -> HelpWindow * { return HelpCglx; }, []() -> HelpWindow * { return HelpKtlxRj; }},
    {"Fpage4", "Button3", []() -> HelpWindow * { return HelpWcdw; }, nullptr},
    {"Fpage5", "Button3", []() -> HelpWindow * { return HelpHzdw; }, nullptr},
    {"Fpage6", "Button3", []() -> HelpWindow * { return HelpForm; }, []() -> HelpWindow * { return HelpForm_rj; }},
    {"Fpage7", "Button3", []() -> HelpWindow * { return HelpPjwy; }, nullptr},
    {"Fpage8", "Button4", []() -> HelpWindow * { return HelpWcr; }, nullptr},
    {"Fpage9", "Button1", []() -> HelpWindow * { return HelpPjzs; }, nullptr},
};

QWidget *findPage(const QString &name)
{
    if (MainForm) {
        if (auto *w = MainForm->findChild<QWidget *>(name))
            return w;
    }
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name)
            return w;
    }
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------

HelpWindow::HelpWindow(const QString &objectName, const QString &textFile, const QString &closeCaption,
                       Frame frame, QWidget *parent)
    : QDialog(parent), m_textFile(textFile), m_frame(frame)
{
    setObjectName(objectName);
    setWindowTitle(kCaption);
    setModal(true);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Both scroll bars: the texts keep their own lines.
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);

    Button1 = new QPushButton(closeCaption, this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setMinimumWidth(88);
    Button1->setDefault(true);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(8, 8, 8, 8);
    root->addWidget(Memo1, 1);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(Button1);
    row->addStretch();
    root->addLayout(row);

    if (frame == Dialog) {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                       | Qt::MSWindowsFixedSizeDialogHint);
        setFixedSize(586, 348);
    } else {
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
        resize(595, 403);
    }

    connect(Button1, &QPushButton::clicked, this, [this] { platform::runHandler(this, [this] { Button1Click(); }); });
    reloadText();
}

void HelpWindow::Button1Click()
{
    close();
}

void HelpWindow::reloadText()
{
    Memo1->setPlainText(loadText(m_textFile));
}

void HelpWindow::showEvent(QShowEvent *e)
{
    // A text folder set after start-up (or a missing text) is picked up on
    // the next showing; the reader starts at the top each time.
    if (Memo1->document()->isEmpty())
        reloadText();
    Memo1->moveCursor(QTextCursor::Start);
    Memo1->ensureCursorVisible();
    Button1->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(e);
}

void HelpWindow::setTextFolder(const QString &folder)
{
    folderSetting() = folder;
}

QString HelpWindow::textFolder()
{
    return folderSetting();
}

QString HelpWindow::loadText(const QString &file)
{
    const QString resource = QStringLiteral(":/help/") + file;
    if (QFile::exists(resource))
        return readFile(resource);
    if (folderSetting().isEmpty())
        return QString();
    return readFile(folderSetting() + QLatin1Char('/') + file);
}

QStringList HelpWindow::textFiles()
{
    return {QStringLiteral("form.txt"), QStringLiteral("form_rj.txt"), QStringLiteral("cggk.txt"),
            QStringLiteral("cggk_rj.txt"), QStringLiteral("zscq.txt"), QStringLiteral("cglx.txt"),
            QStringLiteral("wcdw.txt"), QStringLiteral("hzdw.txt"), QStringLiteral("pjwy.txt"),
            QStringLiteral("wcr.txt"), QStringLiteral("pjzs.txt")};
}

// ---------------------------------------------------------------------------
// The windows.

THelpForm::THelpForm(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpForm"), QStringLiteral("form.txt"), kBack, Dialog, parent) {}

THelpForm_rj::THelpForm_rj(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpForm_rj"), QStringLiteral("form_rj.txt"), kBack, Sizeable, parent) {}

THelpCggk::THelpCggk(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpCggk"), QStringLiteral("cggk.txt"), kClose, Dialog, parent) {}

THelpCggkRj::THelpCggkRj(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpCggkRj"), QStringLiteral("cggk_rj.txt"), kClose, Dialog, parent) {}

THelpZscq::THelpZscq(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpZscq"), QStringLiteral("zscq.txt"), kClose, Dialog, parent) {}

THelpCglx::THelpCglx(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpCglx"), QStringLiteral("cglx.txt"), kBack, Dialog, parent) {}

THelpKtlxRj::THelpKtlxRj(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpKtlxRj"), QStringLiteral("form.txt"), kClose, Dialog, parent) {}

THelpWcdw::THelpWcdw(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpWcdw"), QStringLiteral("wcdw.txt"), kBack, Dialog, parent) {}

THelpHzdw::THelpHzdw(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpHzdw"), QStringLiteral("hzdw.txt"), kClose, Dialog, parent) {}

THelpPjwy::THelpPjwy(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpPjwy"), QStringLiteral("pjwy.txt"), kClose, Dialog, parent) {}

THelpWcr::THelpWcr(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpWcr"), QStringLiteral("wcr.txt"), kClose, Dialog, parent) {}

THelpPjzs::THelpPjzs(QWidget *parent)
    : HelpWindow(QStringLiteral("HelpPjzs"), QStringLiteral("pjzs.txt"), kClose, Dialog, parent) {}

// ---------------------------------------------------------------------------
// The pages' help buttons.

HelpWindow *helpWindowFor(const QString &page, int categoryPosition)
{
    for (const HelpButton &b : kButtons) {
        if (page != QLatin1String(b.page))
            continue;
        auto pick = categoryPosition == 0 ? b.applied : b.other;
        return pick ? pick() : nullptr;
    }
    return nullptr;
}

namespace {
const char *const kWired = "helpWindowWired";
}

void showPageHelp(const QString &page)
{
    const int category = MainForm ? MainForm->ComboBox1->currentIndex() : 0;
    if (HelpWindow *w = helpWindowFor(page, category))
        platform::showModal(w);
}

void markHelpButtonWired(QWidget *button)
{
    button->setProperty(kWired, true);
}

void wireHelpButtons()
{
    for (const HelpButton &b : kButtons) {
        QWidget *page = findPage(QLatin1String(b.page));
        if (!page)
            continue;
        auto *button = page->findChild<QPushButton *>(QLatin1String(b.button));
        if (!button || button->property(kWired).toBool())
            continue;
        button->setProperty(kWired, true);
        const QString pageName = QLatin1String(b.page);
        QObject::connect(button, &QPushButton::clicked, page, [page, pageName] {
            platform::runHandler(page, [pageName] { showPageHelp(pageName); });
        });
    }
}
