// Tests of the JPEG decoder: the splash picture itself, and damaged data that must give no picture.
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QtTest>

#include "common/Fonts.h"
#include "windows/JpegDecoder.h"
#include "windows/Resources.h"

namespace {

QByteArray splashBytes() {
    QFile file(QStringLiteral(":/splash.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Position of the first marker FF xx in the data, or -1.
qsizetype markerAt(const QByteArray& data, unsigned char marker) {
    for (qsizetype i = 0; i + 1 < data.size(); ++i) {
        if (static_cast<unsigned char>(data[i]) == 0xFF && static_cast<unsigned char>(data[i + 1]) == marker) {
            return i;
        }
    }
    return -1;
}

// The frame header SOF0 or SOF2: marker, length (2), precision (1), height (2), width (2), components.
qsizetype frameHeaderAt(const QByteArray& data) {
    const qsizetype baseline = markerAt(data, 0xC0);
    return baseline >= 0 ? baseline : markerAt(data, 0xC2);
}

}  // namespace

class JpegTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void decodesTheSplashPicture();
    void damagedDataGivesNoPicture_data();
    void damagedDataGivesNoPicture();
    void randomDamageNeverCrashes();
};

void JpegTest::initTestCase() {
    InstallFontSubstitutions();
    InitMirelundResources();
    InitMirelundResources();  // a second call must be harmless
    QVERIFY2(!splashBytes().isEmpty(), "the splash picture is compiled into the program");
}

void JpegTest::decodesTheSplashPicture() {
    const QImage picture = DecodeJpeg(splashBytes());
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), QSize(105, 207));
    QVERIFY2(!picture.allGray(), "a colour picture");
    // White background in the corner, the black base band of the valve in the lower middle.
    QVERIFY(qGray(picture.pixel(2, 2)) > 245);
    QVERIFY(qGray(picture.pixel(47, 167)) < 60);
}

void JpegTest::damagedDataGivesNoPicture_data() {
    QTest::addColumn<QByteArray>("data");
    const QByteArray good = splashBytes();

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage text") << QByteArray("this is not a picture at all");
    QTest::newRow("zero bytes") << QByteArray(4096, '\0');
    QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2);
    QTest::newRow("start marker and garbage") << QByteArray("\xFF\xD8\xFF\x00garbage", 11);
    QTest::newRow("truncated to 20 bytes") << good.left(20);
    QTest::newRow("truncated in the tables") << good.left(300);
    QTest::newRow("truncated halfway") << good.left(good.size() / 2);
    QTest::newRow("end marker missing") << good.left(good.size() - 2);

    // A frame header claiming far more pixels than any picture of ours.
    QByteArray huge = good;
    const qsizetype frame = frameHeaderAt(huge);
    QVERIFY(frame >= 0);
    huge[frame + 5] = char(0xFF);
    huge[frame + 6] = char(0xFF);
    huge[frame + 7] = char(0xFF);
    huge[frame + 8] = char(0xFF);
    QTest::newRow("65535 x 65535 in the header") << huge;

    QByteArray zeroHeight = good;
    zeroHeight[frame + 5] = 0;
    zeroHeight[frame + 6] = 0;
    QTest::newRow("zero height in the header") << zeroHeight;

    QByteArray badComponents = good;
    badComponents[frame + 9] = 7;
    QTest::newRow("seven colour components") << badComponents;

    // (Missing Huffman tables are no test: libjpeg then uses the standard ones, as motion JPEG needs.)
    QByteArray noQuantisation = good;
    for (qsizetype table = markerAt(noQuantisation, 0xDB); table >= 0; table = markerAt(noQuantisation, 0xDB)) {
        noQuantisation[table + 1] = char(0xEE);  // each quantisation table becomes an application block
    }
    QTest::newRow("quantisation tables removed") << noQuantisation;

    QByteArray badScan = good;
    const qsizetype scan = markerAt(badScan, 0xDA);
    QVERIFY(scan >= 0);
    badScan[scan + 5] = char(9);  // the scan names a component the frame does not have
    QTest::newRow("scan of a missing component") << badScan;
}

void JpegTest::damagedDataGivesNoPicture() {
    QFETCH(QByteArray, data);
    QVERIFY(DecodeJpeg(data).isNull());
}

// Damage anywhere may go unnoticed by the format (a changed pixel value is still a picture), but it may
// never crash, and whatever comes back is either nothing or a whole picture of the stated size.
void JpegTest::randomDamageNeverCrashes() {
    const QByteArray good = splashBytes();
    QRandomGenerator random(20240611);
    int rejected = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray damaged = good;
        const int changes = 1 + int(random.bounded(8));
        for (int change = 0; change < changes; ++change) {
            damaged[random.bounded(damaged.size())] = char(random.bounded(256));
        }
        if (round % 3 == 0) {
            damaged.truncate(random.bounded(damaged.size()));
        }
        const QImage picture = DecodeJpeg(damaged);
        if (picture.isNull()) {
            ++rejected;
        } else {
            QVERIFY(picture.width() > 0 && picture.height() > 0);
            QVERIFY(picture.width() <= MaxJpegSide && picture.height() <= MaxJpegSide);
        }
    }
    // Every truncated copy at least is refused.
    QVERIFY(rejected >= 100);
}

QTEST_MAIN(JpegTest)
#include "tst_jpeg.moc"
