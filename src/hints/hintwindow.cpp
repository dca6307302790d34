#include "hints/hintwindow.h"

#include "data/sql.h"
#include "hints/hintstore.h"
#include "controls/fonts.h"
#include "messages/dialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

const QColor Hint::Grey(209, 209, 205);
const QColor Hint::LightRed(255, 128, 128);


Hint::Hint(const QString &workConnection, MessagePresenter &presenter, const QString &formName,
           const QString &ctlName, const QString &formTitle, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_workConnection(workConnection)
    , m_dialogs(presenter)
{
    setObjectName(u"Hint"_s);
    setWindowTitle(u"ヒント"_s);
    setAttribute(Qt::WA_DeleteOnClose); // its face is the application's (platform::installApplicationFont)

    lblFormName = new QLabel(formName);
    lblFormName->setObjectName(u"lblFormName"_s);
    lblCtlName = new QLabel(ctlName);
    lblCtlName->setObjectName(u"lblCtlName"_s);
    lblFormTitle = new QLabel(formTitle);
    lblFormTitle->setObjectName(u"lblFormTitle"_s);
    txtContents = new QPlainTextEdit;
    txtContents->setObjectName(u"txtContents"_s);
    txtContents->setReadOnly(true);
    txtContents->setTabChangesFocus(true);
    txtContents->setAccessibleName(u"ヒント"_s);
    txtContents->setFont(fonts::gothic(fonts::Field));

    auto makeButton = [this](const QString &name, const QString &caption) {
        auto *b = new QPushButton(caption);
        b->setObjectName(name);
        b->setAutoFillBackground(true);
        b->setAutoDefault(true);
        setBackColor(b, Grey);
        return b;
    };
    cmdクリア = makeButton(u"cmdクリア"_s, u"クリア"_s);
    cmd削除 = makeButton(u"cmd削除"_s, u"削除"_s);
    cmd登録 = makeButton(u"cmd登録"_s, u"登録"_s);
    cmd閉じる = makeButton(u"cmd閉じる"_s, u"閉じる"_s);
    cmd編集 = makeButton(u"cmd編集"_s, u"編集"_s);

    auto *where = new QHBoxLayout;
    for (QLabel *label : {lblFormTitle, lblFormName, lblCtlName}) {
        label->setStyleSheet(u"color: #555;"_s);
        where->addWidget(label);
    }
    where->addStretch();
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmd編集, cmdクリア, cmd削除, cmd登録})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmd閉じる);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(where);
    layout->addWidget(txtContents, 1);
    layout->addLayout(buttons);
    resize(480, 320);

    connect(cmdクリア, &QPushButton::clicked, this, &Hint::cmdクリア_Click);
    connect(cmd削除, &QPushButton::clicked, this, &Hint::cmd削除_Click);
    connect(cmd登録, &QPushButton::clicked, this, &Hint::cmd登録_Click);
    connect(cmd閉じる, &QPushButton::clicked, this, &QWidget::close);
    connect(cmd編集, &QPushButton::clicked, this, &Hint::cmd編集_Click);

    ReadHint();
}

QColor Hint::backColor(const QPushButton *button)
{
    return button->palette().color(QPalette::Button);
}

void Hint::setBackColor(QPushButton *button, const QColor &color)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, color);
    button->setPalette(palette);
    // Styles that ignore the palette still show the colour.
    button->setStyleSheet(u"QPushButton { background-color: %1; border: 1px solid #8a8a86;"
                          u" border-radius: 3px; padding: 5px 14px; }"
                          u" QPushButton:focus { border: 2px solid #3a6ea5; }"_s
                              .arg(color.name()));
}

bool Hint::hasPair() const
{
    return !lblFormName->text().isEmpty() && !lblCtlName->text().isEmpty();
}

void Hint::ReadHint()
{
    if (!hasPair())
        return;
    bool read = false;
    const auto text = hints::read(sql::connection(m_workConnection), lblFormName->text(),
                                  lblCtlName->text(), &read);
    if (!read)
        m_dialogs.fail(Dialogs::notShown(u"作業ファイルを読み込めないため、ヒントを表示できませんでした。"_s));
    else if (text)
        txtContents->setPlainText(*text);
}

bool Hint::EntryHint()
{
    if (!hasPair())
        return true;
    return hints::store(sql::connection(m_workConnection), lblFormName->text(), lblCtlName->text(),
                        lblFormTitle->text(), txtContents->toPlainText());
}

bool Hint::Deleteヒント()
{
    if (!hasPair())
        return true;
    if (!hints::remove(sql::connection(m_workConnection), lblFormName->text(), lblCtlName->text()))
        return false;
    txtContents->setPlainText(QString());
    return true;
}

void Hint::cmdクリア_Click()
{
    txtContents->setPlainText(QString());
}

void Hint::cmd削除_Click()
{
    if (!m_dialogs.ask(u"削除"_s, u"確認"_s, u"ヒント"_s))
        return;
    if (Deleteヒント())
        m_dialogs.ask(u"削除"_s, u"完了"_s, u"ヒント"_s);
    else
        m_dialogs.fail(Dialogs::notStored(u"作業ファイルに書き込めないため、ヒントを削除できませんでした。"_s));
}

void Hint::cmd登録_Click()
{
    if (!m_dialogs.ask(u"登録"_s, u"確認"_s, u"ヒント"_s))
        return;
    if (EntryHint())
        m_dialogs.ask(u"登録"_s, u"完了"_s, u"ヒント"_s);
    else
        m_dialogs.fail(Dialogs::notStored(u"作業ファイルに書き込めないため、ヒントを登録できませんでした。"_s));
}

void Hint::cmd編集_Click()
{
    if (backColor(cmd編集) == Grey) {
        txtContents->setReadOnly(false);
        setBackColor(cmd編集, LightRed);
    } else {
        txtContents->setReadOnly(true);
        setBackColor(cmd編集, Grey);
    }
    txtContents->setFocus();
}
