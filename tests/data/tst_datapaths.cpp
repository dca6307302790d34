#include "fixture.h"
#include "portable.h"
#include "realprogram.h"

#include "app/platform.h"
#include "app/startup.h"
#include "data/datapaths.h"

#include <QCoreApplication>
#include <QSet>
#include <QSettings>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A program folder beside a user folder, each with or without data.
struct TwoFolders
{
    QTemporaryDir root;
    QString program = root.filePath(u"program"_s);
    QString user = root.filePath(u"user"_s);
    ProgramPlace place{QDir::toNativeSeparators(program), portable::Windows, user};
    DataPaths beside = dataPathsIn(QDir::toNativeSeparators(program + u"/data"_s), portable::Windows);
    DataPaths inUser = dataPathsIn(QDir::toNativeSeparators(user + u"/data"_s), portable::Windows);

    // Real data files holding this many sheets, made by Pelora itself.
    static bool makeData(const DataPaths &paths, int sheets)
    {
        Pelora app;
        app.paths = paths;
        if (!app.start())
            return false;
        app.stop();
        for (int n = 1; n <= sheets; ++n)
            if (!Pelora::execute(paths.MainDbPath, u"INSERT INTO 時給ヘッダ (氏名, タイトル) VALUES ('山田花子', ?)"_s,
                                 {u"%1月分"_s.arg(n)}))
                return false;
        return true;
    }
};

QString folderName(const DataPaths &paths)
{
    return QDir::toNativeSeparators(QDir::cleanPath(paths.DataPath));
}

