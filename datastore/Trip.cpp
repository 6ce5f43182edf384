// The class Trip: every read and write of trips and of the owner's profile, one connection per call.

#include "Connection.h"
#include "ErrorLog.h"
#include "SchemaSql.h"
#include "SqlText.h"
#include "Wendlo.h"
#ifdef WENDLO_TESTING
#include "WendloTesting.h"
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <map>
#include <new>
#include <set>
#include <sqlite3.h>
#include <strings.h>
#include <unistd.h>

namespace wendlo {
namespace {

WendloMessageHandler g_messageHandler = nullptr;
void* g_messageContext = nullptr;
WendloStatementTrace g_trace = nullptr;
void* g_traceContext = nullptr;

#ifdef WENDLO_TESTING
int g_initFault = WENDLO_INIT_OK;
bool initFault(int fault) {
    return g_initFault == fault;
}
#else
// Only the test build of the library can be told to fail.
constexpr bool initFault(int) {
    return false;
}
constexpr int WENDLO_INIT_NO_APP_FOLDER = 1;
constexpr int WENDLO_INIT_NO_CONNECTION = 2;
#endif

constexpr const char* kTitle = "Wendlo";

struct AppFolder {
    bool known = false;
    std::string path;
};

// The folder of this library's file, made absolute against the directory current at load time.
AppFolder findAppFolder() {
    AppFolder result;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&findAppFolder), &info) == 0 || !info.dli_fname || !*info.dli_fname)
        return result;
    std::string file = info.dli_fname;
    if (file[0] != '/') {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd))
            return result;
        file = std::string(cwd) + "/" + file;
    }
    const std::size_t slash = file.rfind('/');
    result.path = file.substr(0, slash);
    while (result.path.size() > 1 && result.path.compare(result.path.size() - 2, 2, "/.") == 0)
        result.path.resize(result.path.size() - 2);
    if (result.path == "/")
        result.path.clear();
    result.known = true;
    return result;
}

const AppFolder& appFolder() {
    static const AppFolder folder = findAppFolder();
    return folder;
}

// Resolve the folder as soon as the library is loaded, before anyone changes the current directory.
__attribute__((constructor)) void resolveAppFolderAtLoad() {
    appFolder();
}

int showMessage(const std::string& text, const char* title, int style) {
    if (g_messageHandler)
        return g_messageHandler(text.c_str(), title, style, g_messageContext);
    std::fprintf(stderr, "%s: %s\n", title, text.c_str());
    return MsgBoxDefaultAnswer(style);
}

void trace(const std::string& sql) {
    if (g_trace)
        g_trace(sql.c_str(), g_traceContext);
}

struct InitFailure {
    long number;
    std::string description;
};

class Trip final : public _TripRecords {
public:
    Trip();
    ~Trip() override;

    RecordsetPtr LoadTrip() override { return read("SELECT * FROM tblMain;"); }
    RecordsetPtr LoadTripReport(std::string& strID) override {
        return read("SELECT * FROM tblMain WHERE TripID = '" + EscapeQuoted(strID) + "';");
    }
    RecordsetPtr RefreshTrip() override { return read("SELECT TripID FROM tblMain;"); }
    bool AddTrip(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                 std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate) override;
    bool DeleteTrip(std::string& strID) override;
    bool UpdateTrip(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                    std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate) override;
    RecordsetPtr GetNewTripID() override;
    RecordsetPtr LoadOwner() override { return read("SELECT * FROM tblOwner;"); }
    bool AddOwner(std::vector<std::string>& strText) override;
    bool UpdateOwner(std::vector<std::string>& strText) override;
    std::string Clean(std::string& strText) override;
    std::int32_t AddTrips(std::vector<WendloTrip>& trips) override;
    std::int32_t AddTripsFrom(WendloTripSource& source) override { return addBatch(source, nullptr); }
    bool PrepareHistory() override { return prepare("PrepareHistory - DLL Function"); }
    RecordsetPtr LoadHistory() override { return read("SELECT * FROM tblTripHistory ORDER BY HistoryID DESC;"); }
    std::int32_t RestoreTrip(std::int64_t& lngHistoryID, bool& blnNewTripID, std::string& strTripID) override;
    std::int32_t EmptyHistory(WendloDate& datBefore) override;
    std::int32_t HistoryFailure(std::string& strDescription) override {
        strDescription = historyFailure_.description;
        return static_cast<std::int32_t>(historyFailure_.number);
    }
    bool PrepareRecords() override { return prepare("PrepareRecords - DLL Function"); }
    RecordsetPtr LoadTripRecords() override;
    bool AddTripRecord(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                       std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate,
                       std::int64_t& lngVehicleID, std::string& strPurpose) override;
    bool UpdateTripRecord(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                          std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate,
                          std::int64_t& lngVehicleID, std::string& strPurpose) override;
    std::int32_t AddTripRecordsFrom(WendloTripRecordSource& source) override;
    RecordsetPtr LoadVehicles() override;
    std::int32_t AddVehicle(WendloVehicle& vehicle) override { return writeVehicle(vehicle, false); }
    std::int32_t UpdateVehicle(WendloVehicle& vehicle) override { return writeVehicle(vehicle, true); }
    std::int32_t DeleteVehicle(std::int64_t& lngVehicleID) override;
    RecordsetPtr LoadVehicleYears() override {
        return read("SELECT VehicleID,Year,StartOdometer,EndOdometer FROM tblVehicleYear ORDER BY VehicleID,Year;");
    }
    std::int32_t SetVehicleYear(WendloVehicleYear& year) override;
    RecordsetPtr LoadRates() override {
        return read("SELECT RateID,FromDate,Rate,Note FROM tblRate ORDER BY FromDate;");
    }
    std::int32_t AddRate(WendloRate& rate) override { return writeRate(rate, false); }
    std::int32_t UpdateRate(WendloRate& rate) override { return writeRate(rate, true); }
    std::int32_t DeleteRate(std::int64_t& lngRateID) override;

private:
    // Thrown by a statement builder when a value cannot be written; ends in the write's failure path.
    struct BuildFailure {
        long number;
        std::string description;
    };

