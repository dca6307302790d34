#include "settings/dataplaceframe.h"

#include "controls/fonts.h"
#include "controls/pagewidgets.h"
#include "data/datastore.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QIntValidator>

using namespace Qt::StringLiterals;
using namespace pagewidgets;

namespace {

QLineEdit *field(const QString &name)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setFont(fonts::gothic(fonts::Field));
    return edit;
}

} // namespace

DataPlaceFrame::DataPlaceFrame(const DataStore &store, MessagePresenter &presenter, QWidget *parent)
    : QGroupBox(u"データの置き場所"_s, parent)
    , m_store(store)
    , m_dialogs(presenter)
{
    setObjectName(u"frame置き場所"_s);
    optこのパソコン = new QRadioButton(u"このパソコン"_s);
    optこのパソコン->setObjectName(u"optこのパソコン"_s);
    optサーバー = new QRadioButton(u"事務所のサーバー（PostgreSQL）"_s);
    optサーバー->setObjectName(u"optサーバー"_s);
    txtホスト = field(u"txtホスト"_s);
    // A plain field: a spin box would take the wheel turned to scroll the page.
    numポート = field(u"numポート"_s);
    numポート->setValidator(new QIntValidator(1, 65535, numポート));
    numポート->setText(u"5432"_s);
    txtデータベース = field(u"txtデータベース"_s);
    txtユーザー = field(u"txtユーザー"_s);
    txtパスワード = field(u"txtパスワード"_s);
    txtパスワード->setEchoMode(QLineEdit::Password);
    cmb暗号化 = new QComboBox;
    cmb暗号化->setObjectName(u"cmb暗号化"_s);
    cmb暗号化->addItem(u"できれば暗号化（prefer）"_s, u"prefer"_s);
    cmb暗号化->addItem(u"必ず暗号化（require）"_s, u"require"_s);
    lbl接続結果 = new QLabel;
    lbl接続結果->setObjectName(u"lbl接続結果"_s);
    lbl接続結果->setWordWrap(true);
    cmd接続確認 = button(u"cmd接続確認"_s, u"接続を確認"_s);
    cmd置き場所 = button(u"cmd置き場所"_s, u"この置き場所を使う"_s);
    cmdサーバーへ移す = button(u"cmdサーバーへ移す"_s, u"このパソコンのデータをサーバーへ移す"_s);

    auto *grid = new QGridLayout;
    grid->addWidget(fieldLabel(u"lblホスト"_s, u"ホスト"_s, txtホスト), 0, 0);
    grid->addWidget(txtホスト, 0, 1);
    grid->addWidget(fieldLabel(u"lblポート"_s, u"ポート"_s, numポート), 0, 2);
    grid->addWidget(numポート, 0, 3);
    grid->addWidget(fieldLabel(u"lblデータベース"_s, u"データベース"_s, txtデータベース), 0, 4);
    grid->addWidget(txtデータベース, 0, 5);
    grid->addWidget(fieldLabel(u"lblユーザー"_s, u"ユーザー"_s, txtユーザー), 1, 0);
    grid->addWidget(txtユーザー, 1, 1);
    grid->addWidget(fieldLabel(u"lblパスワード"_s, u"パスワード"_s, txtパスワード), 1, 2);
    grid->addWidget(txtパスワード, 1, 3);
    grid->addWidget(fieldLabel(u"lbl暗号化"_s, u"暗号化"_s, cmb暗号化), 1, 4);
    grid->addWidget(cmb暗号化, 1, 5);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 2);
    grid->setColumnStretch(5, 2);
    auto *choice = new QHBoxLayout;
    choice->addWidget(optこのパソコン);
    choice->addWidget(optサーバー);
    choice->addStretch(1);
    auto *commands = new QHBoxLayout;
    commands->addWidget(cmd接続確認);
    commands->addWidget(cmd置き場所);
    commands->addWidget(cmdサーバーへ移す);
    commands->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choice);
    layout->addLayout(grid);
    layout->addLayout(commands);
    layout->addWidget(lbl接続結果);

    const auto follow = [this] {
        for (QWidget *w : std::initializer_list<QWidget *>{txtホスト, numポート, txtデータベース, txtユーザー,
                                                            txtパスワード, cmb暗号化, cmd接続確認, cmdサーバーへ移す})
            w->setEnabled(optサーバー->isChecked());
    };
    connect(optサーバー, &QRadioButton::toggled, this, follow);
    connect(cmd接続確認, &QPushButton::clicked, this, &DataPlaceFrame::Check接続);
    connect(cmd置き場所, &QPushButton::clicked, this, &DataPlaceFrame::Use置き場所);
    connect(cmdサーバーへ移す, &QPushButton::clicked, this, &DataPlaceFrame::Moveサーバー);
    showPlace();
    follow();
}

