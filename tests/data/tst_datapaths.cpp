#include "data/datapaths.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

// The data folder rule, with the file system replaced by a set of paths that
// "exist", so that every machine can play a Windows office PC or a developer's one.
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
    QTest::addColumn<QStringList>("existingFiles");
    QTest::addColumn<QString>("dataPath");
    QTest::addColumn<QStringList>("askedFor");

    const QString marker = u"c:\\vmkdevelop.txt"_s;
    const QString developer = u"c:\\develop4\\Pelora\\data\\"_s;

    QTest::newRow("windows, developer marker")
        << u"C:\\Program Files\\Pelora"_s << true << QStringList{marker} << developer
        << QStringList{marker};
    QTest::newRow("windows, marker wins over a data folder beside the program")
        << u"D:\\Tools\\Pelora"_s << true
        << QStringList{marker, u"D:\\Tools\\Pelora\\data\\Pelora.mdb"_s,
                       u"D:\\Tools\\Pelora\\data\\PeloraWork.mdb"_s}
        << developer << QStringList{marker};
    QTest::newRow("windows, office machine")
        << u"C:\\Program Files\\Pelora"_s << true << QStringList{}
        << u"C:\\Program Files\\Pelora\\data\\"_s << QStringList{marker};
    QTest::newRow("windows, files near the marker's name do not count")
        << u"C:\\Pelora"_s << true
        << QStringList{u"c:\\vmkdevelop.txt.bak"_s, u"c:\\develop4\\Pelora\\data\\Pelora.mdb"_s,
                       u"C:\\Pelora\\vmkdevelop.txt"_s}
        << u"C:\\Pelora\\data\\"_s << QStringList{marker};
    QTest::newRow("windows, program at a drive root keeps both backslashes")
        << u"C:\\"_s << true << QStringList{} << u"C:\\\\data\\"_s << QStringList{marker};
    QTest::newRow("windows, program at another drive root")
        << u"E:\\"_s << true << QStringList{} << u"E:\\\\data\\"_s << QStringList{marker};
    QTest::newRow("unix, folder without trailing slash")
        << u"/opt/pelora"_s << false << QStringList{} << u"/opt/pelora/data/"_s << QStringList{};
    QTest::newRow("unix, folder with trailing slash")
        << u"/opt/pelora/"_s << false << QStringList{} << u"/opt/pelora/data/"_s << QStringList{};
    QTest::newRow("unix, root folder") << u"/"_s << false << QStringList{} << u"/data/"_s
                                       << QStringList{};
    QTest::newRow("unix, a marker-named file is no developer machine")
        << u"/home/op/pelora"_s << false << QStringList{marker} << u"/home/op/pelora/data/"_s
        << QStringList{};
}

void TestDataPaths::chooseDataPaths()
{
    QFETCH(QString, applicationDir);
    QFETCH(bool, windows);
    QFETCH(QStringList, existingFiles);
    QFETCH(QString, dataPath);
    QFETCH(QStringList, askedFor);

    QStringList asked;
    const QSet<QString> files(existingFiles.cbegin(), existingFiles.cend());
    const DataPaths paths = ::chooseDataPaths(applicationDir, windows, [&](const QString &path) {
        asked.append(path);
        return files.contains(path);
    });

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
