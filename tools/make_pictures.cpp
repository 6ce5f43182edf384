// Paints the program's pictures: resources/images/earth.ico (a globe in 16 to 256 pixels),
// resources/images/trip_01.jpg (a 1024x768 country road, the main window's backdrop), and the same globe
// as the desktop icon: resources/icons/hicolor/NxN/apps/odomark.png from 16 to 256 pixels and
// resources/icons/hicolor/scalable/apps/odomark.svg.
//
// Build and run from the repository root (the files are committed; the build does not run this):
//   g++ -std=c++17 -fPIC tools/make_pictures.cpp -o /tmp/make_pictures $(pkg-config --cflags --libs Qt6Gui)
//   QT_QPA_PLATFORM=offscreen /tmp/make_pictures resources/images resources/icons

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// ---- The globe icon ----

// Land masses on a unit square, shared by the raster painter and the scalable drawing.
using Outline = std::vector<QPointF>;
const std::vector<Outline>& landMasses() {
    static const std::vector<Outline> lands{
        // The Americas
        {{0.12, 0.18},
         {0.30, 0.10},
         {0.42, 0.16},
         {0.40, 0.30},
         {0.30, 0.40},
         {0.34, 0.48},
         {0.44, 0.55},
         {0.46, 0.68},
         {0.38, 0.86},
         {0.32, 0.90},
         {0.30, 0.74},
         {0.24, 0.60},
         {0.20, 0.46},
         {0.10, 0.36}},
        // Europe and Africa
        {{0.56, 0.14},
         {0.70, 0.10},
         {0.78, 0.20},
         {0.70, 0.30},
         {0.80, 0.40},
         {0.84, 0.52},
         {0.78, 0.70},
         {0.70, 0.80},
         {0.64, 0.66},
         {0.58, 0.50},
         {0.52, 0.40},
         {0.58, 0.30}},
        // Australia
        {{0.86, 0.68}, {0.96, 0.66}, {0.98, 0.76}, {0.90, 0.80}},
    };
    return lands;
}

QImage paintGlobe(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF ball(0.5, 0.5, s - 1, s - 1);

    QRadialGradient sea(QPointF(s * 0.35, s * 0.3), s * 0.75);
    sea.setColorAt(0, QColor(110, 180, 255));
    sea.setColorAt(0.6, QColor(30, 100, 200));
    sea.setColorAt(1, QColor(10, 50, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(sea);
    p.drawEllipse(ball);

    QPainterPath clip;
    clip.addEllipse(ball);
    p.setClipPath(clip);

    QLinearGradient land(0, 0, s, s);
    land.setColorAt(0, QColor(120, 200, 90));
    land.setColorAt(1, QColor(40, 120, 40));
    p.setBrush(land);
    for (const Outline& outline : landMasses()) {
        QPainterPath path;
        path.moveTo(outline.front() * s);
        for (size_t i = 1; i < outline.size(); ++i)
            path.lineTo(outline[i] * s);
        path.closeSubpath();
        p.drawPath(path);
    }

    // Meridians and parallels where there are pixels enough for them.
    if (size >= 32) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 70), s / 48.0));
        for (qreal f : {0.25, 0.5, 0.75})
            p.drawLine(QPointF(0, s * f), QPointF(s, s * f));
        p.drawEllipse(QRectF(s * 0.25, 0.5, s * 0.5, s - 1));
        p.drawLine(QPointF(s / 2, 0), QPointF(s / 2, s));
    }
    p.setClipping(false);

    // Shine and rim
    QRadialGradient shine(QPointF(s * 0.32, s * 0.28), s * 0.4);
    shine.setColorAt(0, QColor(255, 255, 255, 120));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(ball);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(10, 40, 90), std::max<qreal>(1.0, s / 32.0)));
    p.drawEllipse(ball.adjusted(0.5, 0.5, -0.5, -0.5));
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The same globe as a scalable drawing, on a 256-unit canvas with the 256-pixel picture's proportions.
QByteArray svgGlobe() {
    const qreal s = 256;
    QByteArray svg;
    const auto num = [](qreal v) { return QByteArray::number(v, 'f', 2); };
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
           "  <defs>\n"
           "    <radialGradient id=\"sea\" gradientUnits=\"userSpaceOnUse\" cx=\"" +
           num(s * 0.35) + "\" cy=\"" + num(s * 0.3) + "\" r=\"" + num(s * 0.75) +
           "\">\n"
           "      <stop offset=\"0\" stop-color=\"#6eb4ff\"/>\n"
           "      <stop offset=\"0.6\" stop-color=\"#1e64c8\"/>\n"
           "      <stop offset=\"1\" stop-color=\"#0a3278\"/>\n"
           "    </radialGradient>\n"
           "    <linearGradient id=\"land\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"0\" x2=\"256\" y2=\"256\">\n"
           "      <stop offset=\"0\" stop-color=\"#78c85a\"/>\n"
           "      <stop offset=\"1\" stop-color=\"#287828\"/>\n"
           "    </linearGradient>\n"
           "    <radialGradient id=\"shine\" gradientUnits=\"userSpaceOnUse\" cx=\"" +
           num(s * 0.32) + "\" cy=\"" + num(s * 0.28) + "\" r=\"" + num(s * 0.4) +
           "\">\n"
           "      <stop offset=\"0\" stop-color=\"#ffffff\" stop-opacity=\"0.47\"/>\n"
           "      <stop offset=\"1\" stop-color=\"#ffffff\" stop-opacity=\"0\"/>\n"
           "    </radialGradient>\n"
           "    <clipPath id=\"ball\"><circle cx=\"128\" cy=\"128\" r=\"127.5\"/></clipPath>\n"
           "  </defs>\n"
           "  <circle cx=\"128\" cy=\"128\" r=\"127.5\" fill=\"url(#sea)\"/>\n"
           "  <g clip-path=\"url(#ball)\">\n";
    for (const Outline& outline : landMasses()) {
        svg += "    <path fill=\"url(#land)\" d=\"M";
        for (size_t i = 0; i < outline.size(); ++i)
            svg += (i ? " L" : "") + num(outline[i].x() * s) + " " + num(outline[i].y() * s);
        svg += " Z\"/>\n";
    }
    svg += "    <g fill=\"none\" stroke=\"#ffffff\" stroke-opacity=\"0.27\" stroke-width=\"" + num(s / 48.0) +
           "\">\n"
           "      <path d=\"M0 64 H256 M0 128 H256 M0 192 H256 M128 0 V256\"/>\n"
           "      <ellipse cx=\"128\" cy=\"128\" rx=\"64\" ry=\"127.5\"/>\n"
           "    </g>\n"
           "  </g>\n"
           "  <circle cx=\"128\" cy=\"128\" r=\"127.5\" fill=\"url(#shine)\"/>\n"
           "  <circle cx=\"128\" cy=\"128\" r=\"" +
           num(127.5 - 0.5 - s / 64.0) + "\" fill=\"none\" stroke=\"#0a285a\" stroke-width=\"" + num(s / 32.0) +
           "\"/>\n"
           "</svg>\n";
    return svg;
}

