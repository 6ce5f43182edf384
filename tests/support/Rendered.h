#pragma once
// Contrast as drawn: the most frequent colour in an area of a rendered image is its background, and the pixel
// that differs most from it is the core of a letter or a border line.

#include "platform/Look.h"

#include <QImage>

#include <map>

inline double RenderedContrast(const QImage& image, const QRect& area, QRgb* background = nullptr) {
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    if (counts.empty())
        return 0;
    QRgb most = counts.begin()->first;
    for (const auto& [colour, n] : counts)
        most = n > counts[most] ? colour : most;
    if (background)
        *background = most;
    double best = 1;
    for (const auto& entry : counts)
        best = std::max(best, ContrastRatio(QColor(most), QColor(entry.first)));
    return best;
}
