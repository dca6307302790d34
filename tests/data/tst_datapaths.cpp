#include "data/datapaths.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

// The data folder rule, with the file system replaced by sets of paths that
// exist or take new files, so that every machine can play a Windows office PC,
// a developer's one or a Linux installation.
class TestDataPaths : public QObject
{
    Q_OBJECT

private slots:
    void chooseDataPaths_data();
    void chooseDataPaths();
    void thisProgramUsesDataBesideIt();
};

void TestDataPaths::chooseDataPaths_data()
{
    QTest::addColumn<QString>("applicationDir");
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QStringList>("existing"); // files, and folders ending in a separator
    QTest::addColumn<QStringList>("writable");
    QTest::addColumn<QString>("dataPath");
    QTest::addColumn<QStringList>("askedFor");

    const QString marker = u"c:\\vmkdevelop.txt"_s;
    const QString developer = u"c:\\develop4\\Pelora\\data\\"_s;
    const QString roaming = u"C:\\Users\\山田\\AppData\\Roaming\\Pelora\\data\\"_s;
    const QString local = u"/home/op/.local/share/Pelora/data/"_s;
    const auto file = [](const QString &path) { return u"file "_s + path; };
    const auto folder = [](const QString &path) { return u"folder "_s + path; };
    const auto write = [](const QString &path) { return u"write "_s + path; };

    QTest::newRow("windows, developer marker")
        << u"C:\\Program Files\\Pelora"_s << true << QStringList{marker} << QStringList{} << developer
        << QStringList{file(marker)};
    QTest::newRow("windows, marker wins over a data folder beside the program")
        << u"D:\\Tools\\Pelora"_s << true << QStringList{marker, u"D:\\Tools\\Pelora\\data\\"_s}
        << QStringList{u"D:\\Tools\\Pelora"_s} << developer << QStringList{file(marker)};
    QTest::newRow("windows, program folder writable")
        << u"D:\\Tools\\Pelora"_s << true << QStringList{} << QStringList{u"D:\\Tools\\Pelora"_s}
        << u"D:\\Tools\\Pelora\\data\\"_s
        << QStringList{file(marker), folder(u"D:\\Tools\\Pelora\\data\\"_s), write(u"D:\\Tools\\Pelora"_s)};
    QTest::newRow("windows, under Program Files: the user's folder with backslashes")
        << u"C:\\Program Files\\Pelora"_s << true << QStringList{} << QStringList{} << roaming
        << QStringList{file(marker), folder(u"C:\\Program Files\\Pelora\\data\\"_s)};
    QTest::newRow("windows, under Program Files even when an administrator can write there")
        << u"C:\\Program Files (x86)\\Pelora"_s << true << QStringList{} << QStringList{u"C:\\Program Files (x86)\\Pelora"_s}
        << roaming << QStringList{file(marker), folder(u"C:\\Program Files (x86)\\Pelora\\data\\"_s)};
    QTest::newRow("windows, data folder already beside a read-only program folder")
        << u"C:\\Program Files\\Pelora"_s << true << QStringList{u"C:\\Program Files\\Pelora\\data\\"_s}
        << QStringList{} << u"C:\\Program Files\\Pelora\\data\\"_s
        << QStringList{file(marker), folder(u"C:\\Program Files\\Pelora\\data\\"_s)};
    QTest::newRow("windows, files near the marker's name do not count")
        << u"C:\\Pelora"_s << true
        << QStringList{u"c:\\vmkdevelop.txt.bak"_s, u"c:\\develop4\\Pelora\\data\\"_s,
                       u"C:\\Pelora\\vmkdevelop.txt"_s}
        << QStringList{u"C:\\Pelora"_s} << u"C:\\Pelora\\data\\"_s
        << QStringList{file(marker), folder(u"C:\\Pelora\\data\\"_s), write(u"C:\\Pelora"_s)};
    QTest::newRow("windows, program at a drive root keeps both backslashes")
        << u"C:\\"_s << true << QStringList{u"C:\\\\data\\"_s} << QStringList{} << u"C:\\\\data\\"_s
        << QStringList{file(marker), folder(u"C:\\\\data\\"_s)};
    QTest::newRow("windows, program at another drive root")
        << u"E:\\"_s << true << QStringList{} << QStringList{u"E:\\"_s} << u"E:\\\\data\\"_s
        << QStringList{file(marker), folder(u"E:\\\\data\\"_s), write(u"E:\\"_s)};
    QTest::newRow("unix, folder without trailing slash")
        << u"/opt/pelora"_s << false << QStringList{} << QStringList{u"/opt/pelora"_s} << u"/opt/pelora/data/"_s
        << QStringList{folder(u"/opt/pelora/data/"_s), write(u"/opt/pelora"_s)};
    QTest::newRow("unix, folder with trailing slash")
        << u"/opt/pelora/"_s << false << QStringList{u"/opt/pelora/data/"_s} << QStringList{}
        << u"/opt/pelora/data/"_s << QStringList{folder(u"/opt/pelora/data/"_s)};
    QTest::newRow("unix, root folder") << u"/"_s << false << QStringList{} << QStringList{u"/"_s} << u"/data/"_s
                                       << QStringList{folder(u"/data/"_s), write(u"/"_s)};
    QTest::newRow("unix, program folder not writable")
        << u"/opt/pelora"_s << false << QStringList{} << QStringList{} << local
        << QStringList{folder(u"/opt/pelora/data/"_s), write(u"/opt/pelora"_s)};
    QTest::newRow("unix, an installation's bin folder even when writable")
        << u"/usr/bin"_s << false << QStringList{} << QStringList{u"/usr/bin"_s} << local
        << QStringList{folder(u"/usr/bin/data/"_s)};
    QTest::newRow("unix, data folder already beside the bin folder")
        << u"/usr/local/bin"_s << false << QStringList{u"/usr/local/bin/data/"_s} << QStringList{}
        << u"/usr/local/bin/data/"_s << QStringList{folder(u"/usr/local/bin/data/"_s)};
    QTest::newRow("unix, a marker-named file is no developer machine")
        << u"/home/op/pelora"_s << false << QStringList{marker} << QStringList{u"/home/op/pelora"_s}
        << u"/home/op/pelora/data/"_s << QStringList{folder(u"/home/op/pelora/data/"_s), write(u"/home/op/pelora"_s)};
}