bool writeFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size())
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

void put16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}
void put32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// The icon format: a directory, then per size a 32-bit bitmap (double height) and its 1-bit mask.
QByteArray icoFile(const std::vector<QImage>& images) {
    std::vector<QByteArray> blobs;
    for (const QImage& image : images) {
        const int w = image.width(), h = image.height();
        const int maskStride = ((w + 31) / 32) * 4;
        QByteArray blob;
        put32(blob, 40);
        put32(blob, quint32(w));
        put32(blob, quint32(h * 2));
        put16(blob, 1);
        put16(blob, 32);
        put32(blob, 0);
        put32(blob, quint32(w * h * 4 + maskStride * h));
        put32(blob, 0);
        put32(blob, 0);
        put32(blob, 0);
        put32(blob, 0);
        for (int y = h - 1; y >= 0; --y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                blob.append(char(qBlue(line[x])));
                blob.append(char(qGreen(line[x])));
                blob.append(char(qRed(line[x])));
                blob.append(char(qAlpha(line[x])));
            }
        }
        for (int y = h - 1; y >= 0; --y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            QByteArray row(maskStride, '\0');
            for (int x = 0; x < w; ++x)
                if (qAlpha(line[x]) == 0)
                    row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            blob.append(row);
        }
        blobs.push_back(blob);
    }
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, quint16(images.size()));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.append(char(images[i].width() >= 256 ? 0 : images[i].width()));
        out.append(char(images[i].height() >= 256 ? 0 : images[i].height()));
        out.append('\0');
        out.append('\0');
        put16(out, 1);
        put16(out, 32);
        put32(out, quint32(blobs[i].size()));
        put32(out, offset);
        offset += quint32(blobs[i].size());
    }
    for (const QByteArray& blob : blobs)
        out.append(blob);
    return out;
}

// ---- The backdrop ----

constexpr int W = 1024, H = 768, Horizon = 430;
const QPointF Vanish(590, Horizon);

