// Files in the application folder replaced by things that are not our files: every reader treats them as
// missing, and a file of allowed size costs little, whatever it holds. Each read runs in a child process,
// so that a hang is killed and the child's time and memory can be measured on their own.
#include "platform/Help.h"
#include "platform/Picture.h"
#include "platform/RichText.h"
#include "platform/SafeFile.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextEdit>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString kResources = QStringLiteral(ODOMARK_RESOURCES);
constexpr qint64 kLimit = 4 * 1024 * 1024; // the readers' size limit

struct Cost {
    bool finished = false;
    bool result = false; // what the reader said: true for "read"
    double cpuSeconds = 0;
    long peakKiB = 0; // growth of the child's peak resident memory
};

double cpuOf(const rusage& r) {
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// Runs work in a forked child; a child still busy after wallMs is killed and reported unfinished.
Cost runInChild(const std::function<bool()>& work, int wallMs) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        const bool result = work();
        getrusage(RUSAGE_SELF, &after);
        const double report[3] = {result ? 1.0 : 0.0, cpuOf(after) - cpuOf(before),
                                  double(after.ru_maxrss - before.ru_maxrss)};
        [[maybe_unused]] const ssize_t n = write(fds[1], report, sizeof report);
        _exit(0);
    }
    close(fds[1]);
    Cost cost;
    pollfd p{fds[0], POLLIN, 0};
    if (pid > 0 && poll(&p, 1, wallMs) == 1) {
        double report[3] = {};
        if (read(fds[0], report, sizeof report) == ssize_t(sizeof report)) {
            cost.finished = true;
            cost.result = report[0] != 0;
            cost.cpuSeconds = report[1];
            cost.peakKiB = long(report[2]);
        }
    }
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(fds[0]);
    return cost;
}

// The readers as the windows call them, each true when it got something to show.
enum class Reader { Picture, SizedPicture, Icon, RichText, Help };

bool readWith(Reader reader, const QString& path) {
    switch (reader) {
    case Reader::Picture:
        return !LoadPicture(path).isNull();
    case Reader::SizedPicture:
        return !LoadPicture(path, QSize(150, 150), 2).isNull();
    case Reader::Icon:
        return !LoadIcon(path).isNull();
    case Reader::RichText: {
        QTextEdit box;
        const bool loaded = LoadRtfFile(&box, path);
        // Lay the text out as the about box does when it shows it.
        box.document()->setTextWidth(400);
        box.document()->documentLayout()->documentSize();
        return loaded;
    }
    case Reader::Help: {
        // The topics window lays out its first topic as it opens.
        const bool shown = ShowHelpContents(path);
        if (QWidget* window = HelpContentsWindow()) {
            if (auto* page = window->findChild<QTextBrowser*>("txtTopic"))
                page->document()->documentLayout()->documentSize();
        }
        return shown;
    }
    }
    return false;
}

struct OurFile {
    const char* path; // below the application folder
    Reader reader;
};

const OurFile kOurFiles[] = {
    {"images/earth.ico", Reader::Icon},        {"images/trip_01.jpg", Reader::Picture},
    {"images/trip.wmf", Reader::SizedPicture}, {"images/hwy.wmf", Reader::SizedPicture},
    {"text/About.rtf", Reader::RichText},      {"help/wendlo.hlp", Reader::Help},
};

