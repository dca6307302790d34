// The pay statement: its layout, what the print command hands over, and what
// actually lands on the page (raster and PDF).
#include "fixture.h"

#include "controls/datagrid.h"
#include "controls/namecombo.h"
#include "controls/numberedit.h"
#include "report/previewoutput.h"
#include "report/statement.h"
#include "report/statementbatch.h"
#include "timesheet/sheetcolumns.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QProcess>
#include <QStandardPaths>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Gothic = u"ＭＳ Ｐゴシック"_s;
const QString Mincho = u"ＭＳ Ｐ明朝"_s;

StatementValues sample()
{
    StatementValues v;
    v.name = u"山田 花子"_s;
    v.title = u"2007年4月分 (4/1〜4/15)"_s;
    v.wage = u"1,000"_s;
    v.hours = u"62.5"_s;
    v.adjustment = u"3,000"_s;
    v.total = u"65,500"_s;
    v.companyName = u"株式会社サンプル商店"_s;
    v.companyInfo = u"東京都千代田区1-2-3\nTEL 03-1234-5678"_s;
    v.date = QDate(2007, 4, 4);
    return v;
}

const StatementItem *find(const QList<StatementItem> &items, const QString &name)
{
    for (const StatementItem &item : items)
        if (item.name == name)
            return &item;
    return nullptr;
}

// A statement drawn on white at a given resolution, offset from the image's
// corner so that the area's origin is honoured too.
struct Raster
{
    static constexpr double Dpi = 200;
    static constexpr QPointF Origin{24, 16};
    QImage image;

    explicit Raster(const StatementValues &values)
    {
        image = QImage(int(px(StatementWidthTwips) + 2 * Origin.x()),
                       int(px(StatementHeightTwips) + 2 * Origin.y()), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        renderStatement(painter, QRectF(Origin, QSizeF(px(StatementWidthTwips), px(StatementHeightTwips))),
                        Dpi, values);
    }

    static double px(double twips) { return twips * Dpi / 1440.0; }

    QRect deviceBox(const QRect &twips) const
    {
        return QRectF(Origin.x() + px(twips.left()), Origin.y() + px(twips.top()), px(twips.width()),
                      px(twips.height()))
            .toAlignedRect();
    }

    bool dark(int x, int y) const { return qGray(image.pixel(x, y)) < 128; }

    // The bounding box of the dark pixels within rect (empty when there are none).
    QRect ink(const QRect &rect) const
    {
        QRect found;
        const QRect r = rect.intersected(image.rect());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (dark(x, y))
                    found |= QRect(x, y, 1, 1);
        return found;
    }

    double darkShareOfRow(int y, int fromX, int toX) const
    {
        int n = 0;
        for (int x = fromX; x <= toX; ++x)
            n += dark(x, y) ? 1 : 0;
        return double(n) / (toX - fromX + 1);
    }
};

// A page that keeps every run of text as its paint engine gets it: the font
// actually used, the text, and where its advance and its height lie.
class TextRecorder : public QPaintDevice, public QPaintEngine
{
public:
    struct Run
    {
        QRectF rect;
        QString text;
        QFont font;
    };

    TextRecorder(double dpi, QSize size)
        : QPaintEngine(AllFeatures)
        , m_dpi(dpi)
        , m_size(size)
    {
    }

    QList<Run> runs;

    QPaintEngine *paintEngine() const override { return const_cast<TextRecorder *>(this); }
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    Type type() const override { return User; }
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        runs.append({QRectF(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent()),
                     item.text(), item.font()});
    }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmWidthMM: return int(m_size.width() * 25.4 / m_dpi);
        case PdmHeightMM: return int(m_size.height() * 25.4 / m_dpi);
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return int(m_dpi);
        case PdmDepth: return 32;
        case PdmNumColors: return std::numeric_limits<int>::max();
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 1;
        }
    }

private:
    double m_dpi;
    QSize m_size;
};

QString withoutBlanks(QString text)
{
    text.removeIf([](QChar c) { return c.isSpace(); });
    return text;
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

} // namespace

Q_DECLARE_METATYPE(StatementValues)

class TestStatement : public QObject
{
    Q_OBJECT

private slots:
    // Runs first, before any main window has set up anything font-related:
    // the statement must find its faces on its own.
    void fontsResolveToTheIpaFaces();
    void layout_data();
    void layout();
    void nameCarriesTheHonorificAndDateHasTwoDigitFields_data();
    void nameCarriesTheHonorificAndDateHasTwoDigitFields();
    void everyValueFitsItsBox_data();
    void everyValueFitsItsBox();
    void inkLandsInsideTheBoxesAndOnTheRules_data();
    void inkLandsInsideTheBoxesAndOnTheRules();
    void emptyFieldsLeaveTheirBoxesBlank();
    void pdfIsWrittenWithTheJapaneseFaces();
    void proposedFileNameIsSafeForTheFileSystem_data();
    void proposedFileNameIsSafeForTheFileSystem();
    void printHandsOverThePageFormatted();
    void premiumsOnThePageTheSheetAndTheStatement_data();
    void premiumsOnThePageTheSheetAndTheStatement();
    void zeroHoursAndZeroAdjustment();
    void emptyPagePrintsTheBareHonorific();
    void printingChangesNothing();
    void batchLayout_data();
    void batchLayout();
    void batchPageDrawsEachStatementAsAlone();
};