    RecordsetPtr read(const std::string& sql);
    // One statement of a multi-statement write: traced, run, and a failure thrown to the write's failure path.
    RecordsetPtr step(Connection& con, const std::string& sql, bool rows);
    // Rolls back, closes and logs under nameLine.
    void writeFailed(Connection& con, const DbError& error, const char* nameLine);
    // Runs a multi-statement write whose every failure is thrown (step, begin, commit): a failure rolls
    // back, closes, is logged under nameLine and gives failed.
    template <typename T, typename Body> T guarded(const char* nameLine, T failed, Body body);
    // Opens and begins a write transaction, or throws the failure.
    static void begin(Connection& con);
    // Commits and closes, or throws the failure.
    static void commit(Connection& con);
    // The new-trip identifier inside an open transaction: "T-" and one more than the highest ID.
    std::string nextTripId(Connection& con, const std::string& which);
    // One trip of a batch as its source hands it over, with its vehicle and purpose when the source has them.
    struct BatchRow {
        WendloTrip* trip = nullptr;
        const std::int64_t* vehicle = nullptr;
        const std::string* purpose = nullptr;
    };
    // One transaction for all the trips of a source; the identifiers given go to ids when it is set.
    std::int32_t addBatch(WendloTripSource& source, std::vector<std::string>* ids);
    // The same for any source: next fills a BatchRow and answers as NextTrip does.
    template <typename Next> std::int32_t addBatch(Next next, std::vector<std::string>* ids, const char* nameLine);
    // Adds what is missing of the objects after tblMain and tblOwner; nameLine names its log entry.
    bool prepare(const char* nameLine);
    // Writes the vehicle and purpose of the trips the last statement wrote: those with Trip ID *tripId, or the
    // one it added when tripId is null. A vehicle that is not stored is thrown as a failure.
    void writeInfo(Connection& con, const std::string* tripId, std::int64_t vehicle, const std::string& purpose);
    // Between single quotes, by Clean's rule.
    std::string quoted(const std::string& text);
    // Rolls back, closes and gives result: a refusal writes nothing and logs nothing.
    static std::int32_t refuse(Connection& con, WendloRecordsResult result);
    std::int32_t writeVehicle(WendloVehicle& vehicle, bool update);
    std::int32_t writeRate(WendloRate& rate, bool update);
    template <typename Build> bool write(Build build, const char* nameLine, const char* function);
    void failureMessage(const DbError& error);
    std::string tripValues(std::vector<std::string>& strText, const WendloDate& datDate, std::int16_t intMiles,
                           const std::vector<std::int32_t>& lngNumbers, const std::vector<float>& sngMoney,
                           float sngRate, bool update);
    std::string cleaned(std::vector<std::string>& strText, std::size_t index);
    static const std::string& element(const std::vector<std::string>& strText, std::size_t index);

    DbError historyFailure_; // of the last PrepareHistory
};

Trip::Trip() {
    try {
        const AppFolder& folder = appFolder();
        if (initFault(WENDLO_INIT_NO_APP_FOLDER) || !folder.known)
            throw InitFailure{errAppFolderUnknown, "The folder of the library file cannot be determined"};
        strConnect = "Provider=Microsoft.Jet.OLEDB.4.0;User ID=;";
        strConnect += "Data Source=" + folder.path + "/miles/miles.mil;";
        strConnect += "Persist Security Info=False;";

        if (initFault(WENDLO_INIT_NO_CONNECTION))
            throw InitFailure{errNoConnectionObject, "The connection object cannot be created"};
        const int rc = sqlite3_initialize();
        if (rc != SQLITE_OK)
            throw InitFailure{rc, sqlite3_errstr(rc)};
        conDataBase = std::make_shared<Connection>();
        conDataBase->ConnectionString = strConnect;
        conDataBase->Errors.clear();
        conDataBase->CursorLocation = 3; // client-side: results are detached from the connection
    } catch (const InitFailure& failure) {
        if (conDataBase) {
            conDataBase->Errors.clear();
            conDataBase.reset();
        }
        showMessage("The database cannot be found!  If the database has been \r\n"
                    "moved it must be relocated back to the original folder! ",
                    kTitle, vbCritical | vbOKOnly);
        // Without a folder there is no place for the log: the entry is skipped like any log that cannot be written.
        if (appFolder().known)
            WriteLogEntry(appFolder().path,
                          LogEntry{"Initialize Database Connection", failure.number, failure.description, true});
    } catch (const std::bad_alloc&) {
        conDataBase.reset();
    }
}

Trip::~Trip() {
    if (conDataBase) {
        conDataBase->Errors.clear();
        conDataBase.reset();
    }
}

// Reads go on past a failing step; the result is the record set when the statement ran.
RecordsetPtr Trip::read(const std::string& sql) {
    if (!conDataBase)
        return nullptr;
    Connection& con = *conDataBase;
    RecordsetPtr rows;
    try {
        DbError error;
        if (con.Open(error)) {
            con.Begin(false, error);
            trace(sql);
            if (!con.Execute(sql, &rows, error))
                rows.reset();
            con.Commit(error);
        }
    } catch (const std::bad_alloc&) {
        rows.reset();
    }
    con.Close();
    return rows;
}

RecordsetPtr Trip::GetNewTripID() {
    if (!conDataBase)
        return nullptr;
    Connection& con = *conDataBase;
    static const std::string sql = "SELECT MAX(ID) AS [NewTripID] FROM tblMain";
    RecordsetPtr rows;
    DbError error;
    try {
        if (!con.Open(error))
            return nullptr;
        // Before the statement has run, a failure passes silently to the caller: no rows, no message.
        if (!con.Begin(false, error)) {
            con.Close();
            return nullptr;
        }
        trace(sql);
        if (!con.Execute(sql, &rows, error)) {
            con.Rollback();
            con.Close();
            return nullptr;
        }
        if (con.Commit(error)) {
            con.Close();
            return rows;
        }
    } catch (const std::bad_alloc&) {
        error = DbError{errOutOfMemory, "Out of memory"};
    }
    con.Rollback();
    con.Close();
    strFunction = "GetNewTripID";
    failureMessage(error);
    // Rows read before a failed commit are not trusted: the caller gets none and stops its save.
    return nullptr;
}

void Trip::failureMessage(const DbError& error) {
    showMessage("ERROR # " + std::to_string(error.number) + "\r\n\r\n" + error.description +
                    "\r\nIn the Dynamic Link Library\r\nFunction: " + strFunction,
                kTitle, vbCritical | vbOKOnly);
}

// Open, begin, build, execute, commit, close. After a failure once the connection is open: roll back,
// close, log; the profile writes then show the failure message. A failed open returns false silently.
template <typename Build> bool Trip::write(Build build, const char* nameLine, const char* function) {
    if (!conDataBase)
        return false;
    Connection& con = *conDataBase;
    DbError error;
    try {
        if (!con.Open(error))
            return false;
        if (con.Begin(true, error)) {
            std::string sql = build();
            trace(sql);
            if (con.Execute(sql, nullptr, error) && con.Commit(error)) {
                con.Close();
                return true;
            }
        }
    } catch (const BuildFailure& failure) {
        error = DbError{failure.number, failure.description};
    } catch (const std::bad_alloc&) {
        error = DbError{errOutOfMemory, "Out of memory"};
    }
    con.Rollback();
    con.Close();
    // A log that cannot be written ends the failure path here: no message, the result stays false.
    if (!WriteLogEntry(appFolder().path, LogEntry{nameLine, error.number, error.description, false}))
        return false;
    if (function) {
        strFunction = function;
        failureMessage(error);
    }
    return false;
}

