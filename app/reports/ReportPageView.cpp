#include "reports/ReportPageView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kGap = 16;           // pixels around and between pages
constexpr std::size_t kCached = 8; // pages kept painted
constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 8.0;
} // namespace

ReportPageView::ReportPageView(std::shared_ptr<const ReportRenderer> renderer, QWidget* parent)
    : QAbstractScrollArea(parent), renderer_(std::move(renderer)) {
    const QPageLayout layout = PageLayoutOf(renderer_->definition());
    paperTwips_ = layout.fullRect(QPageLayout::Point).size() * 20.0;
    const QMarginsF margins = layout.margins(QPageLayout::Point);
    originTwips_ = QPointF(margins.left() * 20.0, margins.top() * 20.0);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
    fitZoom();
}

double ReportPageView::dotsPerInch() const {
    return viewport()->logicalDpiX() * zoom_;
}

QSize ReportPageView::pageSize() const {
    const double pixelsPerTwip = dotsPerInch() / 1440.0;
    return QSize(std::max(1, static_cast<int>(std::lround(paperTwips_.width() * pixelsPerTwip))),
                 std::max(1, static_cast<int>(std::lround(paperTwips_.height() * pixelsPerTwip))));
}

int ReportPageView::currentPage() const {
    const int stride = pageSize().height() + kGap;
    // The page that fills the top of the view (or the one just below a gap).
    const int page = (verticalScrollBar()->value() + stride / 2) / stride + 1;
    return std::clamp(page, 1, pageCount());
}

void ReportPageView::setCurrentPage(int page) {
    page = std::clamp(page, 1, pageCount());
    verticalScrollBar()->setValue((page - 1) * (pageSize().height() + kGap));
}

void ReportPageView::setZoomMode(ZoomMode mode) {
    mode_ = mode;
    if (mode_ != CustomZoom)
        fitZoom();
}

void ReportPageView::setZoomFactor(double factor) {
    mode_ = CustomZoom;
    applyZoom(factor);
}

void ReportPageView::applyZoom(double factor) {
    factor = std::clamp(factor, kMinZoom, kMaxZoom);
    const int page = currentPage();
    if (std::abs(factor - zoom_) > 1e-9) {
        zoom_ = factor;
        cache_.clear();
    }
    updateScrollBars();
    setCurrentPage(page);
    viewport()->update();
}

void ReportPageView::fitZoom() {
    const QSize room = viewport()->size() - QSize(2 * kGap, 2 * kGap);
    const double dpi = viewport()->logicalDpiX();
    const double widthAtOne = paperTwips_.width() * dpi / 1440.0;
    const double heightAtOne = paperTwips_.height() * dpi / 1440.0;
    if (room.width() <= 0 || room.height() <= 0 || widthAtOne <= 0) {
        applyZoom(zoom_);
        return;
    }
    double factor = room.width() / widthAtOne;
    if (mode_ == FitPage)
        factor = std::min(factor, room.height() / heightAtOne);
    applyZoom(factor);
}

void ReportPageView::updateScrollBars() {
    const QSize page = pageSize();
    const int height = pageCount() * (page.height() + kGap) + kGap;
    const int width = page.width() + 2 * kGap;
    const QSize view = viewport()->size();
    // Every page can be scrolled to the top of the view, the last one too.
    verticalScrollBar()->setRange(0, std::max({0, height - view.height(), (pageCount() - 1) * (page.height() + kGap)}));
    verticalScrollBar()->setPageStep(std::max(1, view.height()));
    horizontalScrollBar()->setRange(0, std::max(0, width - view.width()));
    horizontalScrollBar()->setPageStep(std::max(1, view.width()));
}

const QImage& ReportPageView::pageImage(int page) {
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->first == page) {
            cache_.splice(cache_.begin(), cache_, it);
            return cache_.front().second;
        }
    }
    const qreal ratio = viewport()->devicePixelRatioF();
    const QSize size = pageSize();
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const double dpi = dotsPerInch();
        painter.translate(originTwips_ * (dpi / 1440.0));
        renderer_->paintPage(painter, page, dpi, dpi);
    }
    ++painted_;
    cache_.emplace_front(page, std::move(image));
    if (cache_.size() > kCached)
        cache_.pop_back();
    return cache_.front().second;
}

void ReportPageView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QSize page = pageSize();
    const int stride = page.height() + kGap;
    const int top = verticalScrollBar()->value();
    const int viewWidth = viewport()->width();
    const int left =
        (page.width() + 2 * kGap <= viewWidth) ? (viewWidth - page.width()) / 2 : kGap - horizontalScrollBar()->value();
    const int first = std::max(0, (top - kGap) / stride);
    for (int i = first; i < pageCount(); ++i) {
        const int y = kGap + i * stride - top;
        if (y > viewport()->height())
            break;
        const QRect frame(left, y, page.width(), page.height());
        if (!frame.intersects(event->rect()))
            continue;
        painter.fillRect(frame.translated(3, 3), QColor(0, 0, 0, 90));
        painter.drawImage(frame.topLeft(), pageImage(i));
    }
}

void ReportPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (mode_ != CustomZoom)
        fitZoom();
    else
        updateScrollBars();
}

void ReportPageView::scrollContentsBy(int, int) {
    viewport()->update();
    const int page = currentPage();
    if (page != lastPage_) {
        lastPage_ = page;
        emit currentPageChanged(page);
    }
}

void ReportPageView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        const double steps = event->angleDelta().y() / 120.0;
        setZoomFactor(zoom_ * std::pow(1.15, steps));
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}