void TestStatement::fontsResolveToTheIpaFaces()
{
    QImage scratch(10, 10, QImage::Format_RGB32);
    QPainter painter(&scratch);
    renderStatement(painter, QRectF(0, 0, 10, 10), 72, sample());
    painter.end();
    for (const StatementItem &item : statementItems(sample())) {
        if (item.kind == StatementItem::Kind::Line)
            continue;
        const QString family = QFontInfo(QFont(item.fontFamily)).family();
        QVERIFY2(family.contains(u"IPA"_s), qPrintable(item.name + u" → "_s + family));
        QVERIFY2(family.contains(item.fontFamily == Mincho ? u"Mincho"_s : u"Gothic"_s),
                 qPrintable(item.name + u" → "_s + family));
    }
}

void TestStatement::layout_data()
{
    // Typed from the statement's layout sheet, in twips.
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QRect>("box"); // for rules: from top left to bottom right
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("alignment");
    const int label = int(StatementItem::Kind::Label), text = int(StatementItem::Kind::Text),
              line = int(StatementItem::Kind::Line);
    const int l = Qt::AlignLeft, r = Qt::AlignRight, c = Qt::AlignHCenter;
    const StatementValues v = sample();
    auto row = [&](const char *name, int kind, QRect box, const QString &content, const QString &family,
                   double size, int alignment) {
        QTest::newRow(name) << QString::fromUtf8(name) << kind << box << content << family << size
                            << alignment;
    };
    row("Lblタイトル", label, QRect(4100, 30, 1701, 354), u"給与明細"_s, Gothic, 14.5, c);
    row("txt日付", text, QRect(7800, 70, 2445, 300), u"2007年04月04日"_s, Gothic, 11.5, r);
    row("Line2", line, QRect(QPoint(0, 425), QPoint(10346, 425)), QString(), QString(), 0, 0);
    row("Label2", label, QRect(213, 600, 779, 354), u"氏名"_s, Gothic, 12, c);
    row("txt氏名", text, QRect(1140, 630, 3945, 600), u"山田 花子　様"_s, Gothic, 14.5, l);
    row("txt自社名", text, QRect(5315, 650, 4890, 300), v.companyName, Gothic, 14.5, c);
    row("txt自社情報", text, QRect(6236, 980, 3898, 600), v.companyInfo, Mincho, 10, l);
    row("txtタイトル", text, QRect(300, 1275, 5805, 360), v.title, Gothic, 12, l);
    row("Label3", label, QRect(213, 1701, 779, 354), u"時給"_s, Gothic, 12, c);
    row("txt時給", text, QRect(1140, 1695, 735, 360), u"1,000"_s, Gothic, 14.5, r);
    row("Label4", label, QRect(2126, 1701, 780, 354), u"時間"_s, Gothic, 12, c);
    row("txt時間", text, QRect(3047, 1701, 992, 354), u"62.5"_s, Gothic, 14.5, r);
    row("Label5", label, QRect(4394, 1701, 992, 354), u"調整額"_s, Gothic, 12, c);
    row("txt調整額", text, QRect(5669, 1701, 1488, 354), u"3,000"_s, Gothic, 14.5, r);
    row("Label6", label, QRect(7370, 1701, 1134, 354), u"支給額"_s, Gothic, 12, c);
    row("txt合計", text, QRect(8715, 1695, 1380, 360), u"65,500"_s, Gothic, 14.5, r);
    row("Line1", line, QRect(QPoint(0, 2120), QPoint(10350, 2120)), QString(), QString(), 0, 0);
}

void TestStatement::layout()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(QRect, box);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(double, size);
    QFETCH(int, alignment);
    const QList<StatementItem> items = statementItems(sample());
    QCOMPARE(items.size(), 17);
    const StatementItem *item = find(items, name);
    QVERIFY(item);
    QCOMPARE(int(item->kind), kind);
    if (item->kind == StatementItem::Kind::Line) {
        QCOMPARE(item->twips.topLeft(), box.topLeft());
        QCOMPARE(item->twips.bottomRight(), box.bottomRight());
        return;
    }
    QCOMPARE(item->twips, box);
    QCOMPARE(item->text, text);
    QCOMPARE(item->fontFamily, family);
    QCOMPARE(item->pointSize, size);
    QCOMPARE(int(item->alignment & Qt::AlignHorizontal_Mask), alignment);
    // Everything sits inside the header block.
    QVERIFY(QRect(0, 0, StatementWidthTwips, StatementHeightTwips).contains(item->twips));
}

