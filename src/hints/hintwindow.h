#pragma once

#include "messages/dialogs.h"

#include <QWidget>

class MessagePresenter;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The small modeless window that shows and edits the hint of one hint button.
// It keeps the pair it was opened with until it is closed. The text is
// read-only until 編集; the button's colour is the only record of that state.
class Hint : public QWidget
{
    Q_OBJECT
public:
    static const QColor Grey;    // RGB(209, 209, 205)
    static const QColor LightRed; // RGB(255, 128, 128)

    Hint(const QString &workConnection, MessagePresenter &presenter, const QString &formName,
         const QString &ctlName, const QString &formTitle, QWidget *parent = nullptr);

    void ReadHint();
    // False when the work file could not be written (nothing changed then).
    bool EntryHint();
    bool Deleteヒント();

    void cmdクリア_Click();
    void cmd削除_Click();
    void cmd登録_Click();
    void cmd編集_Click();

    static QColor backColor(const QPushButton *button);

    QLabel *lblFormName = nullptr;
    QLabel *lblCtlName = nullptr;
    QLabel *lblFormTitle = nullptr;
    QPlainTextEdit *txtContents = nullptr;
    QPushButton *cmdクリア = nullptr;
    QPushButton *cmd削除 = nullptr;
    QPushButton *cmd登録 = nullptr;
    QPushButton *cmd閉じる = nullptr;
    QPushButton *cmd編集 = nullptr;

private:
    static void setBackColor(QPushButton *button, const QColor &color);
    bool hasPair() const;

    QString m_workConnection;
    Dialogs m_dialogs;
};
