#include "WendloFixture.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

void RemoveTree(const std::string& path) {
    // Folders made read-only by a test are made writable again first.
    ::nftw(
        path.c_str(),
        [](const char* p, const struct stat*, int type, struct FTW*) {
            if (type == FTW_D || type == FTW_DNR)
                ::chmod(p, 0755);
            return 0;
        },
        16, FTW_PHYS);
    ::nftw(
        path.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

AppDir::AppDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/wendlo-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
    ::chmod(path_.c_str(), 0755);
    ::mkdir((path_ + "/miles").c_str(), 0755);
    WriteFile(library(), ReadFile(WENDLO_LIBRARY));
    Db db(database(), true);
    if (!db.exec(ReadFile(ODOMARK_SCHEMA)))
        throw std::runtime_error("schema failed: " + db.lastError);
}

AppDir::~AppDir() {
    RemoveTree(path_);
}

Db::Db(const std::string& file, bool create) {
    sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0), nullptr);
    sqlite3_busy_timeout(db_, 5000);
}

Db::~Db() {
    sqlite3_close(db_);
}

bool Db::exec(const std::string& sql) {
    char* error = nullptr;
    const bool ok = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK;
    lastError = error ? error : "";
    sqlite3_free(error);
    return ok;
}

std::string Db::scalar(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    std::string result;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
        if (sqlite3_column_type(st, 0) == SQLITE_NULL)
            result = "NULL";
        else
            result.assign(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                          static_cast<std::size_t>(sqlite3_column_bytes(st, 0)));
    } else {
        lastError = sqlite3_errmsg(db_);
    }
    sqlite3_finalize(st);
    return result;
}

Library::Library(const std::string& file) {
    handle_ = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        return;
    createObject = reinterpret_cast<WendloCreateObjectFn>(::dlsym(handle_, "WendloCreateObject"));
    setMessageHandler = reinterpret_cast<WendloSetMessageHandlerFn>(::dlsym(handle_, "WendloSetMessageHandler"));
    setStatementTrace = reinterpret_cast<WendloSetStatementTraceFn>(::dlsym(handle_, "WendloSetStatementTrace"));
    appPath = reinterpret_cast<WendloAppPathFn>(::dlsym(handle_, "WendloAppPath"));
    initFault = reinterpret_cast<WendloTestInitFaultFn>(::dlsym(handle_, "WendloTestInitFault"));
    commitFaults = reinterpret_cast<WendloTestCommitFaultsFn>(::dlsym(handle_, "WendloTestCommitFaults"));
}

Library::~Library() {
    if (handle_)
        ::dlclose(handle_);
}

std::unique_ptr<_Trip> Library::create() const {
    _Trip* object = nullptr;
    if (!createObject || createObject(CLSID_Trip, IID__Trip, &object) != WENDLO_OK)
        return nullptr;
    return std::unique_ptr<_Trip>(object);
}

void WendloTest::SetUp() {
    dir_ = std::make_unique<AppDir>();
    lib_ = std::make_unique<Library>(dir_->library());
    ASSERT_TRUE(lib_->loaded()) << dlerror();
    ASSERT_TRUE(lib_->createObject && lib_->setMessageHandler && lib_->setStatementTrace && lib_->appPath &&
                lib_->initFault && lib_->commitFaults);
    lib_->setMessageHandler(&WendloTest::onMessage, this);
    lib_->setStatementTrace(&WendloTest::onStatement, this);
    trip_ = lib_->create();
    ASSERT_NE(trip_, nullptr);
}

void WendloTest::TearDown() {
    trip_.reset();
    if (lib_ && lib_->loaded()) {
        lib_->setMessageHandler(nullptr, nullptr);
        lib_->setStatementTrace(nullptr, nullptr);
    }
    lib_.reset();
    dir_.reset();
    EXPECT_TRUE(answers_.empty()) << "answers queued for boxes that were never shown";
}

int WendloTest::onMessage(const char* text, const char* title, int style, void* context) {
    auto* self = static_cast<WendloTest*>(context);
    self->shown_.push_back(MessageBox{text, title, style});
    if (MsgBoxButtons(style) == vbOKOnly)
        return vbOK;
    if (self->answers_.empty()) {
        ADD_FAILURE() << "unexpected message box: " << text;
        return MsgBoxDefaultAnswer(style);
    }
    const int a = self->answers_.front();
    self->answers_.pop_front();
    return a;
}

