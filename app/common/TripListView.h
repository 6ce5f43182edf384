#pragma once
// A trip list as both trip windows show it: the find box, the date range and the count of shown
// trips above a list view on the trip model. The view is named lvTrip; its header sorts by click
// and its context menu sorts from the keyboard. Loading a row is the window's business: it hears
// a click or Enter on the current row, never a mere move of the current row.

#include "common/TripFilterModel.h"
#include "common/TripTableModel.h"

#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QTreeView;

class TripListView : public QWidget {
    Q_OBJECT
public:
    TripListView(TripTableModel::Columns columns, QWidget* parent);

    QTreeView* view() const { return view_; }
    TripTableModel* model() const { return model_; }
    TripFilterModel* proxy() const { return proxy_; }
    QLineEdit* findBox() const { return txtFind_; }

    void setTable(std::shared_ptr<const TripTable> table);
    // Sizes each column to its header and the widest value it holds, at the font the list shows them in. The
    // longest stored text and the numbers farthest from zero stand for a column (formatting every cell of a long
    // list would cost more than opening the window); texts stop at about 40 characters and elide beyond.
    // least: widths no column goes below (design widths), or empty.
    void fitColumns(const std::vector<int>& least = {});
    // The table row of the current list row, or -1.
    int currentTableRow() const;
    // Makes the list row of a table row current and shows it; false when the filter hides it.
    bool setCurrentTableRow(int tableRow);
    // Tab order: the find box, the date range, the list, then next.
    void chainTabOrder(QWidget* next);
    // The proxy's sort, for a header click or the context menu.
    void sortByClick(int column);

signals:
    // A click on a row, or Enter on the current row.
    void rowChosen();
    // A header click or a "Sort by" choice, before the rows are sorted (the window shows the hourglass).
    void sortRequested(int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showContextMenu(const QPoint& at);
    void dateRangeEdited();
    void updateCount();

    TripTableModel* model_ = nullptr;
    TripFilterModel* proxy_ = nullptr;
    QTreeView* view_ = nullptr;
    QLineEdit* txtFind_ = nullptr;
    QLineEdit* txtFrom_ = nullptr;
    QLineEdit* txtTo_ = nullptr;
    QLabel* lblCount_ = nullptr;
};