// The road's centre line from the bottom edge (t = 0) to the horizon (t = 1), with a gentle S-bend.
QPointF roadCentre(qreal t) {
    const qreal y = H - (H - Horizon) * (1 - std::pow(1 - t, 1.0));
    const qreal depth = (y - Horizon) / (H - Horizon); // 1 at the bottom, 0 at the horizon
    const qreal bend = 140 * std::sin((1 - depth) * 3.1) * depth;
    const qreal x = Vanish.x() + (440 - Vanish.x()) * depth + bend;
    return QPointF(x, y);
}
qreal roadHalfWidth(qreal y) {
    return 4 + 330 * std::pow((y - Horizon) / (H - Horizon), 1.1);
}

void hill(QPainter& p, const std::vector<QPointF>& ridge, const QColor& top, const QColor& bottom) {
    QPainterPath path;
    path.moveTo(0, H);
    path.lineTo(ridge.front());
    for (size_t i = 1; i + 1 < ridge.size(); i += 2)
        path.quadTo(ridge[i], ridge[i + 1]);
    path.lineTo(W, H);
    path.closeSubpath();
    QLinearGradient g(0, Horizon - 60, 0, H);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillPath(path, g);
}

void tree(QPainter& p, QPointF foot, qreal height) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 60, 35));
    p.drawRect(QRectF(foot.x() - height * 0.05, foot.y() - height * 0.35, height * 0.1, height * 0.35));
    QRadialGradient leaves(foot + QPointF(-height * 0.1, -height * 0.75), height * 0.55);
    leaves.setColorAt(0, QColor(90, 160, 70));
    leaves.setColorAt(1, QColor(30, 90, 40));
    p.setBrush(leaves);
    p.drawEllipse(QRectF(foot.x() - height * 0.3, foot.y() - height, height * 0.6, height * 0.72));
}

