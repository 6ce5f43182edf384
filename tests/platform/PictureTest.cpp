// Pictures: our metafiles render with their colours, raster files load, damaged files give nothing.
#include "platform/Picture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {
const QString kImages = QStringLiteral(ODOMARK_RESOURCES "/images/");

bool near(QRgb actual, QColor expected, int tolerance = 24) {
    return qAlpha(actual) == 255 && std::abs(qRed(actual) - expected.red()) <= tolerance &&
           std::abs(qGreen(actual) - expected.green()) <= tolerance &&
           std::abs(qBlue(actual) - expected.blue()) <= tolerance;
}

std::string describe(QRgb c) {
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c)).arg(qAlpha(c)).toStdString();
}

// Builds metafile bytes record by record.
class WmfBuilder {
public:
    WmfBuilder& placeable(qint16 right, qint16 bottom, quint16 inch = 96) {
        placeable_ = true;
        right_ = right;
        bottom_ = bottom;
        inch_ = inch;
        return *this;
    }
    WmfBuilder& record(quint16 function, std::initializer_list<qint16> params) {
        QByteArray r;
        put32(r, quint32(3 + params.size()));
        put16(r, function);
        for (qint16 p : params)
            put16(r, quint16(p));
        records_ += r;
        return *this;
    }
    WmfBuilder& raw(const QByteArray& bytes) {
        records_ += bytes;
        return *this;
    }
    QByteArray bytes(bool withEof = true) const {
        QByteArray out;
        if (placeable_) {
            put32(out, 0x9AC6CDD7);
            put16(out, 0);
            for (qint16 v : {qint16(0), qint16(0), right_, bottom_})
                put16(out, quint16(v));
            put16(out, inch_);
            put32(out, 0);
            put16(out, 0);
        }
        QByteArray body = records_;
        if (withEof)
            body += QByteArray::fromHex("030000000000");
        put16(out, 1);
        put16(out, 9);
        put16(out, 0x0300);
        put32(out, quint32(9 + body.size() / 2));
        put16(out, 8);
        put32(out, 16);
        put16(out, 0);
        return out + body;
    }

private:
    static void put16(QByteArray& a, quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        a.append(b, 2);
    }
    static void put32(QByteArray& a, quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        a.append(b, 4);
    }
    bool placeable_ = false;
    qint16 right_ = 0, bottom_ = 0;
    quint16 inch_ = 96;
    QByteArray records_;
};

// Colour parameters of a pen or brush: red and green in one word, blue and flags in the next.
qint16 rg(int r, int g) {
    return qint16(r | (g << 8));
}
qint16 b0(int b) {
    return qint16(b);
}

WmfBuilder solidBrush(WmfBuilder w, int r, int g, int b) {
    return w.record(0x02FC, {0, rg(r, g), b0(b), 0});
}

struct PixelCase {
    const char* file;
    int x, y;
    QColor colour;
    const char* what;
};

class MetafilePixels : public ::testing::TestWithParam<PixelCase> {};

TEST_P(MetafilePixels, ArePaintedInTheirColours) {
    const PixelCase& c = GetParam();
    const QImage image = LoadPicture(kImages + c.file).toImage();
    ASSERT_FALSE(image.isNull()) << c.file;
    const QRgb pixel = image.pixel(c.x, c.y);
    EXPECT_TRUE(near(pixel, c.colour)) << c.file << " " << c.what << " is " << describe(pixel);
}

INSTANTIATE_TEST_SUITE_P(OurPictures, MetafilePixels,
                         ::testing::Values(PixelCase{"trip.wmf", 5, 5, QColor(135, 196, 235), "sky"},
                                           PixelCase{"trip.wmf", 187, 31, QColor(255, 214, 64), "sun"},
                                           PixelCase{"trip.wmf", 100, 118, QColor(200, 32, 40), "car body"},
                                           PixelCase{"trip.wmf", 100, 98, QColor(170, 215, 240), "car window"},
                                           PixelCase{"trip.wmf", 71, 129, QColor(200, 200, 210), "wheel hub"},
                                           PixelCase{"trip.wmf", 30, 152, QColor(96, 96, 104), "road"},
                                           PixelCase{"trip.wmf", 111, 78, QColor(214, 150, 70), "suitcase"},
                                           PixelCase{"hwy.wmf", 5, 5, QColor(135, 196, 235), "sky"},
                                           PixelCase{"hwy.wmf", 80, 170, QColor(96, 96, 104), "road"},
                                           PixelCase{"hwy.wmf", 10, 170, QColor(60, 128, 52), "field"},
                                           PixelCase{"hwy.wmf", 190, 71, QColor(0, 122, 72), "route sign"}));