QByteArray ourBytes(const char* path) {
    QFile file(kResources + QLatin1Char('/') + QLatin1String(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void PrintTo(const OurFile& f, std::ostream* out) {
    *out << f.path;
}

class OurFileReplaced : public ::testing::TestWithParam<OurFile> {};

TEST_P(OurFileReplaced, ByAnythingButARegularFileOfAllowedSizeCountsAsMissing) {
    const OurFile& f = GetParam();
    QTemporaryDir dir;
    const QString path = dir.path() + QLatin1Char('/') + QFileInfo(QLatin1String(f.path)).fileName();
    const QByteArray name = QFile::encodeName(path);

    // Our own file reads, also through a link: links are followed.
    writeFile(dir.path() + "/real", ourBytes(f.path));
    ASSERT_EQ(symlink("real", name.constData()), 0);
    EXPECT_TRUE(runInChild([&] { return readWith(f.reader, path); }, 10000).result) << f.path;
    unlink(name.constData());

    // Too large by one byte: our file padded at the end.
    writeFile(path, ourBytes(f.path) + QByteArray(kLimit + 1 - ourBytes(f.path).size(), ' '));
    const auto expectMissing = [&](const char* what) {
        const Cost cost = runInChild([&] { return readWith(f.reader, path); }, 2000);
        EXPECT_TRUE(cost.finished) << f.path << " as " << what << " hangs";
        EXPECT_FALSE(cost.result) << f.path << " as " << what << " is read";
    };
    expectMissing("an over-size file");
    unlink(name.constData());

    ASSERT_EQ(symlink("/dev/zero", name.constData()), 0);
    expectMissing("a link to /dev/zero");
    unlink(name.constData());

    ASSERT_EQ(mkfifo(name.constData(), 0600), 0);
    expectMissing("a named pipe");
    unlink(name.constData());

    ASSERT_TRUE(QDir(dir.path()).mkdir(QFileInfo(path).fileName()));
    expectMissing("a folder");
}

INSTANTIATE_TEST_SUITE_P(EveryFile, OurFileReplaced, ::testing::ValuesIn(kOurFiles));

TEST(ReadRegularFile, ReadsWholeFilesUpToTheLimitOnly) {
    QTemporaryDir dir;
    writeFile(dir.path() + "/ten", "0123456789");
    QByteArray data = "stale";
    EXPECT_TRUE(ReadRegularFile(dir.path() + "/ten", 10, data));
    EXPECT_EQ(data, "0123456789");
    EXPECT_FALSE(ReadRegularFile(dir.path() + "/ten", 9, data));
    EXPECT_TRUE(data.isEmpty());
    writeFile(dir.path() + "/empty", QByteArray());
    EXPECT_TRUE(ReadRegularFile(dir.path() + "/empty", 10, data));
    EXPECT_FALSE(ReadRegularFile(dir.path() + "/none", 10, data));
    // A device that claims no size is not read at all.
    EXPECT_FALSE(ReadRegularFile("/dev/zero", kLimit, data));
}

// Little-endian helpers for building files.
void put16(QByteArray& a, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    a.append(b, 2);
}
void put32(QByteArray& a, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    a.append(b, 4);
}

// A placeable metafile of the given records, filled up to just under the size limit by repeating body.
QByteArray metafileOf(const QByteArray& setup, const QByteArray& body) {
    QByteArray records = setup;
    while (records.size() + body.size() + 64 < kLimit)
        records += body;
    records += QByteArray::fromHex("030000000000");
    QByteArray out;
    put32(out, 0x9AC6CDD7);
    put16(out, 0);
    for (quint16 v : {0, 0, 2048, 2048, 96})
        put16(out, v);
    put32(out, 0);
    put16(out, 0);
    for (quint16 v : {1, 9, 0x0300})
        put16(out, v);
    put32(out, quint32(9 + records.size() / 2));
    put16(out, 8);
    put32(out, 16);
    put16(out, 0);
    return out + records;
}

QByteArray record(quint16 function, std::initializer_list<qint16> params) {
    QByteArray r;
    put32(r, quint32(3 + params.size()));
    put16(r, function);
    for (qint16 p : params)
        put16(r, quint16(p));
    return r;
}

// A thick pen, selected: every shape after it is costly to stroke.
QByteArray thickPen() {
    return record(0x02FA, {0, 2000, 0, 0, 255}) + record(0x012D, {0});
}

QByteArray zigzagPolygon(int points) {
    QByteArray r;
    put32(r, quint32(3 + 1 + 2 * points));
    put16(r, 0x0324);
    put16(r, quint16(points));
    for (int i = 0; i < points; ++i) {
        put16(r, quint16((i * 37) % 2048));
        put16(r, quint16(i % 2 ? 0 : 2047));
    }
    return r;
}

// An icon whose directory lists the same 256 x 256 picture thousands of times.
QByteArray iconOfManyEntries(int entries) {
    QByteArray dib;
    put32(dib, 40);
    put32(dib, 256);
    put32(dib, 512); // colour and mask, one above the other
    put16(dib, 1);
    put16(dib, 32);
    for (int i = 0; i < 6; ++i)
        put32(dib, 0);
    dib += QByteArray(256 * 256 * 4 + 256 * 32, '\x40');
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, quint16(entries));
    const quint32 offset = quint32(6 + 16 * entries);
    for (int i = 0; i < entries; ++i) {
        out.append(char(0)).append(char(0)).append(char(0)).append(char(0));
        put16(out, 1);
        put16(out, 32);
        put32(out, quint32(dib.size()));
        put32(out, offset);
    }
    return out + dib;
}

// Our backdrop claiming 9000 x 7000 pixels: a few kilobytes that would decode to a quarter gigabyte.
QByteArray jpegClaimingHugeSize() {
    QByteArray jpeg = ourBytes("images/trip_01.jpg");
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    if (sof >= 0) {
        jpeg[sof + 5] = char(7000 >> 8);
        jpeg[sof + 6] = char(7000 & 0xFF);
        jpeg[sof + 7] = char(9000 >> 8);
        jpeg[sof + 8] = char(9000 & 0xFF);
    }
    return jpeg;
}

// A progressive JPEG whose smallest scan is repeated until the file is full: every scan is a pass over the
// whole picture, for a few bytes each.
QByteArray jpegOfManyScans() {
    QImage image(2048, 1536, QImage::Format_RGB32);
    image.fill(QColor(90, 140, 200));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    // A scan runs from its marker to the next marker that is not a restart or a stuffed byte.
    const auto scanEnd = [&](qsizetype at) {
        qsizetype end = at + 2;
        while (end + 1 < jpeg.size() && !(jpeg[end] == '\xFF' && uchar(jpeg[end + 1]) != 0 &&
                                          (uchar(jpeg[end + 1]) < 0xD0 || uchar(jpeg[end + 1]) > 0xD7)))
            ++end;
        return end;
    };
    qsizetype bestStart = -1, bestEnd = -1;
    for (qsizetype at = jpeg.indexOf("\xFF\xDA"); at >= 0; at = jpeg.indexOf("\xFF\xDA", at + 2)) {
        const qsizetype end = scanEnd(at);
        if (bestStart < 0 || end - at < bestEnd - bestStart) {
            bestStart = at;
            bestEnd = end;
        }
    }
    const QByteArray scan = jpeg.mid(bestStart, bestEnd - bestStart);
    QByteArray out = jpeg.left(bestEnd);
    while (out.size() + scan.size() + (jpeg.size() - bestEnd) < kLimit)
        out += scan;
    return out + jpeg.mid(bestEnd);
}

// The largest backdrop that is still shown.
QByteArray largestJpeg() {
    QImage image(4096, 2560, QImage::Format_RGB32);
    image.fill(QColor(200, 120, 40));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "jpeg");
    return jpeg;
}

QByteArray filled(const QByteArray& head, const QByteArray& unit, const QByteArray& tail = QByteArray()) {
    QByteArray out = head;
    while (out.size() + unit.size() + tail.size() < kLimit)
        out += unit;
    return out + tail;
}

// AddressSanitizer and UBSan make every read several times slower and larger; the bound still catches
// work that grows with the file, which is what the limits are for.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSanitizerSlowdown = 10;
#else
constexpr int kSanitizerSlowdown = 1;
#endif

struct Costly {
    const char* name;
    const char* file; // its name decides how it is read
    Reader reader;
    std::function<QByteArray()> bytes;
};

void PrintTo(const Costly& c, std::ostream* out) {
    *out << c.name;
}

class CostlyFile : public ::testing::TestWithParam<Costly> {};

TEST_P(CostlyFile, IsReadInUnderASecondAndA100MiB) {
    const Costly& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.path() + QLatin1Char('/') + QLatin1String(c.file);
    const QByteArray bytes = c.bytes();
    ASSERT_LE(bytes.size(), kLimit) << c.name;
    writeFile(path, bytes);
    const Cost cost = runInChild([&] { return readWith(c.reader, path); }, 20000);
    ASSERT_TRUE(cost.finished) << c.name << " still busy after 20 s";
    EXPECT_LT(cost.cpuSeconds, 1.0 * kSanitizerSlowdown) << c.name;
    EXPECT_LT(cost.peakKiB, 100 * 1024 * kSanitizerSlowdown) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    UpToTheSizeLimit, CostlyFile,
    ::testing::Values(
        Costly{"paragraph marks", "About.rtf", Reader::RichText, [] { return filled("{\\rtf1 ", "\\par ", "}"); }},
        Costly{"one long paragraph", "About.rtf", Reader::RichText, [] { return filled("{\\rtf1 ", "words ", "}"); }},
        Costly{"a run per letter", "About.rtf", Reader::RichText,
               [] { return filled("{\\rtf1 ", "\\b a\\b0 b", "}"); }},
        Costly{"line breaks", "About.rtf", Reader::RichText, [] { return filled("{\\rtf1 ", "\\line ", "}"); }},
        Costly{"groups", "About.rtf", Reader::RichText, [] { return filled("{\\rtf1 ", "{\\i x}", "}"); }},
        Costly{"control words", "About.rtf", Reader::RichText, [] { return filled("{\\rtf1 ", "\\b", "}"); }},
        Costly{"a metafile saved as the backdrop", "trip_01.jpg", Reader::Picture,
               [] {
                   return metafileOf(thickPen(), record(0x0418, {2047, 2047, 0, 0}));
               }},
        Costly{"frame-sized ellipses", "trip.wmf", Reader::SizedPicture,
               [] {
                   return metafileOf(thickPen(), record(0x0418, {2047, 2047, 0, 0}));
               }},
        Costly{"tiny records", "trip.wmf", Reader::Picture,
               [] {
                   return metafileOf({}, record(0x0214, {1, 1}));
               }},
        Costly{"polygons of crossing edges", "trip.wmf", Reader::Picture,
               [] { return metafileOf(thickPen(), zigzagPolygon(30000)); }},
        Costly{"text records", "trip.wmf", Reader::Picture,
               [] {
                   return metafileOf(record(0x02FB, {-2000}) + record(0x012D, {0}),
                                     record(0x0521, {8, 0x4141, 0x4141, 0x4141, 0x4141, 5, 5}));
               }},
        Costly{"an icon of 65535 entries", "earth.ico", Reader::Icon, [] { return iconOfManyEntries(65535); }},
        Costly{"a backdrop claiming 9000 x 7000 pixels", "trip_01.jpg", Reader::Picture, jpegClaimingHugeSize},
        Costly{"a backdrop of many scans", "trip_01.jpg", Reader::Picture, jpegOfManyScans},
        Costly{"the largest backdrop shown", "trip_01.jpg", Reader::Picture, largestJpeg},
        Costly{"help topics", "wendlo.hlp", Reader::Help, [] { return filled("@title x\n", "= t\n"); }},
        Costly{"help links", "wendlo.hlp", Reader::Help, [] { return filled("= t\n", "[[a]] "); }},
        Costly{"help bold", "wendlo.hlp", Reader::Help, [] { return filled("= t\n", "**b** "); }},
        Costly{"help lines", "wendlo.hlp", Reader::Help, [] { return filled("= t\n", "- x\n1. y\n"); }}),
    [](const ::testing::TestParamInfo<Costly>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            c = std::isalnum(uchar(c)) ? c : '_';
        return name;
    });
} // namespace
