#pragma once

#include "app/services.h"
#include "data/datastore.h"

#include "hints/hintwindow.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class EmployeePage;
class HistoryPage;
class QTabWidget;
class SettingsPage;
class TimeSheetPage;

// The main window: the four pages on one tab control, the data store with its
// two connections, start-up and shutdown, the hint window, and the few
// commands that cross pages. Each page owns its controls and operations.
class FrmPelora : public QWidget
{
    Q_OBJECT
public:
    // Takes an opened data store; start-up clears every page and reads the settings.
    FrmPelora(std::unique_ptr<DataStore> store, const Services &services, QWidget *parent = nullptr);
    ~FrmPelora() override;

    QSqlDatabase mainDb() const { return m_store->main(); }
    QSqlDatabase workDb() const { return m_store->work(); }
    Hint *hintWindow() const { return m_hint; }
    // What the last hint button handed to the hint window (window name, hint key, caption).
    struct HintHandOver
    {
        QString HintFormName, HintCtlName, HintFormTitle;
    };
    const HintHandOver &hintHandOver() const { return m_hintHandOver; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void openSheet(const QString &name, const QString &title);
    // The pages holding input typed and not registered, by name; empty when none.
    QStringList pagesWithUnregisteredInput() const;
    void showHint(const QString &key);
    void restoreCopy(const QString &copy);
    // Moves the data to a folder the operator chooses (copied there, or the
    // data already there used), remembered for the next starts.
    void changeDataFolder();
    // Closes the data and opens it in to; on failure the data in use stays
    // open. Why it failed, or nothing.
    std::optional<QString> switchDataFolder(const DataPaths &to);
    // Works on the main data of place (nothing: this computer) from now on,
    // remembered for the next starts; or moves this computer's data there first.
    void changeDataPlace(const std::optional<server::Config> &place, const QString &password, bool move);
    // Every page starts over on the data now open, as at start-up.
    void startPagesOver();
    // Hands the address to the desktop (browser, file manager); when nothing
    // takes it, says so with the address written out.
    void openOnDesktop(const QUrl &url, const QString &failure);
    void shutdown();

    std::unique_ptr<DataStore> m_store;
    Services m_services;
    QTabWidget *SSTab1;
    TimeSheetPage *m_sheet;
    HistoryPage *m_history;
    EmployeePage *m_employees;
    SettingsPage *m_settings;
    QPointer<Hint> m_hint;
    HintHandOver m_hintHandOver;
    bool m_shutDown = false;
};
