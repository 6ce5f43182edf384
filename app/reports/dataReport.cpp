#include "reports/dataReport.h"

#include "common/ChildWindows.h"
#include "common/TripTableModel.h"
#include "common/modGlobal.h"
#include "platform/AppInfo.h"
#include "platform/Format.h"
#include "reports/ReportEngine.h"
#include "reports/YearSummary.h"
#include "tripdata/TripCsv.h"
#include "tripdata/TripDates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

#include <sqlite3.h>

const char* const kReportConnectionString =
    "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=Miles\\miles.mil;Persist Security Info=False;";

QString ResolveDataSource(const QString& connectionString, const QString& baseFolder) {
    QString source;
    for (const QString& part : connectionString.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            source = part.mid(eq + 1).trimmed();
    }
    if (source.isEmpty())
        return QString();
    const QStringList names = source.split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
    QString path = QDir::isAbsolutePath(source) ? QStringLiteral("/") : baseFolder;
    // The connection text writes "Miles", the installed folder is "miles": match names without case.
    for (const QString& name : names) {
        QDir dir(path);
        QString found = name;
        if (!dir.exists(name)) {
            const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
            for (const QString& entry : entries) {
                if (entry.compare(name, Qt::CaseInsensitive) == 0) {
                    found = entry;
                    break;
                }
            }
        }
        path = dir.filePath(found);
    }
    return QDir::cleanPath(path);
}

namespace {

class MemoryRecordset : public ReportRecordset {
public:
    bool isOpen() const override { return open_; }
    void Close() override {
        open_ = false;
        rows_.reset();
    }
    std::shared_ptr<const ReportRows> Rows() const override {
        static const auto empty = std::make_shared<const ReportRows>();
        return rows_ ? rows_ : empty;
    }
    void open(std::shared_ptr<const ReportRows> rows) {
        rows_ = std::move(rows);
        open_ = true;
    }

private:
    std::shared_ptr<const ReportRows> rows_;
    bool open_ = false;
};

QVariant columnValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant::fromValue<qlonglong>(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_NULL:
        return QVariant();
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(statement, column));
    }
    }
}

class ReportEnvironment : public DataEnvironment {
public:
    ~ReportEnvironment() override { closeConnection(); }

    void cmdTrip() override { run(rscmdTrip_, "SELECT * FROM tblMain", nullptr); }
    void cmdReport(const QString& ID) override { run(rscmdReport_, "SELECT * FROM tblMain WHERE TripID = ?", &ID); }
    void cmdTripRows(std::shared_ptr<const ReportRows> rows) override {
        rscmdTrip_.Close();
        if (rows)
            rscmdTrip_.open(std::move(rows));
    }
    ReportRecordset& rscmdTrip() override { return rscmdTrip_; }
    ReportRecordset& rscmdReport() override { return rscmdReport_; }

    std::shared_ptr<const std::vector<SummaryTrip>> cmdSummary() override {
        if (!openConnection())
            return nullptr;
        static const char* const sql =
            "SELECT TripID, StartDate, StartOdometer, EndOdometer, Miles, Mileage, Fuel, Parking, Meals, Motel, "
            "Phone, Repairs, Towing, Expense, TotalTrip FROM tblMain";
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(conReport_, sql, -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            return nullptr;
        }
        const auto text = [statement](int column) {
            const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
            return QString::fromUtf8(chars, sqlite3_column_bytes(statement, column));
        };
        const auto reading = [statement](int column) -> std::optional<std::int64_t> {
            if (sqlite3_column_type(statement, column) == SQLITE_NULL)
                return std::nullopt;
            return static_cast<std::int64_t>(std::llround(sqlite3_column_double(statement, column)));
        };
        // SQL's SUM passes over nulls: they add nothing here either.
        const auto amount = [statement](int column) { return sqlite3_column_double(statement, column); };
        auto trips = std::make_shared<std::vector<SummaryTrip>>();
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            SummaryTrip t;
            t.tripId = text(0);
            t.date = ParseTripDate(text(1));
            t.startOdometer = reading(2);
            t.endOdometer = reading(3);
            t.miles = amount(4);
            t.mileage = amount(5);
            for (int i = 0; i < 8; ++i)
                t.expenses[std::size_t(i)] = amount(6 + i);
            t.total = amount(14);
            trips->push_back(std::move(t));
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            return nullptr;
        return trips;
    }

private:
    // conReport opens at the first command run and stays open; it reopens only when the
    // application folder has changed under it (a test's fresh folder).
    bool openConnection() {
        const QString path = ResolveDataSource(QString::fromLatin1(kReportConnectionString), App::Path());
        if (conReport_ && path == openPath_)
            return true;
        closeConnection();
        sqlite3* db = nullptr;
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_close(db);
            return false;
        }
        // The library may be writing a trip this very moment: wait for it rather than fail.
        sqlite3_busy_timeout(db, 5000);
        conReport_ = db;
        openPath_ = path;
        return true;
    }

    void closeConnection() {
        if (conReport_)
            sqlite3_close(conReport_);
        conReport_ = nullptr;
        openPath_.clear();
    }

    // Runs the query and reads every row into memory; the statement is finalised before this
    // returns, so no read lock outlives the call and a save is never blocked by an open report.
    void run(MemoryRecordset& recordset, const char* sql, const QString* parameter) {
        recordset.Close();
        if (!openConnection())
            return;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(conReport_, sql, -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            return;
        }
        if (parameter) {
            const QByteArray id = parameter->toUtf8();
            sqlite3_bind_text(statement, 1, id.constData(), static_cast<int>(id.size()), SQLITE_TRANSIENT);
        }
        auto rows = std::make_shared<ReportRows>();
        const int columns = sqlite3_column_count(statement);
        for (int c = 0; c < columns; ++c)
            rows->columns << QString::fromUtf8(sqlite3_column_name(statement, c));
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            std::vector<QVariant> row;
            row.reserve(static_cast<std::size_t>(columns));
            for (int c = 0; c < columns; ++c)
                row.push_back(columnValue(statement, c));
            rows->rows.push_back(std::move(row));
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            return; // a failed query leaves the record set closed
        recordset.open(std::move(rows));
    }

    sqlite3* conReport_ = nullptr;
    QString openPath_;
    MemoryRecordset rscmdTrip_;
    MemoryRecordset rscmdReport_;
};