void TestStatement::nameCarriesTheHonorificAndDateHasTwoDigitFields_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("nameText");
    QTest::addColumn<QString>("dateText");
    QTest::newRow("一桁の月日") << u"佐藤"_s << QDate(2007, 4, 4) << u"佐藤　様"_s << u"2007年04月04日"_s;
    QTest::newRow("二桁の月日") << u"Smith"_s << QDate(2024, 12, 31) << u"Smith　様"_s << u"2024年12月31日"_s;
    QTest::newRow("氏名なし") << QString() << QDate(2010, 1, 9) << u"　様"_s << u"2010年01月09日"_s;
    QTest::newRow("末尾の空白") << u"林 "_s << QDate(2008, 2, 29) << u"林 　様"_s << u"2008年02月29日"_s;
}

void TestStatement::nameCarriesTheHonorificAndDateHasTwoDigitFields()
{
    QFETCH(QString, name);
    QFETCH(QDate, date);
    QFETCH(QString, nameText);
    QFETCH(QString, dateText);
    StatementValues v;
    v.name = name;
    v.date = date;
    const QList<StatementItem> items = statementItems(v);
    QCOMPARE(find(items, u"txt氏名"_s)->text, nameText);
    QCOMPARE(find(items, u"txt日付"_s)->text, dateText);
}

void TestStatement::everyValueFitsItsBox_data()
{
    QTest::addColumn<StatementValues>("values");
    auto row = [](const char *name, QString wage, QString hours, QString adjustment, QString total,
                  QString person, QString title, QString company, QString info) {
        StatementValues v = sample();
        v.wage = wage, v.hours = hours, v.adjustment = adjustment, v.total = total, v.name = person;
        v.title = title, v.companyName = company, v.companyInfo = info;
        QTest::newRow(name) << v;
    };
    const QString info3 = u"東京都千代田区丸の内1-2-3\nTEL 03-1234-5678\nFAX 03-1234-5679"_s;
    row("一桁", u"1"_s, u".5"_s, u"-1"_s, u"1"_s, u"林"_s, u"4月"_s, u"A"_s, u"B"_s);
    row("四桁の時給", u"2,500"_s, u"1,000.0"_s, u"-1,234,567"_s, u"1,000,000"_s, u"山田 花子"_s,
        u"2007年4月分"_s, u"株式会社サンプル商店"_s, info3);
    row("八が四つ", u"8,888"_s, u"8,888.8"_s, u"8,888,888"_s, u"-8,888,888"_s, u"渡辺 八郎"_s, u"八月分"_s,
        u"八八商会"_s, info3);
    row("上限", u"99,999"_s, u"9,999.9"_s, u"-9,999,999"_s, u"-9,999,999"_s, QString(20, u'長'),
        QString(60, u'題'), QString(30, u'社'), info3 + u"\nhttps://example.co.jp/\n"_s + QString(80, u'情'));
    row("六十行の上限", u"99,999"_s, u"1,440.0"_s, u"599,999,940"_s, u"143,998,560"_s,
        u"Wolfeschlegelsteinhausenbergerdorff Hubert Blaine"_s, u"2007年4月分 (4/1〜4/15) 前半・後半 再発行"_s,
        u"Sample Trading Company International Limited"_s, u"1 2 3 4 5 6 7 8 9 10 11 12 13 14"_s.replace(u' ', u'\n'));
    row("桁外れ", u"99,999,999,999"_s, u"99,999,999.9"_s, u"-9,999,999,999,999,999"_s,
        u"-999,999,999,999,999,999,999,999,999,999"_s, QString(10000, u'名'), QString(10000, u'題'),
        QString(500, u'社'), QString(200, u'情') + u"\n"_s.repeated(50));
}