const std::string& Trip::element(const std::vector<std::string>& strText, std::size_t index) {
    static const std::string empty;
    return index < strText.size() ? strText[index] : empty;
}

// The cleaned copy of one element; Clean works on a copy so the caller's array is left as it was.
std::string Trip::cleaned(std::vector<std::string>& strText, std::size_t index) {
    std::string value = element(strText, index);
    return Clean(value);
}

std::string Trip::tripValues(std::vector<std::string>& strText, const WendloDate& datDate, std::int16_t intMiles,
                             const std::vector<std::int32_t>& lngNumbers, const std::vector<float>& sngMoney,
                             float sngRate, bool update) {
    if (!IsValidDate(datDate))
        throw BuildFailure{errInvalidDate, "The date is not a valid calendar date: " + FormatDate(datDate)};
    const auto number = [&lngNumbers](std::size_t i) { return FormatWhole(i < lngNumbers.size() ? lngNumbers[i] : 0); };
    const auto money = [&sngMoney](std::size_t i) { return FormatSingle(i < sngMoney.size() ? sngMoney[i] : 0.0f); };
    std::string s;
    if (!update) {
        s = "INSERT INTO tblMain (TripID,Destination,Rate,StartOdometer,";
        s += "EndOdometer,Miles,Fuel,Parking,Meals,Motel,Phone,Repairs,";
        s += "Towing,Expense,Mileage,TotalTrip,StartDate,Notes) VALUES (";
        s += "'" + EscapeQuoted(element(strText, 0)) + "',";
        s += "'" + cleaned(strText, 2) + "',";
        s += FormatSingle(sngRate) + ",";
        s += number(0) + ",";
        s += number(1) + ",";
        s += FormatWhole(intMiles) + ",";
        for (std::size_t i = 0; i < 10; ++i)
            s += money(i) + ",";
        s += "'" + FormatDate(datDate) + "',";
        s += "'" + cleaned(strText, 1) + "');";
        return s;
    }
    s = "UPDATE tblMain SET ";
    s += "Destination = '" + cleaned(strText, 2) + "',";
    s += "Rate = " + FormatSingle(sngRate) + ",";
    s += "StartOdometer = " + number(0) + ",";
    s += "EndOdometer  = " + number(1) + ",";
    s += "Miles  = " + FormatWhole(intMiles) + ",";
    s += "Fuel  = " + money(0) + ",";
    s += "Parking  = " + money(1) + ",";
    s += "Meals = " + money(2) + ",";
    s += "Motel = " + money(3) + ",";
    s += "Phone = " + money(4) + ",";
    s += "Repairs = " + money(5) + ",";
    s += "Towing = " + money(6) + ",";
    s += "Expense = " + money(7) + ",";
    s += "Mileage = " + money(8) + ",";
    s += "TotalTrip = " + money(9) + ",";
    s += "StartDate = '" + FormatDate(datDate) + "',";
    s += "Notes = '" + cleaned(strText, 1) + "' WHERE ";
    s += "TripID = '" + EscapeQuoted(element(strText, 0)) + "';";
    return s;
}

bool Trip::AddTrip(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                   std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate) {
    return write([&] { return tripValues(strText, datDate, intMiles, lngNumbers, sngMoney, sngRate, false); },
                 "AddTrip - DLL Function", nullptr);
}

bool Trip::UpdateTrip(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                      std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate) {
    return write([&] { return tripValues(strText, datDate, intMiles, lngNumbers, sngMoney, sngRate, true); },
                 "UpdateTrip - DLL Function", nullptr);
}

// The delete runs inside the transaction before the user is asked; only Yes commits it. The result is
// true only when the user said Yes and the delete really ran and was committed.
bool Trip::DeleteTrip(std::string& strID) {
    bool done = false;
    Connection* con = conDataBase.get();
    try {
        DbError error;
        const bool opened = con && con->Open(error);
        const bool begun = opened && con->Begin(true, error);
        bool deleted = false;
        bool kept = false;
        // Outside a transaction the delete would be committed at once, before the user is asked.
        if (begun) {
            const std::string sql = "DELETE FROM tblMain WHERE TripID = '" + EscapeQuoted(strID) + "';";
            trace(sql);
            const long long before = con->TotalChanges();
            deleted = con->Execute(sql, nullptr, error);
            // The history's trigger writes a row for each deleted one: rows beyond the statement's own went there
            // (the trigger that removes a trip's info comes with the history, never without it).
            kept = deleted && con->TotalChanges() - before > con->Changes();
        }
        std::string question = "Delete this Trip Record?\r\n\r\nOnce deleted it can't be recovered!";
        if (kept)
            question += "\r\n\r\nUntil the history is emptied, it can be restored from Utilities > Deleted and "
                        "Changed Trips.";
        const int answer = showMessage(question, "** WARNING **", vbYesNo | vbQuestion | vbDefaultButton2);
        if (answer == vbNo) {
            if (con)
                con->Rollback();
        } else {
            done = begun && deleted && con->Commit(error);
        }
    } catch (const std::bad_alloc&) {
        done = false;
    }
    if (con) {
        con->Rollback();
        con->Close();
    }
    return done;
}

bool Trip::AddOwner(std::vector<std::string>& strText) {
    return write(
        [&] {
            std::string s = "INSERT INTO tblOwner (OwnerID,LName,FName,Address,City,State,";
            s += "Zip,Email,FullName,AddDate) VALUES (";
            s += "'" + EscapeQuoted(element(strText, 8)) + "',";
            for (std::size_t i = 0; i <= 7; ++i)
                s += "'" + cleaned(strText, i) + "',";
            s += "'" + FormatDate(Now()) + "');";
            return s;
        },
        "AddOwner - DLL Function", "AddOwner");
}

bool Trip::UpdateOwner(std::vector<std::string>& strText) {
    return write(
        [&] {
            static const char* const columns[] = {"LName", "FName", "Address", "City",
                                                  "State", "Zip",   "Email",   "FullName"};
            std::string s = "UPDATE tblOwner SET ";
            for (std::size_t i = 0; i <= 7; ++i)
                s += std::string(columns[i]) + " = '" + cleaned(strText, i) + "',";
            s += "ModDate = '" + FormatDate(Now()) + "';";
            return s;
        },
        "UpdateOwner - DLL Function", "UpdateOwner");
}

