#pragma once
// The pages of a report on screen, one under the other. Only the pages in view are painted, and
// only when they come into view, so the first page of a long report shows at once.

#include "reports/ReportEngine.h"

#include <QAbstractScrollArea>
#include <QImage>

#include <list>
#include <memory>
#include <utility>

class ReportPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum ZoomMode { FitPage, FitWidth, CustomZoom };

    explicit ReportPageView(std::shared_ptr<const ReportRenderer> renderer, QWidget* parent = nullptr);

    int pageCount() const { return renderer_->pageCount(); }
    int currentPage() const; // 1-based: the page at the top of the view
    void setCurrentPage(int page);

    ZoomMode zoomMode() const { return mode_; }
    void setZoomMode(ZoomMode mode);
    double zoomFactor() const { return zoom_; } // 1.0 is the paper's real size
    void setZoomFactor(double factor);

    // The pages painted so far (each at most once per zoom while it stays in the cache).
    int pagesPainted() const { return painted_; }

signals:
    void currentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    double dotsPerInch() const;
    QSize pageSize() const;        // one page at the current zoom, in pixels
    void applyZoom(double factor); // keeps the current page in view
    void fitZoom();
    void updateScrollBars();
    const QImage& pageImage(int page);

    std::shared_ptr<const ReportRenderer> renderer_;
    QSizeF paperTwips_;
    QPointF originTwips_; // the printable area's top-left on the paper
    ZoomMode mode_ = FitWidth;
    double zoom_ = 1.0;
    int lastPage_ = 1;
    int painted_ = 0;
    std::list<std::pair<int, QImage>> cache_; // most recently used first
};