void TestStatement::everyValueFitsItsBox()
{
    QFETCH(StatementValues, values);
    const QList<StatementItem> items = statementItems(values);
    for (const double dpi : {96.0, 200.0, 600.0}) {
        const double scale = dpi / 1440.0;
        const QRectF area(QPointF(20, 10), QSizeF(StatementWidthTwips, StatementHeightTwips) * scale);
        TextRecorder page(dpi, area.adjusted(-20, -10, 20, 10).size().toSize());
        QPainter painter(&page);
        renderStatement(painter, area, dpi, values);
        painter.end();
        const double floorPixels = std::round(StatementFloorPointSize * 20 * scale);
        for (const TextRecorder::Run &run : page.runs) {
            const QString where = u"%1 dpi: %2 (%3 px)"_s.arg(dpi).arg(run.text.left(20)).arg(run.font.pixelSize());
            QVERIFY2(area.adjusted(-0.5, -0.5, 0.5, 0.5).contains(run.rect), qPrintable(where));
            // Inside its box; a number at the floor may have grown to the left.
            const bool inItsBox = std::any_of(items.cbegin(), items.cend(), [&](const StatementItem &item) {
                QRectF box(area.topLeft() + QPointF(item.twips.topLeft()) * scale, QSizeF(item.twips.size()) * scale);
                if (item.alignment & Qt::AlignRight && run.font.pixelSize() <= floorPixels)
                    box.setLeft(area.left());
                return item.kind != StatementItem::Kind::Line && box.adjusted(-0.5, -0.5, 0.5, 0.5).contains(run.rect);
            });
            QVERIFY2(inItsBox, qPrintable(where));
        }
        QString drawn;
        for (const TextRecorder::Run &run : page.runs)
            drawn += run.text;
        // Numbers come out whole, on one line; texts whole, or cut with "…" only at the floor.
        for (const QString &number : {values.wage, values.hours, values.adjustment, values.total})
            QVERIFY2(number.isEmpty()
                         || std::any_of(page.runs.cbegin(), page.runs.cend(),
                                        [&](const TextRecorder::Run &run) { return run.text == number; }),
                     qPrintable(number));
        for (const QString &text : {values.name, values.title, values.companyName, values.companyInfo}) {
            if (withoutBlanks(drawn).contains(withoutBlanks(text)))
                continue;
            const bool cutAtTheFloor = std::any_of(page.runs.cbegin(), page.runs.cend(), [&](const TextRecorder::Run &run) {
                return run.text.endsWith(u"…"_s) && run.font.pixelSize() <= floorPixels;
            });
            QVERIFY2(cutAtTheFloor, qPrintable(u"%1 dpi: %2"_s.arg(dpi).arg(text.left(20))));
        }
    }
}

void TestStatement::inkLandsInsideTheBoxesAndOnTheRules_data()
{
    QTest::addColumn<StatementValues>("values");
    QTest::newRow("見本") << sample();
    StatementValues large = sample();
    large.wage = u"12,345"_s;
    large.hours = u"1,234.5"_s;
    large.adjustment = u"-9,999,999"_s;
    large.total = u"1,234,567"_s;
    large.companyInfo = u"東京都千代田区1-2-3\nTEL 03-1234-5678\nFAX 03-1234-5679"_s;
    QTest::newRow("大きな値と三行の自社情報") << large;
}

void TestStatement::inkLandsInsideTheBoxesAndOnTheRules()
{
    QFETCH(StatementValues, values);
    const Raster raster(values);
    const QList<StatementItem> items = statementItems(values);

    QList<QRect> allowed;
    for (const StatementItem &item : items) {
        if (item.kind == StatementItem::Kind::Line) {
            const int y = qRound(Raster::Origin.y() + Raster::px(item.twips.top()));
            const int from = qRound(Raster::Origin.x() + Raster::px(item.twips.left())) + 2;
            const int to = qRound(Raster::Origin.x() + Raster::px(item.twips.right())) - 2;
            QVERIFY2(raster.darkShareOfRow(y, from, to) > 0.98, qPrintable(item.name));
            // A rule, not a band: a few pixels off it the row is blank.
            QCOMPARE(raster.darkShareOfRow(y - 5, from, to) < 0.5, true);
            QCOMPARE(raster.darkShareOfRow(y + 5, from, to) < 0.5, true);
            allowed.append(QRect(from - 4, y - 3, to - from + 8, 7));
            continue;
        }
        const QRect box = raster.deviceBox(item.twips);
        allowed.append(box.adjusted(-1, -1, 1, 1));
        const QRect ink = raster.ink(box.adjusted(-1, -1, 1, 1));
        QVERIFY2(!ink.isEmpty(), qPrintable(item.name));
        // Text starts at the top of its box, as the report engine sets it.
        QVERIFY2(ink.top() - box.top() < box.height() / 3, qPrintable(item.name));
        const int slack = int(Raster::px(150));
        if (item.alignment & Qt::AlignRight)
            QVERIFY2(box.right() - ink.right() <= slack, qPrintable(item.name));
        else if (item.alignment & Qt::AlignHCenter)
            QVERIFY2(std::abs(ink.center().x() - box.center().x()) <= slack, qPrintable(item.name));
        else
            QVERIFY2(ink.left() - box.left() <= slack, qPrintable(item.name));
    }
    // The two lines of company information both show.
    const QRect infoBox = raster.deviceBox(find(items, u"txt自社情報"_s)->twips);
    QVERIFY(raster.ink(infoBox).height() > Raster::px(200 + 100));

    // No ink outside the items.
    for (int y = 0; y < raster.image.height(); ++y)
        for (int x = 0; x < raster.image.width(); ++x)
            if (raster.dark(x, y)) {
                const bool inside = std::any_of(allowed.cbegin(), allowed.cend(),
                                                [&](const QRect &r) { return r.contains(x, y); });
                QVERIFY2(inside, qPrintable(u"stray ink at %1,%2"_s.arg(x).arg(y)));
            }
}