namespace {

// The numbers n of the stored Trip IDs "T-n" that a new identifier must not repeat, as the new-trip
// window's free-number rule has it: a row renamed by another tool can carry the next number.
class TakenTripNumbers {
public:
    explicit TakenTripNumbers(Recordset& ids) {
        for (ids.MoveFirst(); !ids.eof(); ids.MoveNext()) {
            const Value field = ids.Fields("TripID"); // a copy: its text view lives as long as it does
            const std::string_view id = field.textView();
            std::int64_t n = 0;
            bool digits = id.size() > 2 && id.size() <= 12 && id[2] != '0';
            for (std::size_t i = 2; digits && i < id.size(); ++i) {
                digits = id[i] >= '0' && id[i] <= '9';
                n = n * 10 + (id[i] - '0');
            }
            if (digits && n <= INT32_MAX)
                sorted_.push_back(n);
        }
        std::sort(sorted_.begin(), sorted_.end());
    }
    // The first number from candidate on that no trip carries, taken from then on; 0 when none is left.
    std::int64_t takeFrom(std::int64_t candidate) {
        std::int64_t n = candidate;
        while (n <= INT32_MAX && (std::binary_search(sorted_.begin(), sorted_.end(), n) || skipped_.count(n)))
            ++n;
        if (n > INT32_MAX)
            return 0;
        // Candidates rise with every row (each row's ID is above the last), so only a number given above
        // its candidate can meet a later candidate.
        if (n != candidate)
            skipped_.insert(n);
        return n;
    }

private:
    std::vector<std::int64_t> sorted_;
    std::set<std::int64_t> skipped_;
};

// Hands over the trips of a vector, as copies.
class VectorSource final : public WendloTripSource {
public:
    explicit VectorSource(const std::vector<WendloTrip>& trips) : trips_(trips) {}
    int NextTrip(WendloTrip& trip) override {
        if (next_ == trips_.size())
            return 0;
        trip = trips_[next_++];
        return 1;
    }

private:
    const std::vector<WendloTrip>& trips_;
    std::size_t next_ = 0;
};

} // namespace

std::int32_t Trip::AddTrips(std::vector<WendloTrip>& trips) {
    if (!conDataBase)
        return -1;
    if (trips.empty())
        return 0;
    VectorSource source(trips);
    std::vector<std::string> ids;
    ids.reserve(trips.size());
    const std::int32_t stored = addBatch(source, &ids);
    for (std::size_t i = 0; stored > 0 && i < trips.size(); ++i) {
        if (trips[i].strText.empty())
            trips[i].strText.resize(1);
        trips[i].strText[0] = ids[i];
    }
    return stored;
}

// One transaction for the whole batch: each row asks for the highest ID inside it, as GetNewTripID
// does for AddTrip's caller, so the identifiers follow the IDs even after deletes (AUTOINCREMENT).
std::int32_t Trip::addBatch(WendloTripSource& source, std::vector<std::string>* ids) {
    WendloTrip t;
    return addBatch(
        [&](BatchRow& row) {
            row.trip = &t;
            return source.NextTrip(t);
        },
        ids, "AddTrips - DLL Function");
}

std::int32_t Trip::AddTripRecordsFrom(WendloTripRecordSource& source) {
    WendloTripRecord record;
    return addBatch(
        [&](BatchRow& row) {
            row.trip = &record.trip;
            row.vehicle = &record.lngVehicleID;
            row.purpose = &record.strPurpose;
            return source.NextTrip(record);
        },
        nullptr, "AddTripRecords - DLL Function");
}

template <typename Next>
std::int32_t Trip::addBatch(Next nextRow, std::vector<std::string>* ids, const char* nameLine) {
    if (!conDataBase)
        return -1;
    DbError error;
    if (!conDataBase->Open(error))
        return -1;
    return guarded<std::int32_t>(nameLine, -1, [&](Connection& con) {
        DbError began;
        if (!con.Begin(true, began))
            throw BuildFailure{began.number, began.description};
        TakenTripNumbers taken(*step(con, "SELECT TripID FROM tblMain WHERE TripID GLOB 'T-[1-9]*';", true));
        BatchRow row;
        std::int32_t stored = 0;
        for (;;) {
            const int next = nextRow(row);
            if (next == 0)
                break;
            if (next < 0) {
                con.Rollback();
                con.Close();
                return std::int32_t(WENDLO_BATCH_STOPPED);
            }
            const RecordsetPtr highest = step(con, "SELECT MAX(ID) AS [NewTripID] FROM tblMain", true);
            highest->MoveFirst();
            const std::int64_t number = taken.takeFrom(highest->Fields("NewTripID").toInt64() + 1);
            if (number == 0)
                throw BuildFailure{errTripIdRange, "No trip identifier is left for trip " + std::to_string(stored + 1)};
            WendloTrip& t = *row.trip;
            if (t.strText.empty())
                t.strText.resize(1);
            t.strText[0] = "T-" + FormatWhole(number);
            step(con, tripValues(t.strText, t.datDate, t.intMiles, t.lngNumbers, t.sngMoney, t.sngRate, false), false);
            if (row.vehicle)
                writeInfo(con, nullptr, *row.vehicle, *row.purpose);
            if (ids)
                ids->push_back(t.strText[0]);
            ++stored;
        }
        commit(con);
        return stored;
    });
}

RecordsetPtr Trip::step(Connection& con, const std::string& sql, bool rows) {
    RecordsetPtr result;
    DbError error;
    trace(sql);
    if (!con.Execute(sql, rows ? &result : nullptr, error))
        throw BuildFailure{error.number, error.description};
    return result;
}

void Trip::writeFailed(Connection& con, const DbError& error, const char* nameLine) {
    con.Rollback();
    con.Close();
    WriteLogEntry(appFolder().path, LogEntry{nameLine, error.number, error.description, false});
}

template <typename T, typename Body> T Trip::guarded(const char* nameLine, T failed, Body body) {
    if (!conDataBase)
        return failed;
    Connection& con = *conDataBase;
    DbError error;
    try {
        return body(con);
    } catch (const BuildFailure& failure) {
        error = DbError{failure.number, failure.description};
    } catch (const std::bad_alloc&) {
        error = DbError{errOutOfMemory, "Out of memory"};
    }
    writeFailed(con, error, nameLine);
    return failed;
}

void Trip::begin(Connection& con) {
    DbError error;
    if (!con.Open(error) || !con.Begin(true, error))
        throw BuildFailure{error.number, error.description};
}

void Trip::commit(Connection& con) {
    DbError error;
    if (!con.Commit(error))
        throw BuildFailure{error.number, error.description};
    con.Close();
}

std::string Trip::nextTripId(Connection& con, const std::string& which) {
    const RecordsetPtr highest = step(con, "SELECT MAX(ID) AS [NewTripID] FROM tblMain", true);
    highest->MoveFirst();
    const std::int64_t next = highest->Fields("NewTripID").toInt64() + 1;
    if (next > INT32_MAX)
        throw BuildFailure{errTripIdRange, "No trip identifier is left" + which};
    return "T-" + FormatWhole(next);
}