void TestDataPaths::chooseDataPaths()
{
    QFETCH(QString, applicationDir);
    QFETCH(bool, windows);
    QFETCH(QStringList, existing);
    QFETCH(QStringList, writable);
    QFETCH(QString, dataPath);
    QFETCH(QStringList, askedFor);

    QStringList asked;
    const auto probe = [&](const QString &kind, const QStringList &yes) {
        return [&asked, kind, yes](const QString &path) {
            asked.append(kind + u' ' + path);
            return yes.contains(path);
        };
    };
    const QString userDataDir = windows ? u"C:/Users/山田/AppData/Roaming/Pelora"_s : u"/home/op/.local/share/Pelora"_s;
    const DataPaths paths = ::chooseDataPaths(applicationDir, windows, userDataDir,
                                              {probe(u"file"_s, existing), probe(u"folder"_s, existing),
                                               probe(u"write"_s, writable)});

    QCOMPARE(asked, askedFor);
    QCOMPARE(paths.DataPath, dataPath);
    QCOMPARE(paths.MainDbPath, dataPath + u"Pelora.mdb"_s);
    QCOMPARE(paths.WorkDbPath, dataPath + u"PeloraWork.mdb"_s);
}

void TestDataPaths::thisProgramUsesDataBesideIt()
{
#ifdef Q_OS_WIN
    QSKIP("the developer marker of this machine decides the folder on Windows");
#else
    const DataPaths paths = dataPathsForThisProgram();
    QCOMPARE(paths.DataPath, QCoreApplication::applicationDirPath() + u"/data/"_s);
    QCOMPARE(paths.MainDbPath, paths.DataPath + u"Pelora.mdb"_s);
    QCOMPARE(paths.WorkDbPath, paths.DataPath + u"PeloraWork.mdb"_s);
#endif
}

QTEST_GUILESS_MAIN(TestDataPaths)
#include "tst_datapaths.moc"