void TestStatement::emptyFieldsLeaveTheirBoxesBlank()
{
    StatementValues values = sample();
    values.adjustment.clear();
    values.total.clear();
    values.companyInfo.clear();
    const Raster raster(values);
    const QList<StatementItem> items = statementItems(values);
    for (const QString &name : {u"txt調整額"_s, u"txt合計"_s, u"txt自社情報"_s})
        QVERIFY2(raster.ink(raster.deviceBox(find(items, name)->twips)).isEmpty(), qPrintable(name));
    // The captions and the other values are still drawn.
    for (const QString &name : {u"Label5"_s, u"Label6"_s, u"txt時間"_s, u"txt自社名"_s})
        QVERIFY2(!raster.ink(raster.deviceBox(find(items, name)->twips)).isEmpty(), qPrintable(name));
}

void TestStatement::pdfIsWrittenWithTheJapaneseFaces()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"給与明細.pdf"_s);
    QVERIFY(PreviewOutput::writePdf(sample(), file));
    QFile pdf(file);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY(bytes.trimmed().endsWith("%%EOF"));
    QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 1);
    QVERIFY(bytes.contains("/MediaBox [0 0 595.000000 842.000000]")); // A4 portrait
    // Both faces are embedded: the Gothic for the statement, the Mincho for the
    // company information.
    QVERIFY(bytes.contains("IPAPGothic"));
    QVERIFY(bytes.contains("IPAPMincho"));

    // A folder that does not exist cannot take the file.
    QVERIFY(!PreviewOutput::writePdf(sample(), dir.filePath(u"missing/folder/x.pdf"_s)));
}

void TestStatement::proposedFileNameIsSafeForTheFileSystem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << u"山田 花子"_s << u"2007年4月分"_s << u"給与明細_山田 花子_2007年4月分.pdf"_s;
    QTest::newRow("slashes") << u"山田/花子"_s << u"4/1〜4/15"_s << u"給与明細_山田_花子_4_1〜4_15.pdf"_s;
    QTest::newRow("reserved") << u"a\\b:c*d"_s << u"?\"<>|"_s << u"給与明細_a_b_c_d______.pdf"_s;
    QTest::newRow("control") << u"x\ty"_s << u"1\r\n2"_s << u"給与明細_x_y_1__2.pdf"_s;
    QTest::newRow("empty") << QString() << QString() << u"給与明細__.pdf"_s;
}

void TestStatement::proposedFileNameIsSafeForTheFileSystem()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, expected);
    StatementValues v;
    v.name = name;
    v.title = title;
    QCOMPARE(PreviewOutput::proposedFileName(v), expected);

    v.title = QString(300, u'長');
    const QString longName = PreviewOutput::proposedFileName(v);
    QVERIFY(longName.endsWith(u".pdf"_s));
    QVERIFY(longName.size() <= 124);
}

namespace {

// The sheet of a day: 09:00 to 17:30 with one hour's break at 1,000 yen.
void typeOneDay(Pelora &app)
{
    ui::SSTab1(app.w)->setCurrentIndex(0);
    op::fill(ui::cmb氏名(app.w), u"山田 花子"_s);
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::fill(ui::txtタイトル(app.w), u"2007年4月分"_s);
    op::fill(ui::num休憩(app.w), u"1"_s);
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col日付, u"20070402"_s);
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col開始時間, u"0900"_s);
    op::typeCell(ui::Grid明細(app.w), 0, sheet::Col終了時間, u"1730"_s);
}

} // namespace

