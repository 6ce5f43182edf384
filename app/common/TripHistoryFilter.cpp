#include "common/TripHistoryFilter.h"

#include "common/TripHistoryModel.h"

TripHistoryFilter::TripHistoryFilter(QObject* parent) : QSortFilterProxyModel(parent) {}

void TripHistoryFilter::setFilterText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    needle_ = TripTable::fold(text.toStdString());
    invalidateRowsFilter();
}

bool TripHistoryFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const auto* model = qobject_cast<const TripHistoryModel*>(sourceModel());
    return !model || model->table().contains(sourceRow, needle_);
}

QString TripHistoryFilter::countText(const QLocale& locale) const {
    QLocale grouped = locale;
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    const int total = sourceModel() ? sourceModel()->rowCount() : 0;
    return QStringLiteral("%1 of %2 %3")
        .arg(grouped.toString(rowCount()), grouped.toString(total),
             total == 1 ? QStringLiteral("entry") : QStringLiteral("entries"));
}
