#pragma once
// The preview window of a report: pages through it, zooms, prints through the system's print
// dialog and exports it to PDF. Non-modal; one per report run.

#include "reports/ReportEngine.h"

#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QPrinter;
class ReportPageView;
class QSpinBox;
class QToolButton;

// The pages a print run paints, as the print dialog left the printer: its range, copies, collation
// and page order. Copies and collation are the program's work only where the print system does
// not make copies itself.
PageRun PageRunOf(const QPrinter& printer, int pageCount);

class ReportPreview : public QWidget {
    Q_OBJECT
public:
    explicit ReportPreview(std::shared_ptr<const ReportRenderer> renderer, QWidget* parent = nullptr);
    ~ReportPreview() override;

    const ReportRenderer& renderer() const { return *renderer_; }
    int pageCount() const;
    int currentPage() const; // 1-based
    void setCurrentPage(int page);
    // The preview's zoom: a factor (1.0 the page's real size), or fitting a whole page or its width.
    void setZoom(const QString& zoom);
    bool exportPdf(const QString& fileName) const;
    ReportPageView* view() const { return view_; }

    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void cmdPrint_Click();
    void cmdExport_Click();
    // A further export, as CSV for spreadsheets, of what the report lays out (the trip list has one).
    void addCsvExport(std::function<QByteArray()> csv);
    void cmdExportCsv_Click();

private:
    void pageChanged();

    std::shared_ptr<const ReportRenderer> renderer_;
    std::unique_ptr<QPrinter> printer_; // made at the first print, kept for the printer chosen then
    ReportPageView* view_ = nullptr;
    QToolButton* cmdFirst_ = nullptr;
    QToolButton* cmdPrevious_ = nullptr;
    QSpinBox* txtPage_ = nullptr;
    QLabel* lblPages_ = nullptr;
    QToolButton* cmdNext_ = nullptr;
    QToolButton* cmdLast_ = nullptr;
    QComboBox* cboZoom_ = nullptr;
    QToolButton* cmdClose_ = nullptr;
    std::function<QByteArray()> csv_;
};