void TestStatement::printHandsOverThePageFormatted()
{
    Pelora app;
    QVERIFY(app.start());
    ui::sheetPage(app.w)->setCompany(u"株式会社サンプル商店"_s, u"TEL 03-1234-5678"_s);
    typeOneDay(app);
    QCOMPARE(ui::num時間(app.w)->value().toDouble(), 7.5);
    QCOMPARE(ui::num合計(app.w)->value().toDouble(), 7500.0);
    QVERIFY(!ui::num調整額(app.w)->value().isNull());
    QCOMPARE(ui::num調整額(app.w)->value().toDouble(), 0.0);

    const QDate before = QDate::currentDate();
    op::click(ui::Cmd印刷(app.w));
    const QDate after = QDate::currentDate();
    QCOMPARE(app.output.statements.size(), 1);
    const StatementValues s = app.output.statements.first();
    QCOMPARE(s.name, u"山田 花子"_s);
    QCOMPARE(s.title, u"2007年4月分"_s);
    QCOMPARE(s.wage, u"1,000"_s);
    QCOMPARE(s.hours, u"7.5"_s);
    QCOMPARE(s.adjustment, QString());
    QCOMPARE(s.total, u"7,500"_s);
    QCOMPARE(s.companyName, u"株式会社サンプル商店"_s);
    QCOMPARE(s.companyInfo, u"TEL 03-1234-5678"_s);
    QVERIFY(s.date == before || s.date == after);
    // No confirmation, no message.
    QVERIFY(app.presenter.shown.isEmpty());

    // Name and title go over exactly as typed, blanks included.
    op::fill(ui::txtタイトル(app.w), u" 4月分 前半 "_s);
    op::click(ui::Cmd印刷(app.w));
    QCOMPARE(app.output.statements.last().title, u" 4月分 前半 "_s);
    QCOMPARE(app.output.statements.last().name, u"山田 花子"_s);

    // Thousands and a half hour: a second, longer day with an adjustment.
    op::typeCell(ui::Grid明細(app.w), 1, sheet::Col日付, u"20070403"_s);
    op::typeCell(ui::Grid明細(app.w), 1, sheet::Col開始時間, u"0800"_s);
    op::typeCell(ui::Grid明細(app.w), 1, sheet::Col終了時間, u"2200"_s);
    op::typeCell(ui::Grid明細(app.w), 1, sheet::Col調整額, u"1234"_s);
    op::click(ui::Cmd印刷(app.w));
    QCOMPARE(app.output.statements.size(), 3);
    QCOMPARE(app.output.statements.last().hours, u"20.5"_s);
    QCOMPARE(app.output.statements.last().adjustment, u"1,234"_s);
    QCOMPARE(app.output.statements.last().total, u"21,734"_s);
}

// With premiums computed (set on 設定・情報): lines typed as "yyyymmdd hhmm
// hhmm", " 休日" ticking the rest-day cell; each line as the grid shows 時間,
// 深夜, 時間外, 割増 and 金額; the header's 割増 and 合計; the statement's second
// row (時間外, 深夜, 休日, 割増).
void TestStatement::premiumsOnThePageTheSheetAndTheStatement_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("breakHours");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("premium");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QStringList>("secondRow");
    QTest::newRow("1400-0200 break 1") << QStringList{u"20070402 1400 0200"_s} << u"1"_s
                                       << QStringList{u"11.0|4.0|3.0|1,750|12,750"_s} << u"1,750"_s << u"12,750"_s
                                       << QStringList{u"3.0"_s, u"4.0"_s, u".0"_s, u"1,750"_s};
    QTest::newRow("two lines of one date")
        << QStringList{u"20070402 1300 1800"_s, u"20070402 0800 1200"_s} << QString()
        << QStringList{u"5.0|.0|1.0|250|5,250"_s, u"4.0|.0|.0||4,000"_s} << u"250"_s << u"9,250"_s
        << QStringList{u"1.0"_s, u".0"_s, u".0"_s, u"250"_s};
    QTest::newRow("the rest day") << QStringList{u"20070401 1000 1600 休日"_s} << QString()
                                  << QStringList{u"6.0|.0|.0|2,100|8,100"_s} << u"2,100"_s << u"8,100"_s
                                  << QStringList{u".0"_s, u".0"_s, u"6.0"_s, u"2,100"_s};
}

