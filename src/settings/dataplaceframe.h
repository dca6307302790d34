#pragma once

#include "data/server.h"
#include "messages/dialogs.h"

#include <QGroupBox>
#include <optional>

class DataStore;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The frame 「データの置き場所」 of 設定・情報: the main data on this computer
// (the files of the data folder) or on the office's PostgreSQL server, with
// where the server is and a check of what is there. Choosing a place or
// moving this computer's data to a server is done by the window (it closes
// and opens the data); the frame only says which.
class DataPlaceFrame : public QGroupBox
{
    Q_OBJECT
public:
    DataPlaceFrame(const DataStore &store, MessagePresenter &presenter, QWidget *parent = nullptr);

    // Shows the place in use (after a start or a switch).
    void showPlace();
    // What the fields say, when the server is chosen and they are filled.
    std::optional<server::Config> typedServer() const;
    QString typedPassword() const;

    // Operations
    void Check接続();   // 接続を確認: the server's version, Pelora's tables, how many sheets
    void Use置き場所(); // この置き場所を使う
    void Moveサーバー(); // このパソコンのデータをサーバーへ移す

signals:
    // The operator confirmed working on place from now on (nothing: this computer).
    void placeChosen(const std::optional<server::Config> &place, const QString &password);
    // The operator confirmed moving this computer's data to the server.
    void moveRequested(const server::Config &place, const QString &password);

private:
    bool checkFields();

    const DataStore &m_store;
    Dialogs m_dialogs;
    QRadioButton *optこのパソコン = nullptr, *optサーバー = nullptr;
    QLineEdit *txtホスト = nullptr, *numポート = nullptr, *txtデータベース = nullptr, *txtユーザー = nullptr, *txtパスワード = nullptr;

    QComboBox *cmb暗号化 = nullptr;
    QLabel *lbl接続結果 = nullptr;
    QPushButton *cmd接続確認 = nullptr, *cmd置き場所 = nullptr, *cmdサーバーへ移す = nullptr;
};
