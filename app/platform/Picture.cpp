#include "platform/Picture.h"

#include "platform/SafeFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
// Our pictures are a few kilobytes; the limits only keep a damaged or hostile file from costing much.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
constexpr int kMaxObjects = 1024;
constexpr int kMaxRecords = 65536;
constexpr int kMaxSavedStates = 64;
constexpr int kMaxSide = 2048;
// Raster pictures: a few frames of an icon and about a 4K screen's worth of pixels are plenty.
constexpr int kMaxFrames = 32;
constexpr qint64 kMaxPixels = 4096 * 2560;
// A progressive JPEG is decoded in passes, one per scan, each over the whole picture; photographs have about
// ten. A file of thousands of tiny scans would keep the decoder busy for minutes.
constexpr qsizetype kMaxJpegScans = 100;
// The painting work allowed per pixel of the picture (see Player::afford); our pictures need a few.
constexpr qint64 kCoverageBudget = 32;
constexpr quint32 kPlaceableKey = 0x9AC6CDD7;

// Record functions of the metafile format that the reader knows.
enum : quint16 {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_CREATEPALETTE = 0x00F7,
    META_SETBKMODE = 0x0102,
    META_SETPOLYFILLMODE = 0x0106,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_RESTOREDC = 0x0127,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_CREATEREGION = 0x06FF,
    META_EXTTEXTOUT = 0x0A32,
};

// Bounds-checked little-endian reads over one record's parameters; reads past the end give 0.
class Params {
public:
    Params(const uchar* data, qsizetype size) : data_(data), size_(size) {}
    qsizetype size() const { return size_; }
    bool has(qsizetype offset, qsizetype bytes) const { return offset >= 0 && bytes >= 0 && offset + bytes <= size_; }
    quint8 u8(qsizetype at) const { return has(at, 1) ? data_[at] : 0; }
    quint16 u16(qsizetype at) const { return has(at, 2) ? qFromLittleEndian<quint16>(data_ + at) : 0; }
    qint16 i16(qsizetype at) const { return has(at, 2) ? qFromLittleEndian<qint16>(data_ + at) : 0; }
    QColor color(qsizetype at) const { return QColor(u8(at), u8(at + 1), u8(at + 2)); }
    QByteArray bytes(qsizetype at, qsizetype n) const {
        if (!has(at, 0))
            return QByteArray();
        n = std::min(n, size_ - at);
        return n > 0 ? QByteArray(reinterpret_cast<const char*>(data_ + at), n) : QByteArray();
    }

private:
    const uchar* data_;
    qsizetype size_;
};

struct Record {
    quint16 function;
    Params params;
};

struct Metafile {
    std::vector<Record> records;
    QRect frame;  // logical window of the whole picture
    int inch = 0; // logical units per inch; 0 when there is no placeable header
    int objectCount = 0;
};

// Splits the data into records; fails on anything that is not a sound metafile.
bool parseMetafile(const QByteArray& data, Metafile& out) {
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype size = data.size();
    qsizetype pos = 0;
    bool placeable = false;
    if (size >= 22 && qFromLittleEndian<quint32>(bytes) == kPlaceableKey) {
        const Params head(bytes, 22);
        const int left = head.i16(6), top = head.i16(8), right = head.i16(10), bottom = head.i16(12);
        out.frame = QRect(std::min(left, right), std::min(top, bottom), std::abs(right - left), std::abs(bottom - top));
        out.inch = head.u16(14);
        if (out.inch == 0 || right == left || bottom == top)
            return false;
        placeable = true;
        pos = 22;
    }
    if (size - pos < 18)
        return false;
    const Params header(bytes + pos, 18);
    const quint16 type = header.u16(0), headerWords = header.u16(2), version = header.u16(4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300))
        return false;
    out.objectCount = std::min<int>(header.u16(10), kMaxObjects);
    pos += 18;

    bool windowOrgSeen = false, windowExtSeen = false;
    QPoint org, ext;
    while (pos < size) {
        if (size - pos < 6)
            return false;
        const quint32 words = qFromLittleEndian<quint32>(bytes + pos);
        const quint16 function = qFromLittleEndian<quint16>(bytes + pos + 4);
        if (words < 3 || words > quint32((size - pos) / 2))
            return false;
        if (function == META_EOF)
            break;
        if (out.records.size() >= size_t(kMaxRecords))
            break;
        const Params params(bytes + pos + 6, qsizetype(words) * 2 - 6);
        out.records.push_back({function, params});
        if (function == META_SETWINDOWORG && !windowOrgSeen) {
            org = QPoint(params.i16(2), params.i16(0));
            windowOrgSeen = true;
        } else if (function == META_SETWINDOWEXT && !windowExtSeen) {
            ext = QPoint(params.i16(2), params.i16(0));
            windowExtSeen = true;
        }
        pos += qsizetype(words) * 2;
    }
    if (!placeable) {
        // Without a placeable header the picture's frame is the first window the records set.
        if (!windowExtSeen || ext.x() == 0 || ext.y() == 0)
            return false;
        out.frame = QRect(org.x(), org.y(), ext.x(), ext.y());
    }
    return true;
}