void TestStatement::premiumsOnThePageTheSheetAndTheStatement()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, breakHours);
    QFETCH(QStringList, lines);
    QFETCH(QString, premium);
    QFETCH(QString, total);
    QFETCH(QStringList, secondRow);
    Pelora app;
    QVERIFY(app.start());
    ui::SSTab1(app.w)->setCurrentIndex(3);
    auto *compute = ui::find<QCheckBox>(app.w, u"chk割増計算"_s);
    op::focus(compute);
    QTest::keyClick(compute, Qt::Key_Space);
    QVERIFY(compute->isChecked());
    app.presenter.answerYes();
    op::click(ui::cmd設定登録(app.w));

    ui::SSTab1(app.w)->setCurrentIndex(0);
    DataGrid *grid = ui::Grid明細(app.w);
    QVERIFY(!grid->isColumnHidden(sheet::Col割増));
    op::fill(ui::cmb氏名(app.w), u"山田 花子"_s);
    op::fill(ui::txtタイトル(app.w), u"2007年4月分"_s);
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::fill(ui::num休憩(app.w), breakHours);
    for (int row = 0; row < typed.size(); ++row) {
        const QStringList parts = typed.at(row).split(u' ');
        op::typeCell(grid, row, sheet::Col日付, parts.at(0));
        op::typeCell(grid, row, sheet::Col開始時間, parts.at(1));
        if (parts.size() > 3) {
            op::selectCell(grid, row, sheet::Col休日);
            QTest::keyClick(grid, Qt::Key_Space);
        }
        op::typeCell(grid, row, sheet::Col終了時間, parts.at(2));
    }
    auto shownLine = [grid](int row) {
        QStringList cells;
        for (int column : {sheet::Col時間, sheet::Col深夜, sheet::Col時間外, sheet::Col割増, sheet::Col金額})
            cells.append(grid->model()->index(row, column).data().toString());
        return cells.join(u'|');
    };
    for (int row = 0; row < lines.size(); ++row)
        QCOMPARE(shownLine(row), lines.at(row));
    QCOMPARE(ui::find<NumberEdit>(app.w, u"num割増"_s)->text(), premium);
    QCOMPARE(ui::num合計(app.w)->text(), total);

    // The statement: its second row, and the parts adding up to the total printed.
    op::click(ui::Cmd印刷(app.w));
    QCOMPARE(app.output.statements.size(), 1);
    const StatementValues s = app.output.statements.first();
    QVERIFY(s.premiums);
    QCOMPARE((QStringList{s.overtime, s.night, s.restDay, s.premium}), secondRow);
    QCOMPARE(s.total, total);
    // The work table holds what the grid shows, and the sheet is registered with it
    // (which clears the page).
    const QString premiumSums = u"SELECT sum(深夜), sum(時間外), sum(割増) FROM %1"_s;
    const QVariantList worked = app.workRows(premiumSums.arg(u"w明細"_s)).value(0);
    app.presenter.answerYes();
    op::click(ui::cmd登録(app.w));
    QCOMPARE(app.mainRows(premiumSums.arg(u"時給明細"_s)).value(0), worked);
    const QVariantList header =
        app.mainRows(u"SELECT 時間外, 深夜, 休日, 割増, 合計 FROM 時給ヘッダ"_s).value(0);
    QCOMPARE(header.value(3).toDouble(), QLocale::c().toDouble(QString(premium).remove(u',')));
    QCOMPARE(header.value(4).toDouble(), QLocale::c().toDouble(QString(total).remove(u',')));

    const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed: the PDF's text is not read");
    QTemporaryDir dir;
    const QString file = dir.filePath(u"明細.pdf"_s);
    QVERIFY(PreviewOutput::writePdf(s, file));
    QProcess reader;
    reader.start(pdftotext, {u"-layout"_s, file, u"-"_s});
    QVERIFY(reader.waitForFinished());
    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    for (const QString &caption : {u"時間外"_s, u"深夜"_s, u"休日"_s, u"割増"_s})
        QVERIFY2(text.contains(caption), qPrintable(text));
    for (const QString &value : secondRow + QStringList{total})
        QVERIFY2(text.contains(value), qPrintable(text));
}

void TestStatement::zeroHoursAndZeroAdjustment()
{
    Pelora app;
    QVERIFY(app.start());
    ui::SSTab1(app.w)->setCurrentIndex(0);
    op::fill(ui::num時給(app.w), u"1000"_s);
    op::fill(ui::num時間(app.w), u"0"_s);
    op::fill(ui::num調整額(app.w), u"0"_s);
    op::fill(ui::num合計(app.w), u"0"_s);
    op::click(ui::Cmd印刷(app.w));
    QCOMPARE(app.output.statements.size(), 1);
    const StatementValues s = app.output.statements.first();
    QCOMPARE(s.hours, u".0"_s);
    QCOMPARE(s.adjustment, QString());
    QCOMPARE(s.total, QString());
    QCOMPARE(s.wage, u"1,000"_s);

    op::fill(ui::num時間(app.w), u"0.5"_s);
    op::click(ui::Cmd印刷(app.w));
    QCOMPARE(app.output.statements.last().hours, u".5"_s);
}

void TestStatement::emptyPagePrintsTheBareHonorific()
{
    Pelora app;
    QVERIFY(app.start());
    ui::SSTab1(app.w)->setCurrentIndex(0);
    op::click(ui::Cmd印刷(app.w));
    QCOMPARE(app.output.statements.size(), 1);
    const StatementValues s = app.output.statements.first();
    QCOMPARE(s.name, QString());
    const QList<StatementItem> items = statementItems(s);
    QCOMPARE(find(items, u"txt氏名"_s)->text, u"　様"_s);
    for (const QString &value : {s.title, s.wage, s.hours, s.adjustment, s.total, s.companyName, s.companyInfo})
        QCOMPARE(value, QString());
    QVERIFY(app.presenter.shown.isEmpty());
}