TEST(Metafile, RendersAtItsOwnSizeOrFitsTheSizeAsked) {
    EXPECT_EQ(LoadPicture(kImages + "trip.wmf").size(), QSize(220, 170));
    EXPECT_EQ(LoadPicture(kImages + "hwy.wmf").size(), QSize(240, 180));
    EXPECT_EQ(LoadPicture(kImages + "hwy.wmf", QSize(120, 120)).size(), QSize(120, 90));
    // On a 2x screen a metafile is drawn with twice the pixels, not scaled up.
    for (const QSize& asked : {QSize(), QSize(120, 120)}) {
        const QPixmap sharp = LoadPicture(kImages + "hwy.wmf", asked, 2);
        const QSize logical = asked.isValid() ? QSize(120, 90) : QSize(240, 180);
        EXPECT_EQ(sharp.devicePixelRatio(), 2);
        EXPECT_EQ(sharp.size(), logical * 2);
        EXPECT_EQ(sharp.deviceIndependentSize().toSize(), logical);
        EXPECT_TRUE(near(sharp.toImage().pixel(sharp.width() / 24, 170 * sharp.height() / 180), QColor(60, 128, 52)))
            << "the field, drawn at the larger size";
    }
    EXPECT_EQ(LoadPicture(kImages + "trip_01.jpg", QSize(512, 512), 2).size(), QSize(1024, 768));
    // The placeable header's units per inch decide the size on a 96 dpi screen.
    EXPECT_EQ(RenderMetafile(WmfBuilder().placeable(1440, 720, 1440).bytes()).size(), QSize(96, 48));
    // A frame written right to left is the same frame.
    WmfBuilder reversed;
    reversed.placeable(-30, 20);
    EXPECT_EQ(RenderMetafile(reversed.bytes()).size(), QSize(30, 20));
}

TEST(Metafile, OutsideThePictureStaysTransparent) {
    // The trip picture leaves nothing unpainted inside its frame, so a transparent corner would be a mapping fault;
    // a picture drawn in one corner leaves the rest clear.
    const QImage full = LoadPicture(kImages + "trip.wmf").toImage();
    EXPECT_EQ(qAlpha(full.pixel(full.width() - 1, full.height() - 1)), 255);
    const QByteArray corner = solidBrush(WmfBuilder().placeable(100, 100), 255, 0, 0)
                                  .record(0x012D, {0})
                                  .record(0x041B, {10, 10, 0, 0})
                                  .bytes();
    const QImage image = RenderMetafile(corner);
    ASSERT_EQ(image.size(), QSize(100, 100));
    EXPECT_TRUE(near(image.pixel(5, 5), Qt::red));
    EXPECT_EQ(qAlpha(image.pixel(50, 50)), 0);
}

TEST(Metafile, RouteSignTextIsDrawn) {
    const QImage image = LoadPicture(kImages + "hwy.wmf").toImage();
    int white = 0;
    for (int y = 74; y < 90; ++y)
        for (int x = 194; x < 230; ++x)
            white += near(image.pixel(x, y), Qt::white, 40);
    EXPECT_GT(white, 20) << "the sign's lettering";
}

TEST(Metafile, ObjectSlotsAreReusedLowestFirst) {
    // Red goes to slot 0, blue to 1; deleting 0 and creating green puts green in slot 0.
    WmfBuilder w = WmfBuilder().placeable(20, 20);
    w = solidBrush(w, 255, 0, 0);
    w = solidBrush(w, 0, 0, 255);
    w.record(0x01F0, {0});
    w = solidBrush(w, 0, 255, 0);
    w.record(0x012D, {0}).record(0x041B, {20, 20, 0, 0});
    const QImage image = RenderMetafile(w.bytes());
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(near(image.pixel(10, 10), Qt::green)) << describe(image.pixel(10, 10));
}

