// The stored console font: its 60 bytes, and the way it becomes a QFont and back.
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <limits>

#include "app/settings/font_record.h"
#include "app/settings/settings.h"
#include "console_fixture.h"

using namespace tallix;

class FontRecordTest : public QObject {
    Q_OBJECT

  private slots:
    void defaultRecordBytes();
    void roundTrip_data();
    void roundTrip();
    void onlySixtyBytesAreARecord_data();
    void onlySixtyBytesAreARecord();
    void faceNameIsCutAtACharacter_data();
    void faceNameIsCutAtACharacter();
    void unterminatedFaceNameIsRead();
    void storedNonRecordGivesTheDefault_data();
    void storedNonRecordGivesTheDefault();
    void implausibleRecordGivesTheDefault_data();
    void implausibleRecordGivesTheDefault();
    void recordToFont_data();
    void recordToFont();
    void positiveHeightIsTheCell();
    void missingFaceFallsBackToItsPitch();
    void chosenFontToRecord();
};

// Every field at its offset, little-endian, as any other program reading the store expects.
void FontRecordTest::defaultRecordBytes() {
    const QByteArray bytes = encodeLogFont(defaultLogFont());
    QCOMPARE(bytes.size(), 60);
    QCOMPARE(qFromLittleEndian<int32_t>(bytes.constData()), -13);
    QCOMPARE(qFromLittleEndian<int32_t>(bytes.constData() + 16), 400);
    const QByteArray flags = bytes.mid(20, 8);
    QCOMPARE(flags, QByteArray::fromHex("0000008001020101"));
    QCOMPARE(bytes.mid(28), QByteArray("FixedSys").leftJustified(32, '\0'));
    QCOMPARE(bytes.left(16).mid(4), QByteArray(12, '\0'));
}

void FontRecordTest::roundTrip_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("default") << encodeLogFont(defaultLogFont());
    LogFont every;
    every.height = 0x12345678;
    every.width = -2;
    every.escapement = 900;
    every.orientation = -900;
    every.weight = 700;
    every.italic = 1;
    every.underline = 1;
    every.strikeOut = 1;
    every.charSet = 255;
    every.outPrecision = 3;
    every.clipPrecision = 2;
    every.quality = 5;
    every.pitchAndFamily = 0x31;
    setFaceName(every, QStringLiteral("ＭＳ ゴシック"));
    QTest::newRow("every field") << encodeLogFont(every);
    QByteArray noise(60, '\0');
    for (int i = 0; i < 60; ++i)
        noise[i] = char(i * 37 + 11);
    QTest::newRow("arbitrary bytes") << noise;
}

void FontRecordTest::roundTrip() {
    QFETCH(QByteArray, bytes);
    const auto record = decodeLogFont(bytes);
    QVERIFY(record.has_value());
    QCOMPARE(encodeLogFont(*record), bytes);
}

void FontRecordTest::onlySixtyBytesAreARecord_data() {
    QTest::addColumn<int>("size");
    for (int size : {0, 1, 59, 61, 92})
        QTest::newRow(qPrintable(QString::number(size))) << size;
}

void FontRecordTest::onlySixtyBytesAreARecord() {
    QFETCH(int, size);
    const QByteArray bytes = encodeLogFont(defaultLogFont()).leftJustified(size, 'x', true);
    QVERIFY(!decodeLogFont(bytes).has_value());
    const QFont fallback = fontFromSetting(bytes);
    QCOMPARE(fallback, toQFont(defaultLogFont()));
}

void FontRecordTest::faceNameIsCutAtACharacter_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("kept");
    QTest::newRow("short") << "Noto Sans Mono"
                           << "Noto Sans Mono";
    QTest::newRow("31 ASCII bytes") << QString(31, 'a') << QString(31, 'a');
    QTest::newRow("32 ASCII bytes") << QString(32, 'b') << QString(31, 'b');
    // Ten three-byte characters are 30 bytes; the eleventh would end at byte 33.
    QTest::newRow("three-byte characters")
        << QString(u'明').repeated(11) << QString(u'明').repeated(10);
    QTest::newRow("a character across byte 31")
        << "x" + QString(u'明').repeated(11) << "x" + QString(u'明').repeated(10);
}

void FontRecordTest::faceNameIsCutAtACharacter() {
    QFETCH(QString, face);
    QFETCH(QString, kept);
    LogFont record;
    setFaceName(record, face);
    QCOMPARE(faceName(record), kept);
    QCOMPARE(record.faceName[31], '\0');
    QCOMPARE(faceName(*decodeLogFont(encodeLogFont(record))), kept);
}

void FontRecordTest::unterminatedFaceNameIsRead() {
    QByteArray bytes = encodeLogFont(defaultLogFont());
    bytes.replace(28, 32, QByteArray(32, 'Z'));
    QCOMPARE(faceName(*decodeLogFont(bytes)), QString(32, 'Z'));
}

// What a damaged or hand-edited store holds under `font`, read as the console reads it.
void FontRecordTest::storedNonRecordGivesTheDefault_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("empty") << QByteArray("font=@ByteArray()");
    QTest::newRow("short") << QByteArray("font=@ByteArray(\\xf3\\xff\\xff\\xff)");
    QTest::newRow("59 bytes") << "font=@ByteArray(" + QByteArray(59, 'a') + ")";
    QTest::newRow("61 bytes") << "font=@ByteArray(" + QByteArray(61, 'a') + ")";
    QTest::newRow("bad escapes") << QByteArray("font=@ByteArray(\\xZZ\\x\\q\\)");
    QTest::newRow("unterminated") << QByteArray("font=@ByteArray(abc");
    QTest::newRow("text") << QByteArray("font=FixedSys");
    QTest::newRow("list") << QByteArray("font=FixedSys, 13");
    QTest::newRow("hex digits") << "font=" + encodeLogFont(defaultLogFont()).toHex();
    QTest::newRow("nothing") << QByteArray("font=");
}

