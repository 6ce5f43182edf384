// The two report objects, rptTrips and rptReport: created at first use (their initialisation runs
// then), showing a preview of their command's rows, ended by Unload (their termination runs then).

#include "reports/ReportLayouts.h"
#include "reports/ReportPreview.h"
#include "reports/YearSummary.h"
#include "reports/dataReport.h"

#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/Picture.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPointer>
#include <QScreen>

namespace {

enum class Which { Trips, Expense, Summary };

// Preview opening state: the window state (2 maximised) and the restored window's start-up
// position (1 centred over the main window).
constexpr int kWindowMaximized = 2;
constexpr int kCenterOwner = 1;

QPointer<QWidget>& reportOwner() {
    static QPointer<QWidget> owner;
    return owner;
}

class ReportObject {
public:
    explicit ReportObject(Which which) : which_(which) { DataReport_Initialize(); }
    ~ReportObject() {
        delete preview_.data(); // an open preview closes with its report
        DataReport_Terminate();
    }
    ReportObject(const ReportObject&) = delete;
    ReportObject& operator=(const ReportObject&) = delete;

    ReportPreview* preview() const { return preview_.data(); }

    void Show() {
        ReportRecordset& recordset = which_ == Which::Trips ? dataReport().rscmdTrip() : dataReport().rscmdReport();
        present(recordset.Rows());
    }

    // The summary's layout carries its period, so each summary shown brings its own.
    void Show(const YearSummary& summary) {
        definition_ = YearSummaryLayout(PeriodText(summary.from, summary.to));
        present(SummaryReportRows(summary));
    }

private:
    void present(std::shared_ptr<const ReportRows> rows) {
        if (preview_ && preview_->isVisible() && rows == shownRows_) {
            preview_->raise();
            preview_->activateWindow();
            return;
        }
        // A run since the preview opened (one that found its record set closed, so the report was not
        // unloaded first), or a preview already closing: the open preview would show old rows.
        delete preview_.data();
        shownRows_ = rows;
        auto renderer = std::make_shared<const ReportRenderer>(definition_, std::move(rows), title_);
        QWidget* owner = reportOwner();
        preview_ = new ReportPreview(renderer, owner);
        if (which_ == Which::Trips)
            preview_->addCsvExport([rows = shownRows_] { return rows ? TripRowsToCsv(*rows) : QByteArray(); });
        preview_->setAttribute(Qt::WA_DeleteOnClose);
        preview_->setWindowTitle(caption_);
        if (!icon_.isNull())
            preview_->setWindowIcon(icon_);
        if (startUpPosition_ == kCenterOwner) {
            const QRect area =
                owner ? owner->frameGeometry()
                      : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                          : QRect());
            if (area.isValid()) {
                QRect frame(QPoint(), preview_->size().boundedTo(area.size()));
                frame.moveCenter(area.center());
                preview_->setGeometry(frame);
            }
        }
        if (windowState_ == kWindowMaximized)
            preview_->showMaximized();
        else
            preview_->show();
        preview_->raise();
        preview_->activateWindow();
    }

    void DataReport_Initialize() {
        const bool trips = which_ == Which::Trips;
        if (which_ == Which::Summary) {
            caption_ = App::Title() + QStringLiteral("  -  Year Summary");
            definition_ = YearSummaryLayout(QString());
        } else {
            caption_ = App::Title() + (trips ? QStringLiteral("  -  Trips") : QStringLiteral("  -  Trip Report"));
            definition_ = trips ? TripListLayout() : TripReportLayout();
            definition_.reportWidth = trips ? 14595 : 10620;
            // Smaller fixed margins than the design's inch; report width plus side margins fits letter paper.
            definition_.margins = trips ? ReportMargins{500, 400, 500, 1000} : ReportMargins{500, 600, 300, 1000};
        }
        windowState_ = kWindowMaximized;
        startUpPosition_ = kCenterOwner;
        title_ = strFullName; // read now: a profile changed later shows on the next run
        icon_ = LoadIcon(App::Path() + QStringLiteral("/images/earth.ico"));
        conTrips = std::make_shared<DbConnection>();
    }

    void DataReport_Terminate() {
        if (conTrips)
            conTrips.reset();
    }

    Which which_;
    ReportDefinition definition_;
    QString caption_;
    QString title_;
    QIcon icon_;
    int windowState_ = 0;
    int startUpPosition_ = 0;
    QPointer<ReportPreview> preview_;
    std::shared_ptr<const ReportRows> shownRows_; // the rows the open preview lays out
};

// Deliberately never destroyed at exit: termination touches conTrips, which may be gone by then.
ReportObject*& object(Which which) {
    static ReportObject* trips = nullptr;
    static ReportObject* expense = nullptr;
    static ReportObject* summary = nullptr;
    if (which == Which::Summary)
        return summary;
    return which == Which::Trips ? trips : expense;
}

ReportObject& ensure(Which which) {
    ReportObject*& report = object(which);
    if (!report)
        report = new ReportObject(which);
    return *report;
}

// Referring to a report creates it, so even unloading one never shown runs its initialisation
// and then its termination.
void unload(Which which) {
    ensure(which);
    ReportObject*& report = object(which);
    ReportObject* ending = report;
    report = nullptr;
    delete ending;
}

ReportPreview* previewOf(Which which) {
    ReportObject* report = object(which);
    return report ? report->preview() : nullptr;
}

} // namespace

void SetReportOwner(QWidget* owner) {
    reportOwner() = owner;
}

namespace rptTrips {
void Show() {
    ensure(Which::Trips).Show();
}
void Unload() {
    unload(Which::Trips);
}
bool Loaded() {
    return object(Which::Trips) != nullptr;
}
ReportPreview* Preview() {
    return previewOf(Which::Trips);
}
} // namespace rptTrips

namespace rptReport {
void Show() {
    ensure(Which::Expense).Show();
}
void Unload() {
    unload(Which::Expense);
}
bool Loaded() {
    return object(Which::Expense) != nullptr;
}
ReportPreview* Preview() {
    return previewOf(Which::Expense);
}
} // namespace rptReport

namespace rptSummary {
void Show(const YearSummary& summary) {
    ensure(Which::Summary).Show(summary);
}
void Unload() {
    unload(Which::Summary);
}
ReportPreview* Preview() {
    return previewOf(Which::Summary);
}
} // namespace rptSummary
