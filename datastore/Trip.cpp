// The class Trip: every read and write of trips and of the owner's profile, one connection per call.

#include "Connection.h"
#include "ErrorLog.h"
#include "HistorySql.h"
#include "SqlText.h"
#include "Wendlo.h"
#ifdef WENDLO_TESTING
#include "WendloTesting.h"
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
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

class Trip final : public _TripKeeping {
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
    bool PrepareHistory() override;
    RecordsetPtr LoadHistory() override { return read("SELECT * FROM tblTripHistory ORDER BY HistoryID DESC;"); }
    std::int32_t RestoreTrip(std::int64_t& lngHistoryID, bool& blnNewTripID, std::string& strTripID) override;
    std::int32_t EmptyHistory(WendloDate& datBefore) override;
    std::int32_t HistoryFailure(std::string& strDescription) override {
        strDescription = historyFailure_.description;
        return static_cast<std::int32_t>(historyFailure_.number);
    }

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
    // One transaction for all the trips of a source; the identifiers given go to ids when it is set.
    std::int32_t addBatch(WendloTripSource& source, std::vector<std::string>* ids);
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
            // The history's trigger writes a row for each deleted one: rows beyond the statement's own went there.
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
    if (!conDataBase)
        return -1;
    DbError error;
    if (!conDataBase->Open(error))
        return -1;
    return guarded<std::int32_t>("AddTrips - DLL Function", -1, [&](Connection& con) {
        DbError began;
        if (!con.Begin(true, began))
            throw BuildFailure{began.number, began.description};
        TakenTripNumbers taken(*step(con, "SELECT TripID FROM tblMain WHERE TripID GLOB 'T-[1-9]*';", true));
        WendloTrip t;
        std::int32_t stored = 0;
        for (;;) {
            const int next = source.NextTrip(t);
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
            if (t.strText.empty())
                t.strText.resize(1);
            t.strText[0] = "T-" + FormatWhole(number);
            step(con, tripValues(t.strText, t.datDate, t.intMiles, t.lngNumbers, t.sngMoney, t.sngRate, false), false);
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

// Only what is missing is added, so a database that has the history already is not written at all.
// The program asks again before each change while the history is missing, so a failure that stays the same
// is logged once for its file rather than at every try.
bool Trip::PrepareHistory() {
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
        const RecordsetPtr present = step(con,
                                          "SELECT COUNT(*) AS [Present] FROM sqlite_master WHERE name IN "
                                          "('tblTripHistory','trgTripDeleted','trgTripUpdated');",
                                          true);
        present->MoveFirst();
        if (present->Fields("Present").toInt64() == 3) {
            con.Close();
            return true;
        }
        if (!con.Begin(true, error))
            throw BuildFailure{error.number, error.description};
        for (const char* sql : kHistoryObjects)
            step(con, std::string(sql) + ";", false);
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
    if (failure != lastLogged && WriteLogEntry(appFolder().path, LogEntry{"PrepareHistory - DLL Function", error.number,
                                                                          error.description, false}))
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
        if (updated && found->Fields("OwnRow").toInt64() != 0) {
            step(con,
                 std::string("UPDATE tblMain SET (") + kTripColumns + ") = (SELECT " + kTripColumns + " " + entry +
                     ") WHERE ID = " + keptId + ";",
                 false);
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
    for (const char* served : {IID__Trip, IID__TripBatch, IID__TripHistory, IID__TripKeeping})
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