void FontRecordTest::storedNonRecordGivesTheDefault() {
    QFETCH(QByteArray, line);
    QTemporaryDir dir;
    const QString path = dir.filePath("Tallix.conf");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Settings]\n" + line + "\n");
    file.close();
    QCOMPARE(fontFromSetting(Settings(path).font()), toQFont(defaultLogFont()));
}

// Records of the right length whose fields no chosen font has: a size the
// rasteriser would choke on, or one whose negation overflows.
void FontRecordTest::implausibleRecordGivesTheDefault_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("weight");
    QTest::addColumn<bool>("plausible");
    const int lowest = std::numeric_limits<int32_t>::min();
    const int highest = std::numeric_limits<int32_t>::max();
    QTest::newRow("lowest height") << lowest << 400 << false;
    QTest::newRow("highest height") << highest << 400 << false;
    QTest::newRow("too tall") << -(MAX_FONT_PIXELS + 1) << 400 << false;
    QTest::newRow("too tall a cell") << MAX_FONT_PIXELS + 1 << 400 << false;
    QTest::newRow("negative weight") << -13 << -1 << false;
    QTest::newRow("weight above the scale") << -13 << 1001 << false;
    QTest::newRow("lowest weight") << -13 << lowest << false;
    QTest::newRow("tallest") << -MAX_FONT_PIXELS << 400 << true;
    QTest::newRow("tallest cell") << MAX_FONT_PIXELS << 400 << true;
    QTest::newRow("any height, any weight") << 0 << 0 << true;
    QTest::newRow("heaviest") << -14 << 1000 << true;
}

void FontRecordTest::implausibleRecordGivesTheDefault() {
    QFETCH(int, height);
    QFETCH(int, weight);
    QFETCH(bool, plausible);
    LogFont record = defaultLogFont();
    setFaceName(record, QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family());
    record.height = height;
    record.weight = weight;
    QCOMPARE(isPlausible(record), plausible);
    const QFont font = fontFromSetting(encodeLogFont(record));
    QCOMPARE(font, toQFont(plausible ? record : defaultLogFont()));
}

void FontRecordTest::recordToFont_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("weight");
    QTest::addColumn<int>("flags");  // 1 italic, 2 underline, 4 strike-out
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<int>("qtWeight");
    QTest::newRow("default") << -13 << 400 << 0 << 13 << int(QFont::Normal);
    QTest::newRow("bold italic") << -20 << 700 << 1 << 20 << int(QFont::Bold);
    QTest::newRow("thin underlined") << -9 << 100 << 2 << 9 << int(QFont::Thin);
    QTest::newRow("black struck out") << -30 << 900 << 4 << 30 << int(QFont::Black);
    QTest::newRow("any weight") << -15 << 0 << 7 << 15 << int(QFont::Normal);
}

void FontRecordTest::recordToFont() {
    QFETCH(int, height);
    QFETCH(int, weight);
    QFETCH(int, flags);
    QFETCH(int, pixelSize);
    QFETCH(int, qtWeight);
    LogFont record = defaultLogFont();
    record.height = height;
    record.weight = weight;
    record.italic = flags & 1;
    record.underline = (flags >> 1) & 1;
    record.strikeOut = (flags >> 2) & 1;
    const QFont font = toQFont(record);
    QCOMPARE(font.pixelSize(), pixelSize);
    QCOMPARE(int(font.weight()), qtWeight);
    QCOMPARE(font.italic(), bool(flags & 1));
    QCOMPARE(font.underline(), bool(flags & 2));
    QCOMPARE(font.strikeOut(), bool(flags & 4));
}

void FontRecordTest::positiveHeightIsTheCell() {
    LogFont record = defaultLogFont();
    record.height = 24;
    const QFont font = toQFont(record);
    QVERIFY(font.pixelSize() > 0);
    QVERIFY(font.pixelSize() <= 24);
    QVERIFY(qAbs(QFontMetrics(font).height() - 24) <= 2);
}

void FontRecordTest::missingFaceFallsBackToItsPitch() {
    LogFont record = defaultLogFont();
    setFaceName(record, QStringLiteral("No Such Face 4711"));
    QVERIFY(!QFontDatabase::hasFamily("No Such Face 4711"));
    QVERIFY(test::looksMonospaced(toQFont(record)));
    QCOMPARE(QFontInfo(toQFont(record)).pixelSize(), 13);
}

void FontRecordTest::chosenFontToRecord() {
    QFont chosen = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    chosen.setPixelSize(19);
    chosen.setWeight(QFont::DemiBold);
    chosen.setItalic(true);
    chosen.setUnderline(true);
    chosen.setStrikeOut(true);
    const LogFont record = fromQFont(chosen);
    QCOMPARE(record.height, -19);
    QCOMPARE(record.weight, 600);
    QCOMPARE(record.italic, uint8_t(1));
    QCOMPARE(record.underline, uint8_t(0));
    QCOMPARE(record.strikeOut, uint8_t(0));
    QCOMPARE(record.charSet, DEFAULT_CHARSET);
    QCOMPARE(record.pitchAndFamily & 3,
             test::looksMonospaced(chosen) ? FIXED_PITCH : VARIABLE_PITCH);
    QCOMPARE(faceName(record), QFontInfo(chosen).family());

    // What is stored shows the same again.
    const QFont again = toQFont(record);
    QCOMPARE(QFontInfo(again).family(), QFontInfo(chosen).family());
    QCOMPARE(again.pixelSize(), 19);
}

QTEST_MAIN(FontRecordTest)
#include "font_record_test.moc"
