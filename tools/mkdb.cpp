// Creates an empty trip log database from the schema file: odomark_mkdb SCHEMA.sql DATABASE
// Refuses to touch a database file that already exists.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SCHEMA.sql DATABASE\n", argv[0]);
        return 2;
    }
    struct stat st {};
    if (stat(argv[2], &st) == 0) {
        std::fprintf(stderr, "%s exists; left as it is\n", argv[2]);
        return 0;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream schema;
    schema << in.rdbuf();

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[2], &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot create %s: %s\n", argv[2], db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return 1;
    }
    char* error = nullptr;
    const std::string sql = schema.str();
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "schema failed: %s\n", error ? error : "?");
        sqlite3_free(error);
        sqlite3_close(db);
        std::remove(argv[2]);
        return 1;
    }
    sqlite3_close(db);
    return 0;
}
