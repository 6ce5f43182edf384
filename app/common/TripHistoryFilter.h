#pragma once
// The trip history list's search: the trip lists' search (Trip ID, destination and notes, case and accents
// ignored) over the history model.

#include <QLocale>
#include <QSortFilterProxyModel>
#include <QString>

#include <string>

class TripHistoryFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit TripHistoryFilter(QObject* parent = nullptr);
    void setFilterText(const QString& text);
    QString filterText() const { return text_; }
    // "12 of 40 entries".
    QString countText(const QLocale& locale = QLocale()) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString text_;
    std::string needle_;
};