TEST(Metafile, WindowRecordsMapLogicalUnits) {
    // No placeable header: the first window extent is the picture's size; a later window maps the drawing.
    const QByteArray bytes = solidBrush(WmfBuilder().record(0x020C, {50, 80}), 0, 0, 255)
                                 .record(0x012D, {0})
                                 .record(0x020B, {100, 100})
                                 .record(0x020C, {10, 10})
                                 .record(0x041B, {110, 105, 100, 100}) // the left half of the window
                                 .bytes();
    const QImage image = RenderMetafile(bytes);
    ASSERT_EQ(image.size(), QSize(80, 50));
    EXPECT_TRUE(near(image.pixel(20, 25), Qt::blue));
    EXPECT_EQ(qAlpha(image.pixel(60, 25)), 0);
}

struct Damaged {
    const char* name;
    QByteArray bytes;
    bool readable;
};

class DamagedMetafile : public ::testing::TestWithParam<Damaged> {};

TEST_P(DamagedMetafile, NeitherCrashesNorHangs) {
    const Damaged& c = GetParam();
    EXPECT_EQ(!RenderMetafile(c.bytes).isNull(), c.readable) << c.name;
}

QByteArray record(quint32 words, quint16 function) {
    QByteArray r(6, '\0');
    qToLittleEndian(words, r.data());
    qToLittleEndian(function, r.data() + 4);
    return r;
}

std::vector<Damaged> damagedCases() {
    const WmfBuilder base = WmfBuilder().placeable(50, 50);
    std::vector<Damaged> cases = {
        {"empty", QByteArray(), false},
        {"text", QByteArray("not a picture at all, just words"), false},
        {"placeable header only", base.bytes().left(22), false},
        {"no inch", WmfBuilder().placeable(50, 50, 0).bytes(), false},
        {"empty frame", WmfBuilder().placeable(0, 50).bytes(), false},
        {"no frame and no window", WmfBuilder().bytes(), false},
        {"record of size 0", WmfBuilder(base).raw(record(0, 0x041B)).bytes(), false},
        {"record of size 2", WmfBuilder(base).raw(record(2, 0x041B)).bytes(), false},
        {"record longer than the file", WmfBuilder(base).raw(record(100000, 0x0324)).bytes(), false},
        {"record size near 2^32", WmfBuilder(base).raw(record(0xFFFFFFFF, 0x0324)).bytes(), false},
        {"half a record header", WmfBuilder(base).raw(QByteArray(3, '\x01')).bytes(false), false},
        {"no end record", base.bytes(false), true},
        {"select of a missing object", WmfBuilder(base).record(0x012D, {500}).bytes(), true},
        {"delete of a missing object", WmfBuilder(base).record(0x01F0, {-1}).bytes(), true},
        {"polygon claims more points than it has", WmfBuilder(base).record(0x0324, {30000, 1, 1, 5, 5}).bytes(), true},
        {"polygon with a negative count", WmfBuilder(base).record(0x0324, {-4, 1, 1, 5, 5}).bytes(), true},
        {"polypolygon counts past the record", WmfBuilder(base).record(0x0538, {2, 30000, 30000, 1, 1}).bytes(), true},
        {"polypolygon without counts", WmfBuilder(base).record(0x0538, {-1}).bytes(), true},
        {"text longer than its record", WmfBuilder(base).record(0x0521, {32000, 0x4141, 5, 5}).bytes(), true},
        {"extended text past its record", WmfBuilder(base).record(0x0A32, {5, 5, 500, 6, 0x4141}).bytes(), true},
        {"rectangle without corners", WmfBuilder(base).record(0x041B, {}).bytes(), true},
        {"window extent of zero", WmfBuilder(base).record(0x020C, {0, 0}).record(0x041B, {9, 9, 1, 1}).bytes(), true},
        {"huge pen on a tiny window",
         WmfBuilder(base)
             .record(0x020C, {1, 1})
             .record(0x02FA, {0, 32767, 0, 0, 0})
             .record(0x012D, {0})
             .record(0x0325, {2, 0, 0, 1, 1})
             .bytes(),
         true},
        {"font without a face name",
         WmfBuilder(base).record(0x02FB, {-12}).record(0x012D, {0}).record(0x0521, {2, 0x4141, 5, 5}).bytes(), true},
        {"restore of an unsaved state", WmfBuilder(base).record(0x0127, {-5}).record(0x0127, {3}).bytes(), true},
    };
    // Objects beyond any sensible table size are dropped, not stored.
    WmfBuilder many(base);
    for (int i = 0; i < 3000; ++i)
        many.record(0x02FC, {0, 0, 0, 0});
    cases.push_back({"thousands of objects", many.bytes(), true});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Inputs, DamagedMetafile, ::testing::ValuesIn(damagedCases()));

