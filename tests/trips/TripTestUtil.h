#pragma once
// Shared steps of the trip window tests: showing a window, typing into its fields, holding the
// database locked from another connection.

#include "support/AppFolder.h"
#include "trips/TripForm.h"

#include <QApplication>
#include <QDateEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>

inline void showActive(QWidget& form) {
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
}

// Types into fields by index, as the user would: focus, keys.
inline void typeFields(TripForm& form, const std::map<int, QString>& texts) {
    for (const auto& [index, text] : texts) {
        TripTextBox* box = form.txtBox[static_cast<std::size_t>(index)];
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
}

// Another connection holding the database in a transaction: "BEGIN EXCLUSIVE" keeps readers and
// writers out; "BEGIN IMMEDIATE" with a pending write keeps writers out.
class DatabaseLock {
public:
    DatabaseLock(const QString& path, const char* begin) {
        sqlite3_open(path.toUtf8().constData(), &db_);
        EXPECT_EQ(sqlite3_exec(db_, begin, nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db_, "UPDATE tblOwner SET Zip = Zip;", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ~DatabaseLock() { release(); }
    void release() {
        if (!db_)
            return;
        sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
        db_ = nullptr;
    }

private:
    sqlite3* db_ = nullptr;
};