enum class Kind { Empty, Pen, Brush, Font, Other };

struct GdiObject {
    Kind kind = Kind::Empty;
    QPen pen;
    QBrush brush;
    QFont font;
    qreal escapement = 0; // degrees, counter-clockwise
};

struct DcState {
    QPen pen{Qt::black};
    QBrush brush{Qt::white};
    QFont font;
    qreal escapement = 0;
    QColor textColor{Qt::black};
    QColor bkColor{Qt::white};
    bool opaque = true;
    quint16 textAlign = 0;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    QPointF current;
    QPointF windowOrg, windowExt;
};

class Player {
public:
    Player(QPainter& painter, const Metafile& meta, const QSize& target)
        : painter_(painter), target_(target), objects_(size_t(meta.objectCount)) {
        state_.windowOrg = meta.frame.topLeft();
        state_.windowExt = QPointF(meta.frame.width(), meta.frame.height());
        state_.font.setPixelSize(12);
        applyWindow();
    }

    void play(const std::vector<Record>& records) {
        for (const Record& record : records) {
            playRecord(record.function, record.params);
            if (budget_ < 0)
                break; // what is drawn so far is shown
        }
    }

private:
    void applyWindow() {
        const qreal sx = target_.width() / state_.windowExt.x();
        const qreal sy = target_.height() / state_.windowExt.y();
        painter_.setTransform(QTransform(sx, 0, 0, sy, -state_.windowOrg.x() * sx, -state_.windowOrg.y() * sy));
    }

    // Pen widths are bounded by the window so that a damaged width cannot make stroking costly.
    qreal maxPenWidth() const {
        return std::max<qreal>(1, std::max(std::abs(state_.windowExt.x()), std::abs(state_.windowExt.y())));
    }

    // Charges a drawing with an estimate of its painting work, so that a damaged or hostile file runs out of
    // budget instead of keeping the reader busy for minutes; false when the drawing is not to be made.
    // Filling costs its pixels and, per outline point, a pass over its rows; stroking costs length times width.
    bool afford(const QRectF& bounds, qreal perimeter, qsizetype points, bool closed) {
        const QTransform& t = painter_.transform();
        const qreal scale = std::max(std::abs(t.m11()), std::abs(t.m22()));
        const bool stroked = state_.pen.style() != Qt::NoPen;
        const bool filled = closed && state_.brush.style() != Qt::NoBrush;
        const qreal pen = !stroked ? 0 : state_.pen.isCosmetic() ? 1 : std::max<qreal>(1, state_.pen.widthF() * scale);
        const QRectF device =
            t.mapRect(bounds.normalized()).adjusted(-pen, -pen, pen, pen) & QRectF(QPointF(0, 0), QSizeF(target_));
        const qreal area = device.width() * device.height();
        const qreal length = perimeter * scale;
        qreal cost = 64 + qreal(points);
        const qreal rows = 16.0 * qreal(points) * device.height(); // an outline is filled row by row
        if (filled)
            cost += area + rows;
        if (stroked)
            cost += std::min(length * pen, 4 * area + length) + rows;
        budget_ -= qint64(std::min<qreal>(cost, 1e15));
        // Antialiased filling slows down with the square of the outline's length: long outlines are drawn plainly.
        painter_.setRenderHint(QPainter::Antialiasing, length <= 16384);
        return budget_ >= 0;
    }