TEST(Metafile, EveryTruncationOfOurPicturesIsSafe) {
    for (const char* name : {"trip.wmf", "hwy.wmf"}) {
        QFile file(kImages + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray whole = file.readAll();
        int readable = 0;
        for (qsizetype n = 0; n < whole.size(); n += 3)
            readable += !RenderMetafile(whole.left(n)).isNull();
        // A cut inside a record is refused; a cut between records still shows what came before it.
        EXPECT_LT(readable, whole.size() / 3) << name;
        // Flipping bytes must not crash either.
        QByteArray flipped = whole;
        for (qsizetype i = 40; i < flipped.size(); i += 7)
            flipped[i] = char(~flipped[i]);
        RenderMetafile(flipped);
    }
}

TEST(Metafile, CostlyDrawingIsCutShort) {
    // Tens of thousands of frame-sized shapes with a thick pen, and outlines with thousands of crossing
    // edges, would keep a painter busy for minutes; the reader stops drawing well before that.
    WmfBuilder shapes = WmfBuilder().placeable(2048, 2048);
    shapes.record(0x02FA, {0, 2000, 0, rg(0, 0), b0(255)}).record(0x012D, {0});
    for (int i = 0; i < 60000; ++i)
        shapes.record(0x0418, {2047, 2047, 0, 0});
    WmfBuilder zigzag = WmfBuilder().placeable(2048, 2048);
    QByteArray polygon = record(3 + 1 + 2 * 30000, 0x0324);
    polygon.append(char(0x30)).append(char(0x75)); // 30000 points
    for (int i = 0; i < 30000; ++i) {
        const qint16 xy[2] = {qint16((i * 37) % 2048), qint16(i % 2 ? 0 : 2047)};
        for (qint16 v : xy)
            polygon.append(char(v & 0xFF)).append(char(v >> 8));
    }
    zigzag.raw(polygon).raw(polygon);
    for (const QByteArray& bytes : {shapes.bytes(), zigzag.bytes()}) {
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(RenderMetafile(bytes).isNull());
        EXPECT_LT(timer.elapsed(), 10000);
    }
}

TEST(Picture, RasterFilesAndIconsLoad) {
    EXPECT_EQ(LoadPicture(kImages + "trip_01.jpg").size(), QSize(1024, 768));
    EXPECT_EQ(LoadPicture(kImages + "trip_01.jpg", QSize(512, 512)).size(), QSize(512, 384));
    EXPECT_EQ(LoadPicture(kImages + "earth.ico").size(), QSize(256, 256)) << "the largest size of the icon";
    const QIcon icon = LoadIcon(kImages + "earth.ico");
    const QList<QSize> sizes = icon.availableSizes();
    for (int s : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(s, s))) << s;
    // A progressive JPEG, drawn in a handful of passes, loads as well.
    QTemporaryDir dir;
    QImageWriter writer(dir.path() + "/progressive.jpg", "jpeg");
    writer.setProgressiveScanWrite(true);
    ASSERT_TRUE(writer.write(LoadPicture(kImages + "trip_01.jpg").toImage()));
    EXPECT_EQ(LoadPicture(dir.path() + "/progressive.jpg").size(), QSize(1024, 768));
    // The globe is round: its corners are transparent, its middle is not.
    const QImage globe = icon.pixmap(QSize(32, 32)).toImage();
    EXPECT_EQ(qAlpha(globe.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(globe.pixel(16, 16)), 255);
}

TEST(Picture, MissingOrUnreadableFilesGiveNothing) {
    QTemporaryDir dir;
    EXPECT_TRUE(LoadPicture(dir.path() + "/none.jpg").isNull());
    EXPECT_TRUE(LoadPicture(dir.path() + "/none.wmf").isNull());
    EXPECT_TRUE(LoadIcon(dir.path() + "/none.ico").isNull());
    for (const char* name : {"/junk.jpg", "/junk.wmf", "/junk.ico"}) {
        QFile junk(dir.path() + name);
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(300, '\x5A'));
        junk.close();
        EXPECT_TRUE(LoadPicture(junk.fileName()).isNull()) << name;
    }
}
} // namespace