QImage paintBackdrop() {
    QImage image(W, H, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, Horizon);
    sky.setColorAt(0, QColor(58, 118, 196));
    sky.setColorAt(0.7, QColor(150, 196, 232));
    sky.setColorAt(1, QColor(236, 226, 200));
    p.fillRect(0, 0, W, Horizon + 1, sky);

    QRadialGradient sun(QPointF(800, 150), 260);
    sun.setColorAt(0, QColor(255, 250, 220, 255));
    sun.setColorAt(0.08, QColor(255, 240, 190, 230));
    sun.setColorAt(0.3, QColor(255, 230, 170, 60));
    sun.setColorAt(1, QColor(255, 230, 170, 0));
    p.fillRect(0, 0, W, Horizon + 1, sun);

    // Soft clouds made of overlapping translucent ellipses.
    QRandomGenerator rng(1844);
    p.setPen(Qt::NoPen);
    const QPointF clouds[] = {{160, 110}, {420, 70}, {640, 190}, {930, 80}, {300, 230}};
    for (const QPointF& c : clouds) {
        for (int i = 0; i < 14; ++i) {
            const qreal dx = rng.bounded(160.0) - 80, dy = rng.bounded(36.0) - 18;
            const qreal r = 24 + rng.bounded(26.0);
            QRadialGradient puff(c + QPointF(dx, dy), r);
            puff.setColorAt(0, QColor(255, 255, 255, 150));
            puff.setColorAt(1, QColor(255, 255, 255, 0));
            p.setBrush(puff);
            p.drawEllipse(c + QPointF(dx, dy), r * 1.6, r);
        }
    }

    // Distant mountains, lighter with distance.
    hill(p,
         {{0, 360},
          {90, 300},
          {180, 350},
          {260, 280},
          {360, 340},
          {450, 300},
          {560, 370},
          {660, 290},
          {760, 345},
          {860, 300},
          {960, 350},
          {1000, 330},
          {W, 340}},
         QColor(140, 160, 196), QColor(170, 185, 205));
    hill(p, {{0, 400}, {120, 370}, {240, 405}, {380, 360}, {500, 410}, {640, 380}, {760, 412}, {900, 372}, {W, 400}},
         QColor(110, 140, 150), QColor(140, 165, 160));
    // Fields and rolling hills
    hill(p, {{0, Horizon}, {200, 410}, {400, Horizon}, {700, 418}, {W, Horizon}}, QColor(130, 170, 80),
         QColor(90, 150, 60));
    hill(p, {{0, 520}, {150, 470}, {330, 500}, {520, 470}, {700, 520}, {860, 480}, {W, 500}}, QColor(100, 160, 60),
         QColor(60, 120, 40));

    // The road: its two edges follow the centre line.
    QPainterPath road;
    std::vector<QPointF> left, right;
    for (int i = 0; i <= 200; ++i) {
        const QPointF c = roadCentre(i / 200.0);
        const qreal half = roadHalfWidth(c.y());
        left.push_back(c - QPointF(half, 0));
        right.push_back(c + QPointF(half, 0));
    }
    road.moveTo(left.front());
    for (const QPointF& pt : left)
        road.lineTo(pt);
    for (auto it = right.rbegin(); it != right.rend(); ++it)
        road.lineTo(*it);
    road.closeSubpath();
    // Verges first, a little wider than the tarmac.
    QPainterPath verge;
    verge.moveTo(left.front() - QPointF(30, 0));
    for (const QPointF& pt : left)
        verge.lineTo(pt - QPointF(3 + (pt.y() - Horizon) * 0.09, 0));
    for (auto it = right.rbegin(); it != right.rend(); ++it)
        verge.lineTo(*it + QPointF(3 + (it->y() - Horizon) * 0.09, 0));
    verge.closeSubpath();
    p.fillPath(verge, QColor(176, 160, 120));
    QLinearGradient tarmac(0, Horizon, 0, H);
    tarmac.setColorAt(0, QColor(120, 120, 126));
    tarmac.setColorAt(1, QColor(70, 70, 76));
    p.fillPath(road, tarmac);

    // Centre dashes: equal lengths on the ground, so shorter towards the horizon.
    for (int k = 0; k < 40; ++k) {
        const qreal t0 = 1 - std::pow(0.93, k * 2.0), t1 = 1 - std::pow(0.93, k * 2.0 + 1);
        const QPointF a = roadCentre(t0), b = roadCentre(t1);
        const qreal wa = roadHalfWidth(a.y()) * 0.03, wb = roadHalfWidth(b.y()) * 0.03;
        if (a.y() - b.y() < 0.5)
            break;
        QPolygonF dash({a - QPointF(wa, 0), a + QPointF(wa, 0), b + QPointF(wb, 0), b - QPointF(wb, 0)});
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 240, 210));
        p.drawPolygon(dash);
    }
    // Edge lines
    p.setBrush(Qt::NoBrush);
    for (const auto* edge : {&left, &right}) {
        for (size_t i = 1; i < edge->size(); ++i) {
            const QPointF a = (*edge)[i - 1], b = (*edge)[i];
            const qreal inset = roadHalfWidth(a.y()) * 0.06 * (edge == &left ? 1 : -1);
            p.setPen(QPen(QColor(245, 245, 240), std::max(0.5, roadHalfWidth(a.y()) * 0.025)));
            p.drawLine(a + QPointF(inset, 0), b + QPointF(inset, 0));
        }
    }

    // Trees and fence posts along the way, smaller with distance.
    for (int i = 0; i < 9; ++i) {
        const qreal t = 0.15 + i * 0.095;
        const QPointF c = roadCentre(t);
        const qreal half = roadHalfWidth(c.y());
        const qreal size = 14 + (c.y() - Horizon) * 0.75;
        if (i % 2 == 0)
            tree(p, c - QPointF(half * 1.9 + size * 0.4, 0), size);
        else
            tree(p, c + QPointF(half * 1.8 + size * 0.4, 0), size * 0.9);
    }
    p.setPen(QPen(QColor(110, 80, 50), 3));
    for (int i = 0; i < 16; ++i) {
        const qreal t = i / 18.0;
        const QPointF c = roadCentre(t);
        const qreal half = roadHalfWidth(c.y());
        const QPointF foot = c + QPointF(half * 1.25, 0);
        const qreal height = 6 + (c.y() - Horizon) * 0.12;
        p.setPen(QPen(QColor(110, 80, 50), std::max(1.0, height / 10)));
        p.drawLine(foot, foot - QPointF(0, height));
    }
    p.end();
    return image;
}
} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources/images");
    const QString icons = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("resources/icons");
    QDir().mkpath(out);

    std::vector<QImage> sizes;
    for (int size : {16, 32, 48, 64, 128, 256})
        sizes.push_back(paintGlobe(size));
    if (!writeFile(out + QStringLiteral("/earth.ico"), icoFile(sizes)))
        return 1;
    if (!paintBackdrop().save(out + QStringLiteral("/trip_01.jpg"), "JPEG", 88)) {
        std::fprintf(stderr, "cannot write the backdrop\n");
        return 1;
    }
    // The desktop's icon theme: every size a desktop asks for, and the drawing for any other.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = icons + QStringLiteral("/hicolor/%1x%1/apps/odomark.png").arg(size);
        QDir().mkpath(QFileInfo(file).path());
        if (!paintGlobe(size).save(file, "PNG", 0)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    if (!writeFile(icons + QStringLiteral("/hicolor/scalable/apps/odomark.svg"), svgGlobe()))
        return 1;
    std::printf("wrote %s/earth.ico, %s/trip_01.jpg and the icons in %s/hicolor\n", qPrintable(out), qPrintable(out),
                qPrintable(icons));
    return 0;
}