namespace {
// The columns of tblMain after ID and TripID, in its order; the history has the same.
constexpr const char* kTripColumns = "Destination,Rate,StartOdometer,EndOdometer,Miles,Fuel,Parking,Meals,Motel,"
                                     "Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes";

// The day of a stored date text (M/d/yyyy, a time of day may follow) as yyyymmdd, or -1.
long dayKey(const std::string& text) {
    int part[3] = {0, 0, 0};
    int k = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] != ' '; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9' && part[k] < 10000)
            part[k] = part[k] * 10 + (c - '0');
        else if (c == '/' && k < 2)
            ++k;
        else
            return -1;
    }
    const WendloDate d{part[2], part[0], part[1], 0, 0, 0, false};
    return k == 2 && IsValidDate(d) ? long(d.year) * 10000 + d.month * 100 + d.day : -1;
}
} // namespace

namespace {
// The history's columns added after its first form, for an older history.
constexpr const char* kHistoryAddedColumns[][2] = {{"VehicleID", "INTEGER"}, {"Purpose", "TEXT"}};

// What a file has of the objects after tblMain and tblOwner: their stored texts, and the history's newer columns.
struct SchemaState {
    std::map<std::string, std::string> objects;
    std::set<std::string> historyColumns;
    bool has(const char* name) const { return objects.count(name) != 0; }
};

bool isTrigger(const char* sql) {
    return std::strncmp(sql, "CREATE TRIGGER ", 15) == 0;
}

// The text SQLite keeps of a CREATE statement: without its IF NOT EXISTS.
std::string storedForm(const char* sql) {
    std::string text = sql;
    const std::size_t at = text.find(" IF NOT EXISTS ");
    if (at != std::string::npos)
        text.erase(at, 14);
    return text;
}

bool complete(const SchemaState& state) {
    for (const SchemaObject& object : kAddedObjects) {
        if (!*object.name)
            continue;
        const auto found = state.objects.find(object.name);
        if (found == state.objects.end() || (isTrigger(object.sql) && found->second != storedForm(object.sql)))
            return false;
    }
    return state.historyColumns.size() == std::size(kHistoryAddedColumns);
}
} // namespace

// Only what is missing is added, so a database that has everything already is not written at all: one look.
// The program asks again before each change while something is missing, so a failure that stays the same
// is logged once for its file rather than at every try.
bool Trip::prepare(const char* nameLine) {
    historyFailure_ = DbError{};
    if (!conDataBase) {
        historyFailure_ = DbError{errNoConnectionObject, "The connection object cannot be created"};
        return false;
    }
    Connection& con = *conDataBase;
    DbError error;
    try {
        if (!con.Open(error))
            throw BuildFailure{error.number, error.description};
        std::string names;
        for (const SchemaObject& object : kAddedObjects) {
            if (*object.name)
                names += std::string(names.empty() ? "'" : ",'") + object.name + "'";
        }
        const std::string lookSql = "SELECT name AS [Name],sql AS [Sql] FROM sqlite_master WHERE name IN (" + names +
                                    ") UNION ALL SELECT 'tblTripHistory.' || name,NULL FROM "
                                    "pragma_table_info('tblTripHistory') WHERE name IN ('VehicleID','Purpose');";
        const auto look = [&] {
            SchemaState state;
            const RecordsetPtr rows = step(con, lookSql, true);
            for (rows->MoveFirst(); !rows->eof(); rows->MoveNext()) {
                const std::string name = rows->Fields("Name").toString();
                if (name.rfind("tblTripHistory.", 0) == 0)
                    state.historyColumns.insert(name.substr(15));
                else
                    state.objects[name] = rows->Fields("Sql").toString();
            }
            return state;
        };
        if (complete(look())) {
            con.Close();
            return true;
        }
        if (!con.Begin(true, error))
            throw BuildFailure{error.number, error.description};
        const SchemaState state = look(); // again, under the write lock
        if (state.has("tblTripHistory")) {
            for (const auto& column : kHistoryAddedColumns) {
                if (!state.historyColumns.count(column[0]))
                    step(con, std::string("ALTER TABLE tblTripHistory ADD COLUMN ") + column[0] + " " + column[1] + ";",
                         false);
            }
        }
        // Triggers of an older form are replaced; the statements that fill a table fill it only when it is empty.
        for (const SchemaObject& object : kAddedObjects) {
            if (*object.name && state.has(object.name)) {
                if (!isTrigger(object.sql) || state.objects.at(object.name) == storedForm(object.sql))
                    continue;
                step(con, std::string("DROP TRIGGER ") + object.name + ";", false);
            }
            step(con, std::string(object.sql) + ";", false);
        }
        // Every trip stored so far belongs to the vehicle the file has just gained.
        if (!state.has("tblTripInfo"))
            step(con,
                 "INSERT INTO tblTripInfo (ID,VehicleID) SELECT ID,(SELECT MIN(VehicleID) FROM tblVehicle) FROM "
                 "tblMain;",
                 false);
        commit(con);
        return true;
    } catch (const BuildFailure& failure) {
        error = DbError{failure.number, failure.description};
    } catch (const std::bad_alloc&) {
        error = DbError{errOutOfMemory, "Out of memory"};
    }
    historyFailure_ = error;
    static std::string lastLogged;
    const std::string failure = con.DataSource() + "\n" + std::to_string(error.number) + "\n" + error.description;
    con.Rollback();
    con.Close();
    if (failure != lastLogged &&
        WriteLogEntry(appFolder().path, LogEntry{nameLine, error.number, error.description, false}))
        lastLogged = failure;
    return false;
}

namespace {
// The columns of an entry that must hold a number (or nothing) for the trip to be usable again.
constexpr const char* kNumberColumns[] = {"Rate",    "StartOdometer", "EndOdometer", "Miles",    "Fuel",
                                          "Parking", "Meals",         "Motel",       "Phone",    "Repairs",
                                          "Towing",  "Expense",       "Mileage",     "TotalTrip"};

// A trip without a Trip ID could never be deleted again, and text where a number belongs could not be
// saved: such an entry is not written back. The kept ID is a whole number or nothing.
bool restorable(const Recordset& entry) {
    const Value tripId = entry.Fields("TripID");
    if (tripId.type() != Value::Type::Text || TrimBlanks(tripId.toString()).empty())
        return false;
    const Value::Type id = entry.Fields("ID").type();
    if (id != Value::Type::Integer && id != Value::Type::Null)
        return false;
    for (const char* column : kNumberColumns) {
        if (entry.Fields(column).type() == Value::Type::Text)
            return false;
    }
    return true;
}
} // namespace