enum class Kept { Nothing, Beside, User, Chosen };

} // namespace

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
    void theChoiceIsRememberedPerUser();
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
    const auto installed = [](const QString &folder) {
        return (folder.endsWith(u'\\') ? folder : folder + u'\\') + u"Pelora.installed"_s;
    };
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
        << QStringList{file(marker), file(installed(u"D:\\Tools\\Pelora"_s)), folder(u"D:\\Tools\\Pelora\\data\\"_s),
                       write(u"D:\\Tools\\Pelora"_s)};
    QTest::newRow("windows, under Program Files: the user's folder with backslashes")
        << u"C:\\Program Files\\Pelora"_s << true << QStringList{} << QStringList{} << roaming
        << QStringList{file(marker), file(installed(u"C:\\Program Files\\Pelora"_s)),
                       folder(u"C:\\Program Files\\Pelora\\data\\"_s)};
    QTest::newRow("windows, under Program Files even when an administrator can write there")
        << u"C:\\Program Files (x86)\\Pelora"_s << true << QStringList{} << QStringList{u"C:\\Program Files (x86)\\Pelora"_s}
        << roaming
        << QStringList{file(marker), file(installed(u"C:\\Program Files (x86)\\Pelora"_s)),
                       folder(u"C:\\Program Files (x86)\\Pelora\\data\\"_s)};
    QTest::newRow("windows, data folder already beside a read-only program folder")
        << u"C:\\Program Files\\Pelora"_s << true << QStringList{u"C:\\Program Files\\Pelora\\data\\"_s}
        << QStringList{} << u"C:\\Program Files\\Pelora\\data\\"_s
        << QStringList{file(marker), file(installed(u"C:\\Program Files\\Pelora"_s)),
                       folder(u"C:\\Program Files\\Pelora\\data\\"_s)};
    QTest::newRow("windows, files near the marker's name do not count")
        << u"C:\\Pelora"_s << true
        << QStringList{u"c:\\vmkdevelop.txt.bak"_s, u"c:\\develop4\\Pelora\\data\\"_s,
                       u"C:\\Pelora\\vmkdevelop.txt"_s}
        << QStringList{u"C:\\Pelora"_s} << u"C:\\Pelora\\data\\"_s
        << QStringList{file(marker), file(installed(u"C:\\Pelora"_s)), folder(u"C:\\Pelora\\data\\"_s),
                       write(u"C:\\Pelora"_s)};
    QTest::newRow("windows, program at a drive root keeps both backslashes")
        << u"C:\\"_s << true << QStringList{u"C:\\\\data\\"_s} << QStringList{} << u"C:\\\\data\\"_s
        << QStringList{file(marker), file(installed(u"C:\\"_s)), folder(u"C:\\\\data\\"_s)};
    QTest::newRow("windows, program at another drive root")
        << u"E:\\"_s << true << QStringList{} << QStringList{u"E:\\"_s} << u"E:\\\\data\\"_s
        << QStringList{file(marker), file(installed(u"E:\\"_s)), folder(u"E:\\\\data\\"_s), write(u"E:\\"_s)};
    QTest::newRow("windows, installed per user: the user's folder though the program's takes files")
        << perUser << true << QStringList{installed(perUser)} << QStringList{perUser} << roaming
        << QStringList{file(marker), file(installed(perUser))};
    QTest::newRow("windows, installed per user: a data folder beside the program is not the rule's")
        << perUser << true << QStringList{installed(perUser), perUser + u"\\data\\"_s} << QStringList{perUser}
        << roaming << QStringList{file(marker), file(installed(perUser))};
    QTest::newRow("windows, the setup's marker in another folder does not count")
        << u"D:\\Tools\\Pelora"_s << true << QStringList{installed(perUser), u"D:\\Tools\\Pelora.installed"_s}
        << QStringList{u"D:\\Tools\\Pelora"_s} << u"D:\\Tools\\Pelora\\data\\"_s
        << QStringList{file(marker), file(installed(u"D:\\Tools\\Pelora"_s)), folder(u"D:\\Tools\\Pelora\\data\\"_s),
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
    QTest::newRow("unix, the setup's marker means nothing beside a Linux program")
        << u"/home/op/pelora"_s << false << QStringList{u"/home/op/pelora/Pelora.installed"_s}
        << QStringList{u"/home/op/pelora"_s} << u"/home/op/pelora/data/"_s
        << QStringList{folder(u"/home/op/pelora/data/"_s), write(u"/home/op/pelora"_s)};
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
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QStringList>("existing"); // files, and folders ending in a separator
    QTest::addColumn<QStringList>("writable");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<DataLocation::Kind>("kind");
    QTest::addColumn<QString>("dataPath");
    QTest::addColumn<QString>("otherPath"); // asked about, or where the data is without the choice

    using K = DataLocation::Kind;
    const QString opt = u"/opt/pelora"_s;
    const QString beside = u"/opt/pelora/data/"_s;
    const QString local = u"/home/op/.local/share/Pelora/data/"_s;
    const QString perUser = u"C:\\Users\\山田\\AppData\\Local\\Programs\\Pelora"_s;
    const QString perUserData = perUser + u"\\data\\"_s;
    const QString roaming = u"C:\\Users\\山田\\AppData\\Roaming\\Pelora\\data\\"_s;
    const QString installed = perUser + u"\\Pelora.installed"_s;
    const QString main = u"Pelora.mdb"_s;

    QTest::newRow("unix, first start: the rule's folder")
        << opt << false << QStringList{} << QStringList{opt} << QString() << K::Use << beside << QString();
    QTest::newRow("unix, the program's folder became writable: the data stays in the user's folder")
        << opt << false << QStringList{local + main} << QStringList{opt} << QString() << K::Use << local << QString();
    QTest::newRow("unix, the program's folder became read-only: the data stays beside it")
        << opt << false << QStringList{beside, beside + main} << QStringList{} << QString() << K::Use << beside
        << QString();
    QTest::newRow("unix, the data beside, an empty data folder in the user's: beside")
        << opt << false << QStringList{local, beside + main} << QStringList{} << QString() << K::Use << beside
        << QString();
    QTest::newRow("unix, a folder whose main file went missing still holds the data")
        << opt << false << QStringList{local + u"PeloraWork.mdb"_s} << QStringList{opt} << QString() << K::Use << local
        << QString();
    QTest::newRow("unix, both hold data: asked, the rule's folder first")
        << opt << false << QStringList{beside, beside + main, local + main} << QStringList{opt} << QString()
        << K::AskWhich << beside << local;
    QTest::newRow("unix, an installation's bin folder, both hold data: the user's folder first")
        << u"/usr/bin"_s << false << QStringList{u"/usr/bin/data/Pelora.mdb"_s, local + main} << QStringList{}
        << QString() << K::AskWhich << local << u"/usr/bin/data/"_s;
    QTest::newRow("windows, installed per user: the user's folder")
        << perUser << true << QStringList{installed} << QStringList{perUser} << QString() << K::Use << roaming
        << QString();
    QTest::newRow("windows, installed over a portable copy's data: the data beside stays in use")
        << perUser << true << QStringList{installed, perUserData, perUserData + main} << QStringList{perUser}
        << QString() << K::Use << perUserData << QString();
    QTest::newRow("windows, installed, both hold data: asked, the user's folder first")
        << perUser << true << QStringList{installed, perUserData + main, roaming + main} << QStringList{perUser}
        << QString() << K::AskWhich << roaming << perUserData;
    QTest::newRow("windows, the portable zip: the data beside the program")
        << u"D:\\Pelora"_s << true << QStringList{} << QStringList{u"D:\\Pelora"_s} << QString() << K::Use
        << u"D:\\Pelora\\data\\"_s << QString();
    QTest::newRow("windows, developer marker: its folder, though beside and user hold data")
        << perUser << true << QStringList{u"c:\\vmkdevelop.txt"_s, perUserData + main, roaming + main}
        << QStringList{perUser} << QString() << K::Use << u"c:\\develop4\\Pelora\\data\\"_s << QString();
    QTest::newRow("chosen folder holding data: used, though both others hold data")
        << opt << false << QStringList{u"/mnt/office/pelora/Pelora.mdb"_s, beside + main, local + main}
        << QStringList{opt} << u"/mnt/office/pelora"_s << K::Use << u"/mnt/office/pelora/"_s << QString();
    QTest::newRow("chosen folder missing (a network drive not connected): told, never replaced")
        << u"C:\\Program Files\\Pelora"_s << true << QStringList{roaming + main} << QStringList{}
        << u"Z:\\Pelora"_s << K::ChosenMissing << u"Z:\\Pelora\\"_s << roaming;
    QTest::newRow("chosen folder there but empty: told, never filled anew")
        << opt << false << QStringList{u"/srv/pelora/"_s} << QStringList{opt, u"/srv/pelora"_s}
        << u"/srv/pelora/"_s << K::ChosenMissing << u"/srv/pelora/"_s << beside;
    QTest::newRow("chosen folder written with forward slashes on Windows")
        << perUser << true << QStringList{u"Z:\\Pelora\\Pelora.mdb"_s} << QStringList{} << u"Z:/Pelora"_s << K::Use
        << u"Z:\\Pelora\\"_s << QString();
}