void DataPlaceFrame::showPlace()
{
    const std::optional<server::Config> &place = m_store.serverConfig();
    (place ? optサーバー : optこのパソコン)->setChecked(true);
    if (place) {
        txtホスト->setText(place->host);
        numポート->setText(QString::number(place->port));
        txtデータベース->setText(place->database);
        txtユーザー->setText(place->user);
        cmb暗号化->setCurrentIndex(qMax(0, cmb暗号化->findData(place->sslMode)));
    }
    txtパスワード->clear();
    lbl接続結果->setText(u"使用中: "_s + (m_store.readOnly() ? u"このパソコン（読み取り専用）"_s : m_store.mainPlace()));
}

std::optional<server::Config> DataPlaceFrame::typedServer() const
{
    if (!optサーバー->isChecked())
        return std::nullopt;
    server::Config config;
    config.host = txtホスト->text().trimmed();
    config.port = numポート->text().toInt();
    config.database = txtデータベース->text().trimmed();
    config.user = txtユーザー->text().trimmed();
    config.sslMode = cmb暗号化->currentData().toString();
    return config;
}

QString DataPlaceFrame::typedPassword() const
{
    return txtパスワード->text();
}

bool DataPlaceFrame::checkFields()
{
    const std::pair<QLineEdit *, QString> needed[]{
        {txtホスト, u"ホスト"_s}, {numポート, u"ポート"_s}, {txtデータベース, u"データベース"_s}, {txtユーザー, u"ユーザー"_s}};
    for (const auto &[edit, caption] : needed) {
        if (edit->text().trimmed().isEmpty()) {
            m_dialogs.tell(u"サーバーの%1を記入してください。"_s.arg(caption));
            edit->setFocus();
            return false;
        }
    }
    return true;
}

void DataPlaceFrame::Check接続()
{
    if (!checkFields())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const server::Probe found = server::probe(*typedServer(), typedPassword());
    QApplication::restoreOverrideCursor();
    lbl接続結果->setText(found.text);
}

void DataPlaceFrame::Use置き場所()
{
    const std::optional<server::Config> place = typedServer();
    if (place && !checkFields())
        return;
    if (place == m_store.serverConfig() && !m_store.readOnly()) {
        m_dialogs.tell(u"その置き場所を使っています。"_s);
        return;
    }
    const QString where = place ? place->describe() : u"このパソコン（%1）"_s.arg(m_store.paths().DataPath);
    if (m_dialogs.ask(u"その他"_s, u"確認"_s, u"これからは %1 のデータを使います"_s.arg(where)))
        emit placeChosen(place, typedPassword());
}

void DataPlaceFrame::Moveサーバー()
{
    const std::optional<server::Config> place = typedServer();
    if (!place || !checkFields())
        return;
    if (m_store.serverConfig() || m_store.readOnly()) {
        m_dialogs.tell(u"サーバーへ移せるのは、このパソコンのデータを使っているときだけです。"_s);
        return;
    }
    if (m_dialogs.ask(u"その他"_s, u"確認"_s,
                      u"このパソコンのデータを %1 へ移し、これからはサーバーのデータを使います"
                      u"（移せるのは空のデータベースにだけです。このパソコンのファイルはそのまま残します）"_s
                          .arg(place->describe())))
        emit moveRequested(*place, typedPassword());
}