void TestStatement::printingChangesNothing()
{
    Pelora app;
    QVERIFY(app.start());
    typeOneDay(app);
    ui::Grid明細(app.w)->setFocus();
    QApplication::processEvents();

    auto pageState = [&] {
        QStringList state{ui::cmb氏名(app.w)->currentText(), ui::txtタイトル(app.w)->text()};
        for (NumberEdit *field : {ui::num時給(app.w), ui::num休憩(app.w), ui::num調整額(app.w), ui::num時間(app.w), ui::num合計(app.w)})
            state << field->text() << field->value().toString();
        for (int row = 0; row < ui::dat明細(app.w)->rowCount(); ++row)
            for (int col = 0; col < ui::dat明細(app.w)->columnCount(); ++col)
                state << ui::dat明細(app.w)->displayText(row, col);
        state << QString::number(ui::cmb氏名(app.w)->count());
        return state;
    };
    const QStringList page = pageState();
    const auto lines = app.workRows(u"SELECT rowid, * FROM w明細 ORDER BY rowid"_s);
    const QByteArray mainFile = fileHash(app.paths.MainDbPath);
    const QByteArray workFile = fileHash(app.paths.WorkDbPath);
    QVERIFY(!mainFile.isEmpty() && !workFile.isEmpty());

    op::click(ui::Cmd印刷(app.w));
    QCOMPARE(app.output.statements.size(), 1);

    QCOMPARE(pageState(), page);
    QCOMPARE(app.workRows(u"SELECT rowid, * FROM w明細 ORDER BY rowid"_s), lines);
    QCOMPARE(fileHash(app.paths.MainDbPath), mainFile);
    QCOMPARE(fileHash(app.paths.WorkDbPath), workFile);
    // The sheet was printed without being registered.
    QCOMPARE(app.mainRows(u"SELECT count(*) FROM 時給ヘッダ"_s).first().value(0).toInt(), 0);
}

void TestStatement::batchLayout_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("perPage");
    QTest::newRow("一枚") << 1 << QList<int>{1};
    QTest::newRow("六枚") << 6 << QList<int>{6};
    QTest::newRow("七枚") << 7 << QList<int>{6, 1};
    QTest::newRow("五十枚") << 50 << QList<int>{6, 6, 6, 6, 6, 6, 6, 6, 2};
}

void TestStatement::batchLayout()
{
    QFETCH(int, count);
    QFETCH(QList<int>, perPage);
    QPrinter printer;
    PreviewOutput::setUpPage(printer);
    const double height = printer.pageLayout().paintRect(QPageLayout::Millimeter).height() / 25.4 * 1440;
    QList<int> counts;
    int next = 0;
    for (const StatementPage &page : layOutStatements(count, height)) {
        counts.append(int(page.tops.size()));
        QCOMPARE(page.first, next); // in order, none left out
        next += int(page.tops.size());
        QCOMPARE(page.cutLines.size(), page.tops.size() - 1);
        for (qsizetype i = 0; i < page.tops.size(); ++i) {
            QVERIFY(page.tops[i] >= 0 && page.tops[i] + StatementHeightTwips <= height);
            if (i > 0) // between the two, touching neither
                QVERIFY(page.tops[i - 1] + StatementHeightTwips < page.cutLines[i - 1]
                        && page.cutLines[i - 1] < page.tops[i]);
        }
    }
    QCOMPARE(counts, perPage);
}

void TestStatement::batchPageDrawsEachStatementAsAlone()
{
    const double dpi = 144; // statements fall on whole pixels
    const double px = dpi / 1440;
    QList<StatementValues> statements{sample(), sample(), sample()};
    statements[1].name = u"O'Brien, \"Pat\""_s;
    statements[2].total = u"-9,999,999"_s;
    const StatementPage page = layOutStatements(3, 15000).first();
    QImage image(int(StatementWidthTwips * px), int(15000 * px), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintStatementPage(painter, image.rect(), dpi, statements, page);
    painter.end();
    const QSize one(int(StatementWidthTwips * px), int(StatementHeightTwips * px));
    auto inked = [&](int y) {
        int n = 0;
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 250 ? 1 : 0;
        return double(n) / image.width();
    };
    for (int i = 0; i < 3; ++i) {
        QImage alone(one, QImage::Format_RGB32);
        alone.fill(Qt::white);
        QPainter p(&alone);
        renderStatement(p, QRectF(QPointF(0, 0), one), dpi, statements.at(i));
        p.end();
        const int top = qRound(page.tops.at(i) * px);
        QVERIFY2(image.copy(QRect(QPoint(0, top), one)) == alone, qPrintable(QString::number(i)));
        // Below it: blank but for a dashed line through the middle of the gap
        // (none after the last).
        const int cut = i < 2 ? qRound(page.cutLines.at(i) * px) : -10;
        for (int y = top + one.height(); y < (i < 2 ? qRound(page.tops.at(i + 1) * px) : image.height()); ++y)
            QVERIFY2(std::abs(y - cut) <= 1 || inked(y) == 0, qPrintable(u"ink at %1"_s.arg(y)));
        if (i < 2)
            QVERIFY(std::max({inked(cut - 1), inked(cut), inked(cut + 1)}) > 0.3
                    && std::max({inked(cut - 1), inked(cut), inked(cut + 1)}) < 0.9);
    }
    QTemporaryDir dir;
    QVERIFY(PreviewOutput::writePdf(QList<StatementValues>(7, sample()), dir.filePath(u"a.pdf"_s)));
    QFile pdf(dir.filePath(u"a.pdf"_s));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 2);
}

QTEST_MAIN(TestStatement)
#include "tst_statement.moc"