void WendloTest::onStatement(const char* sql, void* context) {
    static_cast<WendloTest*>(context)->statements_.emplace_back(sql);
}

bool WendloTest::addTrip(TripValues v) {
    return trip_->AddTrip(v.text, v.date, v.miles, v.numbers, v.money, v.rate);
}

bool WendloTest::updateTrip(TripValues v) {
    return trip_->UpdateTrip(v.text, v.date, v.miles, v.numbers, v.money, v.rate);
}

bool WendloTest::addOtherTrip() const {
    Db db(dir_->database());
    return db.exec("INSERT INTO tblMain (TripID,Destination,Rate,StartOdometer,EndOdometer,Miles,Fuel,Parking,Meals,"
                   "Motel,Phone,Repairs,Towing,Expense,Mileage,TotalTrip,StartDate,Notes) VALUES ('T-Other','Peoria',"
                   "0.5,10,20,10,1.25,2,3,4,5,6,7,8,5,46.25,'1/2/2008','untouched');");
}

std::string WendloTest::otherTrip() const {
    Db db(dir_->database());
    return db.scalar("SELECT group_concat(quote(ID)||quote(Destination)||quote(Rate)||quote(StartOdometer)||"
                     "quote(EndOdometer)||quote(Miles)||quote(Fuel)||quote(Parking)||quote(Meals)||quote(Motel)||"
                     "quote(Phone)||quote(Repairs)||quote(Towing)||quote(Expense)||quote(Mileage)||quote(TotalTrip)||"
                     "quote(StartDate)||quote(Notes)) FROM tblMain WHERE TripID = 'T-Other'");
}

std::vector<std::string> WendloTest::owner(const std::string& last) const {
    return {last, "Anne", "1 Main St", "Springfield", "IL", "62701", "anne@example.com", "Anne " + last, last + "1"};
}

std::string FailureMessage(long number, const std::string& description, const std::string& function) {
    return "ERROR # " + std::to_string(number) + "\r\n\r\n" + description + "\r\nIn the Dynamic Link Library\r\n" +
           "Function: " + function;
}

std::string RunUnprivileged(const std::string& folder, const std::function<std::string()>& fn) {
    if (::geteuid() != 0)
        return fn();
    int fds[2];
    if (::pipe(fds) != 0)
        return "!pipe failed";
    // The child runs as nobody, owning the folder as a user owns his application folder.
    ::nftw(
        folder.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return ::lchown(p, 65534, 65534); },
        16, FTW_PHYS);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        const std::string out = fn();
        const ssize_t n = ::write(fds[1], out.data(), out.size());
        ::_exit(n == static_cast<ssize_t>(out.size()) ? 0 : 4);
    }
    ::close(fds[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "!child failed";
    return out;
}

namespace {
bool numericCommaIs(const char* name) {
    return std::setlocale(LC_NUMERIC, name) && std::localeconv()->decimal_point[0] == ',';
}

// A locale with only its number settings, compiled once per test run into a temporary folder.
const std::string& compiledCommaLocales() {
    // Never destroyed, so the removal at exit can still read it.
    static const std::string* const folder = new std::string([] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/wendlo-locale-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!::mkdtemp(buf.data()))
            return std::string();
        const std::string dir = buf.data();
        std::atexit([] { RemoveTree(compiledCommaLocales()); });
        WriteFile(dir + "/comma.def",
                  "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3\nEND LC_NUMERIC\n");
        // localedef warns about the categories left out and says so in its status; the files are made all the same.
        const std::string command =
            "localedef -c -i '" + dir + "/comma.def' -f UTF-8 '" + dir + "/xx_XX.UTF-8' >/dev/null 2>&1";
        [[maybe_unused]] const int status = std::system(command.c_str());
        return dir;
    }());
    return *folder;
}
} // namespace

CommaNumericLocale::CommaNumericLocale() : saved_(std::setlocale(LC_NUMERIC, nullptr)) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8"}) {
        if (numericCommaIs(name)) {
            active_ = true;
            return;
        }
    }
    const std::string& folder = compiledCommaLocales();
    if (folder.empty() || !FileExists(folder + "/xx_XX.UTF-8/LC_NUMERIC"))
        return;
    ::setenv("LOCPATH", folder.c_str(), 1);
    active_ = numericCommaIs("xx_XX.UTF-8");
    ::unsetenv("LOCPATH");
}

CommaNumericLocale::~CommaNumericLocale() {
    std::setlocale(LC_NUMERIC, saved_.c_str());
}