    static qreal outlineLength(const QPolygonF& polygon, bool closed) {
        qreal length = 0;
        for (qsizetype i = 1; i < polygon.size(); ++i)
            length += std::abs(polygon[i].x() - polygon[i - 1].x()) + std::abs(polygon[i].y() - polygon[i - 1].y());
        if (closed && polygon.size() > 1)
            length +=
                std::abs(polygon.first().x() - polygon.last().x()) + std::abs(polygon.first().y() - polygon.last().y());
        return length;
    }

    bool afford(const QPolygonF& polygon, bool closed) {
        return afford(polygon.boundingRect(), outlineLength(polygon, closed), polygon.size(), closed);
    }

    bool afford(const QRectF& shape) {
        const QRectF r = shape.normalized();
        return afford(r, 2 * (r.width() + r.height()), 16, true);
    }

    void addObject(const GdiObject& object) {
        for (GdiObject& slot : objects_) {
            if (slot.kind == Kind::Empty) {
                slot = object;
                return;
            }
        }
        if (objects_.size() < size_t(kMaxObjects))
            objects_.push_back(object);
    }

    static QPen makePen(const Params& p, qreal maxWidth) {
        const quint16 style = p.u16(0);
        const qreal width = std::min<qreal>(std::abs(p.i16(2)), maxWidth);
        QPen pen(p.color(6));
        pen.setWidthF(width);
        pen.setCosmetic(width == 0);
        switch (style & 0x0F) {
        case 1:
            pen.setStyle(Qt::DashLine);
            break;
        case 2:
            pen.setStyle(Qt::DotLine);
            break;
        case 3:
            pen.setStyle(Qt::DashDotLine);
            break;
        case 4:
            pen.setStyle(Qt::DashDotDotLine);
            break;
        case 5:
            pen.setStyle(Qt::NoPen);
            break;
        default:
            pen.setStyle(Qt::SolidLine);
        }
        const int cap = style & 0x0F00, join = style & 0xF000;
        pen.setCapStyle(cap == 0x0100 ? Qt::SquareCap : cap == 0x0200 ? Qt::FlatCap : Qt::RoundCap);
        pen.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
        return pen;
    }

    static QBrush makeBrush(const Params& p) {
        const QColor color = p.color(2);
        switch (p.u16(0)) {
        case 1:
            return QBrush(Qt::NoBrush);
        case 2: {
            static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                     Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
            const quint16 hatch = p.u16(6);
            return QBrush(color, hatch < 6 ? hatches[hatch] : Qt::SolidPattern);
        }
        default:
            return QBrush(color);
        }
    }

    static GdiObject makeFont(const Params& p) {
        GdiObject object;
        object.kind = Kind::Font;
        const int height = p.i16(0);
        int pixels = height < 0 ? -height : height > 0 ? int(std::lround(height * 0.85)) : 12;
        pixels = std::clamp(pixels, 1, 2000);
        QByteArray face = p.bytes(18, 32);
        const qsizetype nul = face.indexOf('\0');
        if (nul >= 0)
            face.truncate(nul);
        if (!face.isEmpty())
            object.font.setFamily(QString::fromLatin1(face));
        object.font.setPixelSize(pixels);
        object.font.setBold(p.u16(8) >= 600);
        object.font.setItalic(p.u8(10) != 0);
        object.font.setUnderline(p.u8(11) != 0);
        object.font.setStrikeOut(p.u8(12) != 0);
        object.escapement = p.i16(4) / 10.0;
        return object;
    }

    void select(quint16 index) {
        if (index >= objects_.size())
            return;
        const GdiObject& object = objects_[index];
        switch (object.kind) {
        case Kind::Pen:
            state_.pen = object.pen;
            break;
        case Kind::Brush:
            state_.brush = object.brush;
            break;
        case Kind::Font:
            state_.font = object.font;
            state_.escapement = object.escapement;
            break;
        default:
            break;
        }
    }

