// The baseline of start-up and memory: Qt alone showing a window with a table
// view. Prints "exposed" once the window is first shown. With --rows <folder>
// it also fetches the history rows of the folder's main file into memory with
// one raw query, as the history list holds them, and prints its peak memory.
#include "probe.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextStream>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    bench::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const qsizetype rowsAt = args.indexOf(u"--rows"_s);
    const QString folder = rowsAt > 0 ? args.value(rowsAt + 1) : QString();

    QWidget window;
    QStandardItemModel model(0, 3);
    auto *view = new QTableView;
    view->setModel(&model);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(view);
    window.resize(700, 580);

    QList<QVariantList> rows;
    bench::afterFirstExpose(&window, [&] {
        if (folder.isEmpty()) {
            QTextStream(stdout) << "exposed" << Qt::endl;
            QApplication::exit(0);
            return;
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"raw"_s);
            db.setDatabaseName(folder + u"/Pelora.mdb"_s);
            if (!db.open()) {
                QApplication::exit(1);
                return;
            }
            QSqlQuery query(db);
            query.setForwardOnly(true);
            query.exec(u"SELECT 氏名, 合計, タイトル FROM 時給ヘッダ ORDER BY 氏名"_s);
            while (query.next())
                rows.append({query.value(0), query.value(1), query.value(2)});
        }
        QSqlDatabase::removeDatabase(u"raw"_s);
        QCoreApplication::processEvents();
        QTextStream(stdout) << "rows " << rows.size() << "\npeak-kb " << bench::peakResidentKb() << Qt::endl;
        QApplication::exit(0);
    });
    window.show();
    return app.exec();
}
