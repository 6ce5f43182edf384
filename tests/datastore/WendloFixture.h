#pragma once
// A fresh application folder per test: a copy of libwendlo.so, miles/miles.mil made from the schema,
// the library loaded from that copy, a scripted message handler and a statement trace.

#include "Wendlo.h"
#include "WendloTesting.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <vector>

struct MessageBox {
    std::string text;
    std::string title;
    int style = 0;
};

// Files and folders for tests.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
void RemoveTree(const std::string& path);

// A temporary application folder with the library and an empty database.
class AppDir {
public:
    AppDir();
    ~AppDir();
    AppDir(const AppDir&) = delete;
    AppDir& operator=(const AppDir&) = delete;

    const std::string& path() const { return path_; }
    std::string database() const { return path_ + "/miles/miles.mil"; }
    std::string errorLog() const { return path_ + "/error.log"; }
    std::string library() const { return path_ + "/libwendlo.so"; }

private:
    std::string path_;
};

// Direct access to a database file, bypassing the library.
class Db {
public:
    explicit Db(const std::string& file, bool create = false);
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    sqlite3* handle() const { return db_; }
    // Runs SQL; false (and the message in lastError) on failure.
    bool exec(const std::string& sql);
    // First column of the first row as text ("NULL" for null, "" for no row).
    std::string scalar(const std::string& sql);
    std::string lastError;

private:
    sqlite3* db_ = nullptr;
};

// The library loaded from one file, with its C functions.
class Library {
public:
    explicit Library(const std::string& file);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    std::unique_ptr<_Trip> create() const;

    WendloCreateObjectFn createObject = nullptr;
    WendloSetMessageHandlerFn setMessageHandler = nullptr;
    WendloSetStatementTraceFn setStatementTrace = nullptr;
    WendloAppPathFn appPath = nullptr;
    WendloTestInitFaultFn initFault = nullptr;
    WendloTestCommitFaultsFn commitFaults = nullptr;

private:
    void* handle_ = nullptr;
};

// The values of one trip as AddTrip and UpdateTrip take them.
struct TripValues {
    std::vector<std::string> text{"T-1", "", "Boston"};
    WendloDate date{2007, 10, 18, 0, 0, 0, false};
    std::int16_t miles = 0;
    std::vector<std::int32_t> numbers{0, 0};
    std::vector<float> money = std::vector<float>(10, 0.0f);
    float rate = 0.0f;
};

class WendloTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    _Trip& trip() { return *trip_; }
    std::unique_ptr<_Trip> newTrip() const { return lib_->create(); }
    bool addTrip(TripValues v);
    bool updateTrip(TripValues v);
    std::vector<std::string> owner(const std::string& last = "Smith") const;
    // A trip no test writes to, stored directly (Trip ID T-Other): a write to another trip must leave it as
    // otherTrip() gives it now. True when stored.
    bool addOtherTrip() const;
    std::string otherTrip() const;

    // Queues the answer of the next box that has buttons other than OK.
    void answer(int a) { answers_.push_back(a); }
    const std::vector<MessageBox>& shown() const { return shown_; }
    const std::vector<std::string>& statements() const { return statements_; }
    std::string lastStatement() const { return statements_.empty() ? std::string() : statements_.back(); }

    std::unique_ptr<AppDir> dir_;
    std::unique_ptr<Library> lib_;
    std::unique_ptr<_Trip> trip_;

private:
    static int onMessage(const char* text, const char* title, int style, void* context);
    static void onStatement(const char* sql, void* context);

    std::deque<int> answers_;
    std::vector<MessageBox> shown_;
    std::vector<std::string> statements_;
};

// The library's failure message for a function.
std::string FailureMessage(long number, const std::string& description, const std::string& function);

// Switches LC_NUMERIC to a locale whose decimal point is a comma for its lifetime, as a German or French
// desktop session does. Where no such locale is installed, one is compiled with localedef; active() is
// false when neither works.
class CommaNumericLocale {
public:
    CommaNumericLocale();
    ~CommaNumericLocale();
    CommaNumericLocale(const CommaNumericLocale&) = delete;
    CommaNumericLocale& operator=(const CommaNumericLocale&) = delete;
    bool active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

// Runs fn in a child process as an unprivileged user when the tests run as root (so that file permissions
// count); returns what fn wrote, or "!child failed" when the child did not finish.
std::string RunUnprivileged(const std::string& folder, const std::function<std::string()>& fn);