    void prepareShape() {
        painter_.setPen(state_.pen);
        painter_.setBrush(state_.brush);
    }

    static QPolygonF points(const Params& p, qsizetype at, int count) {
        QPolygonF polygon;
        if (count <= 0 || !p.has(at, qsizetype(count) * 4))
            return polygon;
        polygon.reserve(count);
        for (int i = 0; i < count; ++i)
            polygon << QPointF(p.i16(at + i * 4), p.i16(at + i * 4 + 2));
        return polygon;
    }

    static QRectF rectFrom(const Params& p, qsizetype at) {
        // Stored bottom, right, top, left.
        return QRectF(QPointF(p.i16(at + 6), p.i16(at + 4)), QPointF(p.i16(at + 2), p.i16(at))).normalized();
    }

    void drawText(const QPointF& at, const QByteArray& bytes) {
        const QString text = QString::fromLatin1(bytes);
        if (text.isEmpty())
            return;
        const QFontMetricsF metrics(state_.font);
        QPointF origin = (state_.textAlign & 1) ? state_.current : at;
        const qreal width = metrics.horizontalAdvance(text);
        qreal dx = 0, dy = 0;
        switch (state_.textAlign & 6) {
        case 6:
            dx = -width / 2;
            break;
        case 2:
            dx = -width;
            break;
        default:
            break;
        }
        switch (state_.textAlign & 24) {
        case 24: // baseline
            break;
        case 8: // bottom
            dy = -metrics.descent();
            break;
        default: // top
            dy = metrics.ascent();
        }
        const qreal extent = std::max(width, metrics.height());
        if (!afford(QRectF(origin - QPointF(extent, extent), QSizeF(2 * extent, 2 * extent)), 0, text.size(), true))
            return;
        painter_.save();
        painter_.translate(origin);
        painter_.rotate(-state_.escapement);
        painter_.setFont(state_.font);
        if (state_.opaque) {
            painter_.fillRect(QRectF(dx, dy - metrics.ascent(), width, metrics.height()), state_.bkColor);
        }
        painter_.setPen(state_.textColor);
        painter_.drawText(QPointF(dx, dy), text);
        painter_.restore();
        if (state_.textAlign & 1)
            state_.current = origin + QPointF(state_.textAlign & 6 ? 0 : width, 0);
    }

