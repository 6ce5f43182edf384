#pragma once
// The report data environment and the two reports, as the main window and ShutDown use them.

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

struct ReportRows;
class QWidget;
class ReportPreview;
struct SummaryTrip;
struct YearSummary;

// A command's record set as callers see it: an open state and a close.
class ReportRecordset {
public:
    virtual ~ReportRecordset() = default;
    virtual bool isOpen() const = 0;
    virtual void Close() = 0;
    // The rows read by the last run, held in memory; empty when the record set is closed.
    virtual std::shared_ptr<const ReportRows> Rows() const = 0;
};

class DataEnvironment {
public:
    virtual ~DataEnvironment() = default;
    virtual void cmdTrip() = 0;                    // opens rscmdTrip over all trips
    virtual void cmdReport(const QString& ID) = 0; // opens rscmdReport over the trips with TripID = ID
    // Opens rscmdTrip over rows the caller gives instead of the query's (a filtered list's trips).
    virtual void cmdTripRows(std::shared_ptr<const ReportRows> rows) = 0;
    virtual ReportRecordset& rscmdTrip() = 0;
    virtual ReportRecordset& rscmdReport() = 0;

    // The year summary's query: every trip with the values it adds up, dates read. Null when the
    // query cannot run (an empty list is a table without trips).
    virtual std::shared_ptr<const std::vector<SummaryTrip>> cmdSummary() = 0;
};

// The one data environment of the program, created at its first use.
DataEnvironment& dataReport();
bool dataReportActive();
void ReleaseDataReport();

// The connection text of conReport and the file its data source reaches: the relative path is
// taken below baseFolder, each folder and file name matched regardless of case.
extern const char* const kReportConnectionString;
QString ResolveDataSource(const QString& connectionString, const QString& baseFolder);

// The trip list report's rows for rows of a trip table, in the order given: the columns of tblMain the
// report shows, with the values as stored.
class TripTable;
std::shared_ptr<const ReportRows> TripReportRows(const TripTable& table, const std::vector<int>& rows);
// The trip list report's rows as the CSV export writes trips, in their order.
QByteArray TripRowsToCsv(const ReportRows& rows);
// The trip list report over those rows, as the Trip List command runs it over all trips.
void PrintTripRows(const TripTable& table, const std::vector<int>& rows);

// The window the previews open over, centred on it (the main window hands itself in); none: the screen.
void SetReportOwner(QWidget* owner);

// The two reports: Show opens the preview (creating the report object on first use), Unload ends it.
namespace rptTrips {
void Show();
void Unload();
bool Loaded();            // the report object exists (its initialisation has run)
ReportPreview* Preview(); // the open preview window, or nullptr
} // namespace rptTrips
namespace rptReport {
void Show();
void Unload();
bool Loaded();
ReportPreview* Preview();
} // namespace rptReport

// The year summary: Show opens a fresh preview of the summary, replacing one still open.
namespace rptSummary {
void Show(const YearSummary& summary);
void Unload();
ReportPreview* Preview();
} // namespace rptSummary
