#pragma once

#include "messages/dialogs.h"
#include "timesheet/premiums.h"

#include <QWidget>
#include <functional>

class Banner;
class DataPlaceFrame;
class NumberEdit;
class QCheckBox;
class QComboBox;
class QGroupBox;
class DataStore;
class MessagePresenter;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;

// The page "設定・情報": the company name and information printed on every
// statement, how premiums are computed (割増賃金), deleting all data, putting a
// backup copy back, where the data lives (and moving it), the program's
// information and the banner.
class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    SettingsPage(const DataStore &store, MessagePresenter &presenter, QWidget *parent = nullptr);

    // Whether another page holds input a restore would drop: the restore's
    // confirmation then says so.
    void setUnregisteredInputQuery(std::function<bool()> query) { m_unregisteredInput = std::move(query); }

    // Operations
    void Read設定();
    bool Entry設定(); // false when nothing was stored and the typed settings stay to be corrected
    void Delete設定();
    void Clear設定();
    void AllDelete();
    void List控え();   // the backup copies, newest first
    void Restore控え(); // the chosen copy, after a confirmation
    // Shows the data folder in use again (after the data moved).
    void showDataFolder();
    DataPlaceFrame *placeFrame() const { return m_place; }

signals:
    // The held company values changed (they are set only by Read設定).
    void companyRead(const QString &name, const QString &info);
    // The premium settings as stored, read by Read設定 like the company values.
    void premiumsRead(const sheet::Premiums &premiums);
    // Every sheet, employee and setting is gone: the other pages empty their lists.
    void allDataDeleted();
    // The operator confirmed putting this copy back; the window does it.
    void restoreChosen(const QString &copy);
    void homePageRequested();
    // The operator asked to see the data folder in the file manager.
    void dataFolderRequested();
    // The operator asked to move the data to another folder; the window does it.
    void dataFolderChangeRequested();
    void hintRequested(const QString &key);

private:
    void build();
    QLayout *buildDataFolderRow();
    QGroupBox *buildPremiumFrame();
    void showPremiums(const sheet::Premiums &premiums);
    sheet::Premiums typedPremiums() const;
    NumberEdit *rateField(sheet::Rate rate) const;
    void cmd設定登録_Click();
    void cmd一括削除7_Click();

    const DataStore &m_store;
    Dialogs m_dialogs;
    std::function<bool()> m_unregisteredInput;

    QLineEdit *txt自社名 = nullptr;
    QLineEdit *txtデータ場所 = nullptr;
    QPlainTextEdit *txt自社情報 = nullptr;
    QLabel *lblInfo = nullptr, *lblSupport = nullptr;
    QPushButton *cmd設定読込 = nullptr, *cmd設定登録 = nullptr, *cmd設定削除 = nullptr,
                *cmd設定クリア = nullptr, *cmd一括削除7 = nullptr, *cmd控え一覧 = nullptr, *cmd復元 = nullptr,
                *cmdデータ場所 = nullptr, *cmdデータ場所変更 = nullptr;
    QCheckBox *chk割増計算 = nullptr;
    NumberEdit *num時間外率 = nullptr, *num深夜率 = nullptr, *num休日率 = nullptr, *num60時間超率 = nullptr;
    QComboBox *cmb週労働時間 = nullptr, *cmb週起算日 = nullptr;
    QTreeWidget *lst控え = nullptr;
    QToolButton *cmdHint4 = nullptr;
    Banner *Image2 = nullptr;
    DataPlaceFrame *m_place = nullptr;
};