std::unique_ptr<ReportEnvironment>& environment() {
    static std::unique_ptr<ReportEnvironment> env;
    return env;
}

} // namespace

DataEnvironment& dataReport() {
    auto& env = environment();
    if (!env)
        env = std::make_unique<ReportEnvironment>();
    return *env;
}

bool dataReportActive() {
    return environment() != nullptr;
}

void ReleaseDataReport() {
    environment().reset();
}

std::shared_ptr<const ReportRows> TripReportRows(const TripTable& table, const std::vector<int>& rows) {
    static const char* const columns[TripTable::kFieldCount] = {
        "TripID", "StartDate", "Destination", "StartOdometer", "EndOdometer", "Miles",
        "Rate",   "Mileage",   "Fuel",        "Parking",       "Meals",       "Motel",
        "Phone",  "Repairs",   "Towing",      "Expense",       "TotalTrip",   "Notes"};
    auto out = std::make_shared<ReportRows>();
    for (const char* name : columns)
        out->columns << QString::fromLatin1(name);
    out->rows.reserve(rows.size());
    for (const int row : rows) {
        if (row < 0 || row >= table.rowCount())
            continue;
        std::vector<QVariant> values;
        values.reserve(TripTable::kFieldCount);
        for (int f = 0; f < TripTable::kFieldCount; ++f) {
            const auto field = TripTable::Field(f);
            if (TripTable::isText(field) || field == TripTable::Date) {
                values.emplace_back(table.text(row, field));
            } else if (const std::optional<double> v = table.number(row, field)) {
                values.emplace_back(*v);
            } else {
                values.emplace_back();
            }
        }
        out->rows.push_back(std::move(values));
    }
    return out;
}

QByteArray TripRowsToCsv(const ReportRows& rows) {
    // Through the table the lists use, so the file is the one the editing window writes.
    std::vector<std::string> columns;
    columns.reserve(std::size_t(rows.columns.size()));
    for (const QString& name : rows.columns)
        columns.push_back(name.toStdString());
    std::vector<std::vector<Value>> values;
    values.reserve(rows.size());
    for (const std::vector<QVariant>& row : rows.rows) {
        std::vector<Value> out;
        out.reserve(row.size());
        for (const QVariant& v : row) {
            switch (v.typeId()) {
            case QMetaType::UnknownType:
                out.emplace_back();
                break;
            case QMetaType::LongLong:
            case QMetaType::Int:
                out.push_back(Value::integer(v.toLongLong()));
                break;
            case QMetaType::Double:
                out.push_back(Value::real(v.toDouble()));
                break;
            default:
                out.push_back(Value::text(v.toString().toStdString()));
                break;
            }
        }
        values.push_back(std::move(out));
    }
    Recordset recordset(std::move(columns), std::move(values));
    const std::shared_ptr<TripTable> table = TripTable::fromRecordset(recordset);
    std::vector<int> order(std::size_t(table->rowCount()));
    for (int i = 0; i < table->rowCount(); ++i)
        order[std::size_t(i)] = i;
    return TripsToCsv(*table, order);
}

void PrintTripRows(const TripTable& table, const std::vector<int>& rows) {
    if (dataReport().rscmdTrip().isOpen()) {
        dataReport().rscmdTrip().Close();
        rptTrips::Unload();
    }
    dataReport().cmdTripRows(TripReportRows(table, rows));
    rptTrips::Show();
    Arrange(0);
}
