#include "fixture.h"
#include "portable.h"
#include "realprogram.h"

#include "app/platform.h"
#include "app/startup.h"
#include "data/datapaths.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

enum class Kept { Nothing, Beside, User, Chosen };
Q_DECLARE_METATYPE(DataLocation::Kind)
Q_DECLARE_METATYPE(Kept)

// The data folder rule, with the file system replaced by sets of paths that
// exist or take new files, so that every machine can play a Windows office PC,
// a developer's one or a Linux installation.
class TestDataPaths : public QObject
{
    Q_OBJECT

private slots:
    void chooseDataPaths_data();
    void chooseDataPaths();
    void locateData_data();
    void locateData();
    void startsOnTheFolderTheOperatorPicks_data();
    void startsOnTheFolderTheOperatorPicks();
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
    const auto installed = [](const QString &folder) { return folder + u"\\Pelora.installed"_s; };
    const QString perUser = u"C:\\Users\\山田\\AppData\\Local\\Programs\\Pelora"_s;

    QTest::newRow("windows, developer marker")
        << u"C:\\Program Files\\Pelora"_s << true << QStringList{marker} << QStringList{} << developer
        << QStringList{file(marker)};
    QTest::newRow("windows, marker wins over a data folder beside the program")
        << u"D:\\Tools\\Pelora"_s << true << QStringList{marker, u"D:\\Tools\\Pelora\\data\\"_s}
        << QStringList{u"D:\\Tools\\Pelora"_s} << developer << QStringList{file(marker)};
    QTest::newRow("windows, program folder writable")
        << u"D:\\Tools\\Pelora"_s << true << QStringList{} << QStringList{u"D:\\Tools\\Pelora"_s}
        << u"D:\\Tools\\Pelora\\data\\"_s
        << QStringList{file(marker), folder(u"D:\\Tools\\Pelora\\data\\"_s), file(installed(u"D:\\Tools\\Pelora"_s)),
                       write(u"D:\\Tools\\Pelora"_s)};
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
        << QStringList{file(marker), folder(u"C:\\Pelora\\data\\"_s), file(installed(u"C:\\Pelora"_s)),
                       write(u"C:\\Pelora"_s)};
    QTest::newRow("windows, program at a drive root keeps both backslashes")
        << u"C:\\"_s << true << QStringList{u"C:\\\\data\\"_s} << QStringList{} << u"C:\\\\data\\"_s
        << QStringList{file(marker), folder(u"C:\\\\data\\"_s)};
    QTest::newRow("windows, program at another drive root")
        << u"E:\\"_s << true << QStringList{} << QStringList{u"E:\\"_s} << u"E:\\\\data\\"_s
        << QStringList{file(marker), folder(u"E:\\\\data\\"_s), file(u"E:\\Pelora.installed"_s), write(u"E:\\"_s)};
    QTest::newRow("windows, installed per user: the user's folder though the program's takes files")
        << perUser << true << QStringList{installed(perUser)} << QStringList{perUser} << roaming
        << QStringList{file(marker), folder(perUser + u"\\data\\"_s), file(installed(perUser))};
    QTest::newRow("windows, the setup's marker in another folder does not count")
        << u"D:\\Tools\\Pelora"_s << true << QStringList{installed(perUser), u"D:\\Tools\\Pelora.installed"_s}
        << QStringList{u"D:\\Tools\\Pelora"_s} << u"D:\\Tools\\Pelora\\data\\"_s
        << QStringList{file(marker), folder(u"D:\\Tools\\Pelora\\data\\"_s), file(installed(u"D:\\Tools\\Pelora"_s)),
                       write(u"D:\\Tools\\Pelora"_s)};
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

// The rule, then the folders that already hold data and the folder the operator chose.
void TestDataPaths::locateData_data()
{
    QTest::addColumn<QString>("applicationDir");
    QTest::addColumn<QStringList>("existing"); // files, and folders ending in a separator
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<DataLocation::Kind>("kind");
    QTest::addColumn<QString>("dataPath");
    QTest::addColumn<QString>("otherPath"); // asked about, or where the data is without the choice
    using K = DataLocation::Kind;
    const QString opt = u"/opt/pelora"_s, beside = u"/opt/pelora/data/"_s, local = u"/home/op/.local/share/Pelora/data/"_s;
    const QString perUser = u"C:\\Users\\山田\\AppData\\Local\\Programs\\Pelora"_s, perUserData = perUser + u"\\data\\"_s;
    const QString roaming = u"C:\\Users\\山田\\AppData\\Roaming\\Pelora\\data\\"_s, installed = perUser + u"\\Pelora.installed"_s;
    const QString main = u"Pelora.mdb"_s;
    QTest::newRow("unix, first start: the rule's folder") << opt << QStringList{} << QString() << K::Use << beside << QString();
    QTest::newRow("unix, the program's folder became writable: the data stays in the user's folder")
        << opt << QStringList{local + main} << QString() << K::Use << local << QString();
    QTest::newRow("unix, a folder whose main file went missing still holds the data")
        << opt << QStringList{local + u"PeloraWork.mdb"_s} << QString() << K::Use << local << QString();
    QTest::newRow("unix, both hold data: asked, the rule's folder first")
        << opt << QStringList{beside + main, local + main} << QString() << K::AskWhich << beside << local;
    QTest::newRow("windows, installed per user: the user's folder")
        << perUser << QStringList{installed} << QString() << K::Use << roaming << QString();
    QTest::newRow("windows, installed over a portable copy's data: the data beside stays in use")
        << perUser << QStringList{installed, perUserData + main} << QString() << K::Use << perUserData << QString();
    QTest::newRow("windows, installed, both hold data: asked, the user's folder first")
        << perUser << QStringList{installed, perUserData + main, roaming + main} << QString() << K::AskWhich << roaming
        << perUserData;
    QTest::newRow("windows, developer marker: its folder, though beside and user hold data")
        << perUser << QStringList{u"c:\\vmkdevelop.txt"_s, perUserData + main, roaming + main} << QString() << K::Use
        << u"c:\\develop4\\Pelora\\data\\"_s << QString();
    QTest::newRow("chosen folder holding data: used, though both others hold data")
        << opt << QStringList{u"/mnt/office/Pelora.mdb"_s, beside + main, local + main} << u"/mnt/office"_s << K::Use
        << u"/mnt/office/"_s << QString();
    QTest::newRow("chosen folder missing (a network drive not connected): told, never replaced")
        << perUser << QStringList{installed, roaming + main} << u"Z:/Pelora"_s << K::ChosenMissing << u"Z:\\Pelora\\"_s
        << roaming;
    QTest::newRow("chosen folder there but empty: told, never filled anew")
        << opt << QStringList{u"/srv/pelora/"_s} << u"/srv/pelora/"_s << K::ChosenMissing << u"/srv/pelora/"_s << beside;
}

void TestDataPaths::locateData()
{
    QFETCH(QString, applicationDir);
    QFETCH(QStringList, existing);
    QFETCH(QString, chosen);
    QFETCH(DataLocation::Kind, kind);
    QFETCH(QString, dataPath);
    QFETCH(QString, otherPath);
    const bool windows = applicationDir.contains(u'\\');
    const auto in = [](const QStringList &yes) { return [yes](const QString &path) { return yes.contains(path); }; };
    const ProgramPlace place{applicationDir, windows,
                             windows ? u"C:/Users/山田/AppData/Roaming/Pelora"_s : u"/home/op/.local/share/Pelora"_s};
    // The program's folder takes new files in every row.
    const DataLocation location = ::locateData(place, chosen, {in(existing), in(existing), in({applicationDir})});
    QCOMPARE(location.kind, kind);
    QCOMPARE(location.paths.MainDbPath, dataPath + u"Pelora.mdb"_s);
    QCOMPARE(location.other.DataPath, otherPath);
}

// The questions at start, through the window with scripted answers.
void TestDataPaths::startsOnTheFolderTheOperatorPicks_data()
{
    QTest::addColumn<bool>("chosenMissing"); // else beside and user both hold data
    QTest::addColumn<MessageRequest::Button>("answer");
    QTest::addColumn<Kept>("started"); // the folder the window opens, or Nothing
    QTest::addColumn<Kept>("remembered");
    using B = MessageRequest::Button;
    QTest::newRow("both hold data, はい: the first named, the rule's") << false << B::Yes << Kept::Beside << Kept::Beside;
    QTest::newRow("both hold data, いいえ: the second, the user's") << false << B::No << Kept::User << Kept::User;
    QTest::newRow("both hold data, キャンセル: no start") << false << B::Cancel << Kept::Nothing << Kept::Nothing;
    QTest::newRow("chosen folder missing, いいえ: no start, the choice kept") << true << B::No << Kept::Nothing << Kept::Chosen;
    QTest::newRow("chosen folder missing, はい: the data without it, the choice forgotten")
        << true << B::Yes << Kept::User << Kept::Nothing;
}

void TestDataPaths::startsOnTheFolderTheOperatorPicks()
{
    QFETCH(bool, chosenMissing);
    QFETCH(MessageRequest::Button, answer);
    QFETCH(Kept, started);
    QFETCH(Kept, remembered);
    QTemporaryDir root;
    const auto native = [&root](const QString &name) { return QDir::toNativeSeparators(root.filePath(name)); };
    const ProgramPlace place{native(u"program"_s), portable::Windows, root.filePath(u"user"_s)};
    const DataPaths beside = dataPathsIn(native(u"program/data"_s), portable::Windows);
    const DataPaths user = dataPathsIn(native(u"user/data"_s), portable::Windows);
    const QString gone = native(u"network-drive/pelora"_s);
    QVERIFY(Pelora::makeData(user, 2));
    QVERIFY(chosenMissing ? QDir().mkpath(place.applicationDir) : Pelora::makeData(beside, 1));
    Pelora app;
    QVERIFY(!chosenMissing || rememberDataFolder(app.settings, gone));
    const QByteArray besideBefore = fileDigest(beside.MainDbPath), userBefore = fileDigest(user.MainDbPath);

    app.presenter.script.append(answer);
    const std::optional<DataPaths> paths = settleDataFolder(place, app.settings, &app.presenter);
    QCOMPARE(app.presenter.shown.size(), 1);
    // Both folders named with their sheets and last change, the rule's first; or the chosen one and the way back.
    const QString folder1 = QDir::toNativeSeparators(QDir::cleanPath(beside.DataPath));
    const QString folder2 = QDir::toNativeSeparators(QDir::cleanPath(user.DataPath));
    const QStringList named = chosenMissing
        ? QStringList{u"場所: "_s + gone, u"元の場所: %1（シート 2 件、従業員 0 人、最終更新 "_s.arg(folder2)}
        : QStringList{u"1: %1（シート 1 件、従業員 0 人、最終更新 "_s.arg(folder1),
                      u"2: %1（シート 2 件、従業員 0 人、最終更新 "_s.arg(folder2)};
    for (const QString &piece : named)
        QVERIFY2(app.presenter.last().prompt.contains(piece), qPrintable(app.presenter.last().prompt));
    const QStringList folders{QString(), folder1, folder2, gone}; // as Kept counts them
    QCOMPARE(chosenDataFolder(app.settings), folders.at(int(remembered)));
    // Asking changed no file, and a missing chosen folder is not made.
    QCOMPARE(fileDigest(beside.MainDbPath), besideBefore);
    QCOMPARE(fileDigest(user.MainDbPath), userBefore);
    QVERIFY(!QFileInfo::exists(gone));
    QCOMPARE(bool(paths), started != Kept::Nothing);
    if (!paths)
        return;
    QCOMPARE(QDir::toNativeSeparators(QDir::cleanPath(paths->DataPath)), folders.at(int(started)));

    // The window runs on it, and the next start asks nothing.
    app.paths = *paths;
    QVERIFY(app.start());
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(), started == Kept::Beside ? 1 : 2);
    app.stop();
    app.presenter.clear();
    QCOMPARE(settleDataFolder(place, app.settings, &app.presenter).value_or(DataPaths()).DataPath, paths->DataPath);
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestDataPaths::thisProgramUsesDataBesideIt()
{
    if (portable::Windows)
        QSKIP("the developer marker of this machine decides the folder on Windows");
    const ProgramPlace place = platform::programPlace();
    QCOMPARE(place.applicationDir, QCoreApplication::applicationDirPath());
    const DataPaths paths = ::chooseDataPaths(place.applicationDir, place.windows, place.userDataDir, fileSystemProbes());
    QCOMPARE(paths.DataPath, QCoreApplication::applicationDirPath() + u"/data/"_s);
    QCOMPARE(paths.MainDbPath, paths.DataPath + u"Pelora.mdb"_s);
    QCOMPARE(paths.WorkDbPath, paths.DataPath + u"PeloraWork.mdb"_s);
}

QTEST_MAIN(TestDataPaths)
#include "tst_datapaths.moc"