    void playRecord(quint16 function, const Params& p) {
        switch (function) {
        case META_SETWINDOWORG:
            state_.windowOrg = QPointF(p.i16(2), p.i16(0));
            applyWindow();
            break;
        case META_SETWINDOWEXT:
            if (p.i16(0) != 0 && p.i16(2) != 0) {
                state_.windowExt = QPointF(p.i16(2), p.i16(0));
                applyWindow();
            }
            break;
        case META_SETBKMODE:
            state_.opaque = p.u16(0) == 2;
            break;
        case META_SETBKCOLOR:
            state_.bkColor = p.color(0);
            break;
        case META_SETTEXTCOLOR:
            state_.textColor = p.color(0);
            break;
        case META_SETTEXTALIGN:
            state_.textAlign = p.u16(0);
            break;
        case META_SETPOLYFILLMODE:
            state_.fillRule = p.u16(0) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
            break;
        case META_SAVEDC:
            if (saved_.size() < size_t(kMaxSavedStates))
                saved_.push_back(state_);
            break;
        case META_RESTOREDC: {
            const int n = p.i16(0);
            // Negative: that many states back; positive: an absolute level, counted from 1.
            const int keep = n < 0 ? int(saved_.size()) + n : n - 1;
            if (keep >= 0 && keep < int(saved_.size())) {
                state_ = saved_[size_t(keep)];
                saved_.resize(size_t(keep));
                applyWindow();
            }
            break;
        }
        case META_CREATEPENINDIRECT: {
            GdiObject object;
            object.kind = Kind::Pen;
            object.pen = makePen(p, maxPenWidth());
            addObject(object);
            break;
        }
        case META_CREATEBRUSHINDIRECT: {
            GdiObject object;
            object.kind = Kind::Brush;
            object.brush = makeBrush(p);
            addObject(object);
            break;
        }
        case META_CREATEFONTINDIRECT:
            addObject(makeFont(p));
            break;
        case META_CREATEPALETTE:
        case META_CREATEPATTERNBRUSH:
        case META_DIBCREATEPATTERNBRUSH:
        case META_CREATEREGION: {
            // Not drawn, but they take a slot in the object table, which the indexes that follow count on.
            GdiObject object;
            object.kind = Kind::Other;
            addObject(object);
            break;
        }
        case META_SELECTOBJECT:
            select(p.u16(0));
            break;
        case META_DELETEOBJECT:
            if (p.u16(0) < objects_.size())
                objects_[p.u16(0)] = GdiObject();
            break;
        case META_MOVETO:
            state_.current = QPointF(p.i16(2), p.i16(0));
            break;
        case META_LINETO: {
            const QPointF to(p.i16(2), p.i16(0));
            painter_.setPen(state_.pen);
            if (afford(QPolygonF({state_.current, to}), false))
                painter_.drawLine(state_.current, to);
            state_.current = to;
            break;
        }
        case META_POLYGON: {
            const QPolygonF polygon = points(p, 2, p.i16(0));
            if (!polygon.isEmpty() && afford(polygon, true)) {
                prepareShape();
                painter_.drawPolygon(polygon, state_.fillRule);
            }
            break;
        }
        case META_POLYLINE: {
            const QPolygonF polyline = points(p, 2, p.i16(0));
            if (!polyline.isEmpty() && afford(polyline, false)) {
                painter_.setPen(state_.pen);
                painter_.drawPolyline(polyline);
            }
            break;
        }
        case META_POLYPOLYGON: {
            const int count = p.u16(0);
            if (count == 0 || !p.has(2, qsizetype(count) * 2))
                break;
            QPainterPath path;
            path.setFillRule(state_.fillRule);
            qsizetype at = 2 + qsizetype(count) * 2;
            qreal perimeter = 0;
            for (int i = 0; i < count; ++i) {
                const int n = p.u16(2 + i * 2);
                const QPolygonF polygon = points(p, at, n);
                if (polygon.isEmpty())
                    break;
                path.addPolygon(polygon);
                path.closeSubpath();
                perimeter += outlineLength(polygon, true);
                at += qsizetype(n) * 4;
            }
            if (!afford(path.boundingRect(), perimeter, path.elementCount(), true))
                break;
            prepareShape();
            painter_.drawPath(path);
            break;
        }
        case META_RECTANGLE:
            if (p.has(0, 8) && afford(rectFrom(p, 0))) {
                prepareShape();
                painter_.drawRect(rectFrom(p, 0));
            }
            break;
        case META_ELLIPSE:
            if (p.has(0, 8) && afford(rectFrom(p, 0))) {
                prepareShape();
                painter_.drawEllipse(rectFrom(p, 0));
            }
            break;
        case META_ROUNDRECT:
            if (p.has(0, 12) && afford(rectFrom(p, 4))) {
                prepareShape();
                painter_.drawRoundedRect(rectFrom(p, 4), std::abs(p.i16(2)) / 2.0, std::abs(p.i16(0)) / 2.0);
            }
            break;
        case META_TEXTOUT: {
            const int length = p.i16(0);
            const qsizetype padded = (qsizetype(std::max(length, 0)) + 1) / 2 * 2;
            if (length > 0 && p.has(2, padded + 4))
                drawText(QPointF(p.i16(2 + padded + 2), p.i16(2 + padded)), p.bytes(2, length));
            break;
        }
        case META_EXTTEXTOUT: {
            const int length = p.i16(4);
            const quint16 options = p.u16(6);
            const qsizetype at = (options & 0x0006) ? 16 : 8; // a clipping or opaque rectangle comes first
            if (length > 0 && p.has(at, length))
                drawText(QPointF(p.i16(2), p.i16(0)), p.bytes(at, length));
            break;
        }
        default:
            break; // records our pictures do not use are skipped
        }
    }