// The values come from the history row itself (INSERT ... SELECT), so they go back exactly as they were. The
// entry's row is found by the ID it kept, never by its Trip ID alone, which other trips may share.
std::int32_t Trip::RestoreTrip(std::int64_t& lngHistoryID, bool& blnNewTripID, std::string& strTripID) {
    const std::string entry = "FROM tblTripHistory WHERE HistoryID = " + FormatWhole(lngHistoryID);
    return guarded<std::int32_t>("RestoreTrip - DLL Function", WENDLO_RESTORE_FAILED, [&](Connection& con) {
        begin(con);
        const auto nothing = [&con](WendloRestoreResult result) {
            con.Rollback();
            con.Close();
            return std::int32_t(result);
        };
        // The entry, whether its own row is stored (the kept ID with its Trip ID), whether another row has
        // taken that ID (a file whose IDs are reused), and whether any stored trip has its Trip ID.
        const RecordsetPtr found =
            step(con,
                 "SELECT h.*, EXISTS (SELECT 1 FROM tblMain m WHERE m.ID = h.ID AND m.TripID = h.TripID) AS [OwnRow],"
                 "EXISTS (SELECT 1 FROM tblMain m WHERE m.ID = h.ID) AS [IdUsed],"
                 "EXISTS (SELECT 1 FROM tblMain m WHERE m.TripID = h.TripID) AS [Taken] "
                 "FROM tblTripHistory h WHERE h.HistoryID = " +
                     FormatWhole(lngHistoryID) + ";",
                 true);
        if (found->RecordCount() == 0)
            return nothing(WENDLO_RESTORE_NO_ENTRY);
        found->MoveFirst();
        strTripID = found->Fields("TripID").toString();
        if (!restorable(*found))
            return nothing(WENDLO_RESTORE_UNUSABLE);
        const bool updated = found->Fields("ChangeType").toString() == "updated";
        const std::string keptId = found->Fields("ID").isNull() ? "" : FormatWhole(found->Fields("ID").toInt64());
        // The trip's vehicle (the first one when the kept one is gone) and purpose, for a history that keeps them.
        const auto restoreInfo = [&](const std::string& id) {
            if (found->hasField("VehicleID"))
                step(con,
                     "INSERT OR REPLACE INTO tblTripInfo (ID,VehicleID,Purpose) SELECT " + id +
                         ",COALESCE((SELECT v.VehicleID FROM tblVehicle v WHERE v.VehicleID = h.VehicleID),"
                         "(SELECT MIN(VehicleID) FROM tblVehicle)),h.Purpose FROM tblTripHistory h WHERE h.HistoryID "
                         "= " +
                         FormatWhole(lngHistoryID) + ";",
                     false);
        };
        if (updated && found->Fields("OwnRow").toInt64() != 0) {
            step(con,
                 std::string("UPDATE tblMain SET (") + kTripColumns + ") = (SELECT " + kTripColumns + " " + entry +
                     ") WHERE ID = " + keptId + ";",
                 false);
            restoreInfo(keptId);
            commit(con);
            return std::int32_t(WENDLO_RESTORED_OVER);
        }
        const bool taken = found->Fields("Taken").toInt64() != 0;
        if (taken && !blnNewTripID)
            return nothing(WENDLO_RESTORE_ID_TAKEN);
        std::string columns = "TripID,";
        std::string values = "TripID,";
        if (taken) {
            // Another trip's Trip ID: a trip of its own, with a new Trip ID and a new ID.
            strTripID = nextTripId(con, "");
            values = "'" + strTripID + "',";
        } else if (!keptId.empty() && found->Fields("IdUsed").toInt64() == 0) {
            // The same trip back under its own ID, so the entries kept of its earlier changes find it again.
            columns = "ID," + columns;
            values = "ID," + values;
        }
        step(con,
             "INSERT INTO tblMain (" + columns + kTripColumns + ") SELECT " + values + kTripColumns + " " + entry + ";",
             false);
        restoreInfo(FormatWhole(con.LastInsertId()));
        commit(con);
        return std::int32_t(WENDLO_RESTORED);
    });
}

// The entry dates are the general date text, which does not sort as text: the days are compared here.
std::int32_t Trip::EmptyHistory(WendloDate& datBefore) {
    const long before = long(datBefore.year) * 10000 + datBefore.month * 100 + datBefore.day;
    return guarded<std::int32_t>("EmptyHistory - DLL Function", -1, [&](Connection& con) {
        if (!IsValidDate(datBefore))
            throw BuildFailure{errInvalidDate, "The date is not a valid calendar date: " + FormatDate(datBefore)};
        begin(con);
        const RecordsetPtr rows = step(con, "SELECT HistoryID, ChangeDate FROM tblTripHistory;", true);
        std::vector<std::int64_t> old;
        for (rows->MoveFirst(); !rows->eof(); rows->MoveNext()) {
            const long day = dayKey(rows->Fields("ChangeDate").toString());
            if (day >= 0 && day < before)
                old.push_back(rows->Fields("HistoryID").toInt64());
        }
        // A few hundred at a time keeps each statement short whatever the history holds.
        for (std::size_t from = 0; from < old.size(); from += 500) {
            std::string sql = "DELETE FROM tblTripHistory WHERE HistoryID IN (";
            for (std::size_t i = from; i < old.size() && i < from + 500; ++i)
                sql += (i == from ? "" : ",") + FormatWhole(old[i]);
            step(con, sql + ");", false);
        }
        commit(con);
        return static_cast<std::int32_t>(old.size());
    });
}

std::string Trip::quoted(const std::string& text) {
    std::string copy = text;
    return "'" + Clean(copy) + "'";
}

std::int32_t Trip::refuse(Connection& con, WendloRecordsResult result) {
    con.Rollback();
    con.Close();
    return result;
}

namespace {
// The first vehicle, which a trip without info belongs to.
constexpr const char* kFirstVehicle = "SELECT MIN(VehicleID) AS id FROM tblVehicle";

// A day as yyyy-mm-dd, which sorts as a date in SQL.
std::string isoDay(const WendloDate& d) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

WendloDate dayOf(const WendloDate& d) {
    return WendloDate{d.year, d.month, d.day, 0, 0, 0, false};
}
} // namespace

// A file without the records (one that could not be prepared) still shows its trips, with no vehicle.
RecordsetPtr Trip::LoadTripRecords() {
    RecordsetPtr rows = read(std::string("SELECT m.*,COALESCE(i.VehicleID,(") + kFirstVehicle +
                             ")) AS [VehicleID],COALESCE(i.Purpose,'') AS [Purpose] FROM tblMain m LEFT JOIN "
                             "tblTripInfo i ON i.ID = m.ID;");
    return rows ? rows : read("SELECT *,NULL AS [VehicleID],'' AS [Purpose] FROM tblMain;");
}

