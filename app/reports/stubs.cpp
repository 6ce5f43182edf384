#include "reports/dataReport.h"
#include "reports/frmReport.h"

frmReport::frmReport(QWidget* parent) : QWidget(parent) { setObjectName("frmReport"); }

namespace {
class StubRecordset : public ReportRecordset {
public:
    bool isOpen() const override { return false; }
    void Close() override {}
};
class StubEnvironment : public DataEnvironment {
public:
    void cmdTrip() override {}
    void cmdReport(const QString&) override {}
    ReportRecordset& rscmdTrip() override { return rs; }
    ReportRecordset& rscmdReport() override { return rs; }
    StubRecordset rs;
};
} // namespace

DataEnvironment& dataReport() {
    static StubEnvironment env;
    return env;
}
bool dataReportActive() { return false; }
void ReleaseDataReport() {}
namespace rptTrips {
void Show() {}
void Unload() {}
} // namespace rptTrips
namespace rptReport {
void Show() {}
void Unload() {}
} // namespace rptReport