    QPainter& painter_;
    QSize target_;
    qint64 budget_ = kCoverageBudget * target_.width() * target_.height() + 20000000;
    std::vector<GdiObject> objects_;
    DcState state_;
    std::vector<DcState> saved_;
};

QSize ownSize(const Metafile& meta) {
    const int inch = meta.inch > 0 ? meta.inch : 96;
    return QSize(int(std::lround(std::abs(meta.frame.width()) * 96.0 / inch)),
                 int(std::lround(std::abs(meta.frame.height()) * 96.0 / inch)));
}

bool isMetafile(const QString& path, const QByteArray& data) {
    if (QFileInfo(path).suffix().compare(QLatin1String("wmf"), Qt::CaseInsensitive) == 0)
        return true;
    return data.size() >= 4 && qFromLittleEndian<quint32>(data.constData()) == kPlaceableKey;
}

// Decodes the frames of a raster picture (an icon holds several sizes), refusing sizes that would cost much.
std::vector<QImage> readFrames(QByteArray data) {
    std::vector<QImage> frames;
    // Inside the coded data a 0xFF byte is always followed by 0 or a restart number, so this counts markers.
    if (data.startsWith("\xFF\xD8") && data.count("\xFF\xDA") > kMaxJpegScans)
        return frames;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(int(kMaxPixels * 4 / (1024 * 1024)));
    const int count = std::clamp(reader.imageCount(), 1, kMaxFrames);
    for (int i = 0; i < count; ++i) {
        if (count > 1 && !reader.jumpToImage(i))
            break;
        const QSize size = reader.size();
        if (size.isValid() && qint64(size.width()) * size.height() > kMaxPixels)
            continue;
        QImage image = reader.read();
        if (!image.isNull())
            frames.push_back(std::move(image));
    }
    return frames;
}
} // namespace

QImage RenderMetafile(const QByteArray& data, const QSize& size) {
    Metafile meta;
    if (data.size() > kMaxFileBytes || !parseMetafile(data, meta))
        return QImage();
    QSize target = ownSize(meta);
    if (target.isEmpty())
        return QImage();
    if (size.isValid() && !size.isEmpty())
        target = target.scaled(size, Qt::KeepAspectRatio);
    if (target.width() > kMaxSide || target.height() > kMaxSide)
        target = target.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio);
    target = target.expandedTo(QSize(1, 1));

    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return QImage();
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Player(painter, meta, target).play(meta.records);
    painter.end();
    return image;
}

QPixmap LoadPicture(const QString& path, const QSize& size, qreal devicePixelRatio) {
    QByteArray data;
    if (!ReadRegularFile(path, kMaxFileBytes, data))
        return QPixmap();
    const qreal dpr = std::clamp<qreal>(devicePixelRatio, 1, 4);
    const bool sized = size.isValid() && !size.isEmpty();
    if (isMetafile(path, data)) {
        // Drawn for the screen's real pixels, so that a 2x screen shows it sharp rather than scaled up.
        Metafile meta;
        if (!parseMetafile(data, meta))
            return QPixmap();
        const QSize logical = sized ? ownSize(meta).scaled(size, Qt::KeepAspectRatio) : ownSize(meta);
        QImage image = RenderMetafile(data, logical * dpr);
        if (image.isNull())
            return QPixmap();
        image.setDevicePixelRatio(dpr);
        return QPixmap::fromImage(std::move(image));
    }

    QImage image;
    // An icon file holds several sizes: show the largest.
    for (QImage& frame : readFrames(std::move(data))) {
        if (frame.width() * qint64(frame.height()) > image.width() * qint64(image.height()))
            image = std::move(frame);
    }
    if (image.isNull())
        return QPixmap();
    if (sized) {
        image = image.scaled(size * dpr, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(dpr);
    }
    return QPixmap::fromImage(std::move(image));
}

QIcon LoadIcon(const QString& path) {
    QByteArray data;
    if (!ReadRegularFile(path, kMaxFileBytes, data))
        return QIcon();
    QIcon icon;
    for (const QImage& frame : readFrames(std::move(data)))
        icon.addPixmap(QPixmap::fromImage(frame));
    return icon;
}