// Run right after the trip statement: every trip it wrote gets an info row, or the vehicle is not stored. An
// entry left by a trip deleted without its trigger (by an older program) is replaced, never taken over.
void Trip::writeInfo(Connection& con, const std::string* tripId, std::int64_t vehicle, const std::string& purpose) {
    const long long trips = con.Changes();
    const std::string values = "v.VehicleID," + quoted(purpose);
    const std::string vehicleIs = "v.VehicleID = " + FormatWhole(vehicle);
    if (tripId)
        step(con,
             "INSERT OR REPLACE INTO tblTripInfo (ID,VehicleID,Purpose) SELECT m.ID," + values +
                 " FROM tblMain m,tblVehicle v WHERE m.TripID = '" + EscapeQuoted(*tripId) + "' AND " + vehicleIs + ";",
             false);
    else
        step(con,
             "INSERT OR REPLACE INTO tblTripInfo (ID,VehicleID,Purpose) SELECT last_insert_rowid()," + values +
                 " FROM tblVehicle v WHERE " + vehicleIs + ";",
             false);
    if (con.Changes() != trips)
        throw BuildFailure{errNoVehicle, "No vehicle is stored with the ID " + FormatWhole(vehicle)};
}

bool Trip::AddTripRecord(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                         std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate,
                         std::int64_t& lngVehicleID, std::string& strPurpose) {
    return guarded<bool>("AddTripRecord - DLL Function", false, [&](Connection& con) {
        begin(con);
        step(con, tripValues(strText, datDate, intMiles, lngNumbers, sngMoney, sngRate, false), false);
        writeInfo(con, nullptr, lngVehicleID, strPurpose);
        commit(con);
        return true;
    });
}

bool Trip::UpdateTripRecord(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                            std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate,
                            std::int64_t& lngVehicleID, std::string& strPurpose) {
    return guarded<bool>("UpdateTripRecord - DLL Function", false, [&](Connection& con) {
        begin(con);
        step(con, tripValues(strText, datDate, intMiles, lngNumbers, sngMoney, sngRate, true), false);
        writeInfo(con, &element(strText, 0), lngVehicleID, strPurpose);
        commit(con);
        return true;
    });
}

namespace {
// The trips without info, which belong to the first vehicle: how many, and the one stored last. Trips with info are
// counted by its index.
constexpr const char* kTripsWithoutInfo =
    "SELECT COUNT(*) AS n,MAX(ID) AS last FROM tblMain WHERE ID NOT IN (SELECT ID "
    "FROM tblTripInfo)";
} // namespace

// A trip without info counts for the first vehicle, as the reads give it.
RecordsetPtr Trip::LoadVehicles() {
    return read(std::string("WITH f AS (") + kFirstVehicle + "),o AS (" + kTripsWithoutInfo +
                ") SELECT v.VehicleID,v.Name,v.Description,v.InService,v.Retired,v.CarryOdometer,"
                "(SELECT COUNT(*) FROM tblTripInfo i WHERE i.VehicleID = v.VehicleID) + "
                "CASE WHEN v.VehicleID = f.id THEN o.n ELSE 0 END AS [Trips],"
                "COALESCE((SELECT EndOdometer FROM tblMain WHERE ID = MAX(COALESCE((SELECT MAX(ID) FROM tblTripInfo i "
                "WHERE i.VehicleID = v.VehicleID),0),CASE WHEN v.VehicleID = f.id THEN COALESCE(o.last,0) ELSE 0 END))"
                ",0) AS [LastOdometer] FROM tblVehicle v,f,o ORDER BY v.VehicleID;");
}

std::int32_t Trip::writeVehicle(WendloVehicle& vehicle, bool update) {
    return guarded<std::int32_t>(
        update ? "UpdateVehicle - DLL Function" : "AddVehicle - DLL Function", WENDLO_RECORDS_FAILED,
        [&](Connection& con) {
            const std::string name = quoted(vehicle.strName);
            if (name == "''")
                return std::int32_t(WENDLO_RECORDS_NO_NAME);
            std::string inService = "NULL";
            if (vehicle.datInService.year != 0) {
                const WendloDate day = dayOf(vehicle.datInService);
                if (!IsValidDate(day))
                    throw BuildFailure{errInvalidDate, "The date is not a valid calendar date: " + FormatDate(day)};
                inService = "'" + FormatDate(day) + "'";
            }
            const std::string id = FormatWhole(update ? vehicle.lngVehicleID : 0);
            const std::string flags =
                std::string(vehicle.blnRetired ? "1" : "0") + "," + (vehicle.blnCarryOdometer ? "1" : "0");
            begin(con);
            if (step(con,
                     "SELECT VehicleID FROM tblVehicle WHERE Name = " + name + " COLLATE NOCASE AND VehicleID <> " +
                         id + ";",
                     true)
                    ->RecordCount() != 0)
                return refuse(con, WENDLO_RECORDS_NAME_TAKEN);
            if (update) {
                step(con,
                     "UPDATE tblVehicle SET (Name,Description,InService,Retired,CarryOdometer) = (" + name + "," +
                         quoted(vehicle.strDescription) + "," + inService + "," + flags + ") WHERE VehicleID = " + id +
                         ";",
                     false);
                if (con.Changes() == 0)
                    return refuse(con, WENDLO_RECORDS_NOT_FOUND);
                commit(con);
            } else {
                step(con,
                     "INSERT INTO tblVehicle (Name,Description,InService,Retired,CarryOdometer) VALUES (" + name + "," +
                         quoted(vehicle.strDescription) + "," + inService + "," + flags + ");",
                     false);
                const std::int64_t added = con.LastInsertId();
                commit(con);
                vehicle.lngVehicleID = added;
            }
            return std::int32_t(WENDLO_RECORDS_DONE);
        });
}

std::int32_t Trip::DeleteVehicle(std::int64_t& lngVehicleID) {
    const std::string id = FormatWhole(lngVehicleID);
    return guarded<std::int32_t>("DeleteVehicle - DLL Function", WENDLO_RECORDS_FAILED, [&](Connection& con) {
        begin(con);
        const RecordsetPtr found =
            step(con,
                 std::string("WITH f AS (") + kFirstVehicle + "),o AS (" + kTripsWithoutInfo +
                     ") SELECT EXISTS (SELECT 1 FROM tblVehicle WHERE VehicleID = " + id +
                     ") AS [Found],(SELECT COUNT(*) FROM tblVehicle) AS [Vehicles],EXISTS (SELECT 1 FROM tblTripInfo "
                     "WHERE VehicleID = " +
                     id + ") OR (f.id = " + id + " AND o.n > 0) AS [HasTrips] FROM f,o;",
                 true);
        found->MoveFirst();
        if (found->Fields("Found").toInt64() == 0)
            return refuse(con, WENDLO_RECORDS_NOT_FOUND);
        if (found->Fields("HasTrips").toInt64() != 0)
            return refuse(con, WENDLO_RECORDS_HAS_TRIPS);
        if (found->Fields("Vehicles").toInt64() == 1)
            return refuse(con, WENDLO_RECORDS_LAST_VEHICLE);
        step(con, "DELETE FROM tblVehicleYear WHERE VehicleID = " + id + ";", false);
        step(con, "DELETE FROM tblVehicle WHERE VehicleID = " + id + ";", false);
        commit(con);
        return std::int32_t(WENDLO_RECORDS_DONE);
    });
}