void TestDataPaths::locateData()
{
    QFETCH(QString, applicationDir);
    QFETCH(bool, windows);
    QFETCH(QStringList, existing);
    QFETCH(QStringList, writable);
    QFETCH(QString, chosen);
    QFETCH(DataLocation::Kind, kind);
    QFETCH(QString, dataPath);
    QFETCH(QString, otherPath);

    const auto in = [](const QStringList &yes) { return [yes](const QString &path) { return yes.contains(path); }; };
    const ProgramPlace place{applicationDir, windows,
                             windows ? u"C:/Users/山田/AppData/Roaming/Pelora"_s : u"/home/op/.local/share/Pelora"_s};
    const DataLocation location = ::locateData(place, chosen, {in(existing), in(existing), in(writable)});
    QCOMPARE(location.kind, kind);
    QCOMPARE(location.paths.DataPath, dataPath);
    QCOMPARE(location.paths.MainDbPath, dataPath + u"Pelora.mdb"_s);
    QCOMPARE(location.other.DataPath, otherPath);
}

void TestDataPaths::theChoiceIsRememberedPerUser()
{
    QTemporaryDir dir;
    {
        QSettings settings(dir.filePath(u"settings.ini"_s), QSettings::IniFormat);
        QCOMPARE(chosenDataFolder(settings), QString());
        QVERIFY(rememberDataFolder(settings, u"/mnt/office/pelora"_s));
    }
    QSettings again(dir.filePath(u"settings.ini"_s), QSettings::IniFormat);
    QCOMPARE(chosenDataFolder(again), u"/mnt/office/pelora"_s);
    QVERIFY(forgetDataFolder(again));
    QCOMPARE(chosenDataFolder(QSettings(dir.filePath(u"settings.ini"_s), QSettings::IniFormat)), QString());

    // Settings that cannot be written (their folder is a file) say so.
    QFile blocker(dir.filePath(u"blocked"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettings unwritable(dir.filePath(u"blocked/settings.ini"_s), QSettings::IniFormat);
    QVERIFY(!rememberDataFolder(unwritable, u"/mnt/office/pelora"_s));
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
    QTest::newRow("chosen folder missing, いいえ: no start, the choice kept")
        << true << B::No << Kept::Nothing << Kept::Chosen;
    QTest::newRow("chosen folder missing, はい: the data without it, the choice forgotten")
        << true << B::Yes << Kept::User << Kept::Nothing;
}

void TestDataPaths::startsOnTheFolderTheOperatorPicks()
{
    QFETCH(bool, chosenMissing);
    QFETCH(MessageRequest::Button, answer);
    QFETCH(Kept, started);
    QFETCH(Kept, remembered);

    TwoFolders folders;
    QVERIFY(TwoFolders::makeData(folders.inUser, 2));
    if (!chosenMissing)
        QVERIFY(TwoFolders::makeData(folders.beside, 1));
    QVERIFY(QDir().mkpath(folders.program));
    const QString gone = QDir::toNativeSeparators(folders.root.filePath(u"network-drive/pelora"_s));
    Pelora app;
    if (chosenMissing)
        QVERIFY(rememberDataFolder(app.settings, gone));
    const QByteArray besideBefore = fileDigest(folders.beside.MainDbPath);
    const QByteArray userBefore = fileDigest(folders.inUser.MainDbPath);

    app.presenter.script.append(answer);
    const std::optional<DataPaths> paths = settleDataFolder(folders.place, app.settings, &app.presenter);
    QCOMPARE(app.presenter.shown.size(), 1);
    const QString prompt = app.presenter.last().prompt;
    if (chosenMissing) {
        // Told where the chosen folder is and what the way back holds.
        QVERIFY2(prompt.contains(u"場所: "_s + gone), qPrintable(prompt));
        QVERIFY2(prompt.contains(u"元の場所: %1（シート 2 件、従業員 0 人、最終更新 "_s.arg(folderName(folders.inUser))),
                 qPrintable(prompt));
    } else {
        // Both folders named, the rule's first, with their sheets and last change.
        QCOMPARE(app.presenter.last().buttons, MessageRequest::Buttons::YesNoCancel);
        QVERIFY2(prompt.contains(u"1: %1（シート 1 件、従業員 0 人、最終更新 "_s.arg(folderName(folders.beside))),
                 qPrintable(prompt));
        QVERIFY2(prompt.contains(u"2: %1（シート 2 件、従業員 0 人、最終更新 "_s.arg(folderName(folders.inUser))),
                 qPrintable(prompt));
    }
    const QString rememberedFolder = chosenDataFolder(app.settings);
    QCOMPARE(rememberedFolder, remembered == Kept::Beside ? folderName(folders.beside)
                               : remembered == Kept::User ? folderName(folders.inUser)
                               : remembered == Kept::Chosen ? gone
                                                            : QString());
    // Asking changed no file; a missing chosen folder is not made.
    QCOMPARE(fileDigest(folders.beside.MainDbPath), besideBefore);
    QCOMPARE(fileDigest(folders.inUser.MainDbPath), userBefore);
    QVERIFY(!QFileInfo::exists(gone));
    if (started == Kept::Nothing) {
        QVERIFY(!paths);
        return;
    }
    QVERIFY(paths);
    const DataPaths &expected = started == Kept::Beside ? folders.beside : folders.inUser;
    QCOMPARE(paths->DataPath, expected.DataPath);

    // The window runs on it and says where; the next start asks nothing.
    app.paths = *paths;
    QVERIFY(app.start());
    QCOMPARE(ui::find<QLineEdit>(app.w, u"txtデータ場所"_s)->text(), folderName(expected));
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).value(0).value(0).toInt(),
             started == Kept::Beside ? 1 : 2);
    app.stop();
    app.presenter.clear();
    const std::optional<DataPaths> next = settleDataFolder(folders.place, app.settings, &app.presenter);
    QVERIFY(next);
    QCOMPARE(next->DataPath, expected.DataPath);
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