std::int32_t Trip::SetVehicleYear(WendloVehicleYear& year) {
    return guarded<std::int32_t>("SetVehicleYear - DLL Function", WENDLO_RECORDS_FAILED, [&](Connection& con) {
        const auto& start = year.lngStartOdometer;
        const auto& end = year.lngEndOdometer;
        if ((start && *start < 0) || (end && *end < 0))
            return std::int32_t(WENDLO_RECORDS_NEGATIVE);
        if (start && end && *end < *start)
            return std::int32_t(WENDLO_RECORDS_END_BELOW_START);
        if (year.intYear < 100 || year.intYear > 9999)
            throw BuildFailure{errInvalidDate, "The year is not a year of a valid date: " + FormatWhole(year.intYear)};
        const std::string vehicle = FormatWhole(year.lngVehicleID);
        const std::string key = " WHERE VehicleID = " + vehicle + " AND Year = " + FormatWhole(year.intYear) + ";";
        begin(con);
        if (step(con, "SELECT VehicleID FROM tblVehicle WHERE VehicleID = " + vehicle + ";", true)->RecordCount() == 0)
            return refuse(con, WENDLO_RECORDS_NOT_FOUND);
        const auto reading = [](const std::optional<std::int32_t>& r) { return r ? FormatWhole(*r) : "NULL"; };
        if (!start && !end)
            step(con, "DELETE FROM tblVehicleYear" + key, false);
        else
            step(con,
                 "INSERT OR REPLACE INTO tblVehicleYear (VehicleID,Year,StartOdometer,EndOdometer) VALUES (" + vehicle +
                     "," + FormatWhole(year.intYear) + "," + reading(start) + "," + reading(end) + ");",
                 false);
        commit(con);
        return std::int32_t(WENDLO_RECORDS_DONE);
    });
}

std::int32_t Trip::writeRate(WendloRate& rate, bool update) {
    return guarded<std::int32_t>(
        update ? "UpdateRate - DLL Function" : "AddRate - DLL Function", WENDLO_RECORDS_FAILED, [&](Connection& con) {
            if (!std::isfinite(rate.sngRate) || rate.sngRate < 0.0f)
                return std::int32_t(WENDLO_RECORDS_NEGATIVE);
            const WendloDate day = dayOf(rate.datFrom);
            if (!IsValidDate(day))
                throw BuildFailure{errInvalidDate, "The date is not a valid calendar date: " + FormatDate(day)};
            const std::string from = "'" + isoDay(day) + "'";
            const std::string value = FormatSingle(rate.sngRate == 0.0f ? 0.0f : rate.sngRate); // never -0
            const std::string id = FormatWhole(update ? rate.lngRateID : 0);
            begin(con);
            if (step(con, "SELECT RateID FROM tblRate WHERE FromDate = " + from + " AND RateID <> " + id + ";", true)
                    ->RecordCount() != 0)
                return refuse(con, WENDLO_RECORDS_DATE_TAKEN);
            if (update) {
                step(con,
                     "UPDATE tblRate SET (FromDate,Rate,Note) = (" + from + "," + value + "," + quoted(rate.strNote) +
                         ") WHERE RateID = " + id + ";",
                     false);
                if (con.Changes() == 0)
                    return refuse(con, WENDLO_RECORDS_NOT_FOUND);
                commit(con);
            } else {
                step(con,
                     "INSERT INTO tblRate (FromDate,Rate,Note) VALUES (" + from + "," + value + "," +
                         quoted(rate.strNote) + ");",
                     false);
                const std::int64_t added = con.LastInsertId();
                commit(con);
                rate.lngRateID = added;
            }
            return std::int32_t(WENDLO_RECORDS_DONE);
        });
}

std::int32_t Trip::DeleteRate(std::int64_t& lngRateID) {
    return guarded<std::int32_t>("DeleteRate - DLL Function", WENDLO_RECORDS_FAILED, [&](Connection& con) {
        begin(con);
        step(con, "DELETE FROM tblRate WHERE RateID = " + FormatWhole(lngRateID) + ";", false);
        if (con.Changes() == 0)
            return refuse(con, WENDLO_RECORDS_NOT_FOUND);
        commit(con);
        return std::int32_t(WENDLO_RECORDS_DONE);
    });
}

// Quotes doubled and NULs removed in the argument itself; the result is also trimmed of blanks.
// Works on text of any length; ill-formed UTF-8 is repaired first.
std::string Trip::Clean(std::string& strText) {
    try {
        strText = EscapeQuoted(strText);
        return TrimBlanks(strText);
    } catch (const std::bad_alloc&) {
        return std::string();
    }
}

} // namespace
} // namespace wendlo

extern "C" {

WENDLO_EXPORT int WendloCreateObject(const char* clsid, const char* iid, _Trip** object) {
    if (!object)
        return WENDLO_CLASS_NOT_AVAILABLE;
    *object = nullptr;
    if (!clsid || strcasecmp(clsid, CLSID_Trip) != 0)
        return WENDLO_CLASS_NOT_AVAILABLE;
    bool known = false;
    for (const char* served : {IID__Trip, IID__TripBatch, IID__TripHistory, IID__TripKeeping, IID__TripRecords})
        known = known || (iid && strcasecmp(iid, served) == 0);
    if (!known)
        return WENDLO_NO_INTERFACE;
    *object = new (std::nothrow) wendlo::Trip();
    return *object ? WENDLO_OK : WENDLO_CLASS_NOT_AVAILABLE;
}

WENDLO_EXPORT void WendloSetMessageHandler(WendloMessageHandler handler, void* context) {
    wendlo::g_messageHandler = handler;
    wendlo::g_messageContext = context;
}

WENDLO_EXPORT void WendloSetStatementTrace(WendloStatementTrace trace, void* context) {
    wendlo::g_trace = trace;
    wendlo::g_traceContext = context;
}

WENDLO_EXPORT const char* WendloAppPath() {
    return wendlo::appFolder().path.c_str();
}

#ifdef WENDLO_TESTING
WENDLO_EXPORT void WendloTestInitFault(int fault) {
    wendlo::g_initFault = fault;
}

WENDLO_EXPORT void WendloTestCommitFaults(int count) {
    wendlo::commitFaultsForTesting = count;
}
#endif
}
