#pragma once
// A temporary application folder for the benchmarks: a copy of the library and an empty database.

#include "Wendlo.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <memory>
#include <sqlite3.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

class BenchFolder {
public:
    // base: the folder to make the application folder in (default: TMPDIR or /tmp).
    explicit BenchFolder(const char* base = nullptr) {
        const char* tmp = base ? base : std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/wendlo-bench-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!::mkdtemp(buf.data()))
            throw std::runtime_error("cannot make " + pattern);
        path = buf.data();
        ::mkdir((path + "/miles").c_str(), 0755);
        copy(WENDLO_LIBRARY, path + "/libwendlo.so");
        sqlite3* db = nullptr;
        sqlite3_open(database().c_str(), &db);
        const std::string schema = read(ODOMARK_SCHEMA);
        if (sqlite3_exec(db, schema.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error("schema failed");
        sqlite3_close(db);
        handle = ::dlopen((path + "/libwendlo.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            throw std::runtime_error(::dlerror());
        auto create = reinterpret_cast<WendloCreateObjectFn>(::dlsym(handle, "WendloCreateObject"));
        _Trip* object = nullptr;
        if (!create || create(CLSID_Trip, IID__Trip, &object) != WENDLO_OK)
            throw std::runtime_error("cannot create Trip");
        trip.reset(object);
    }
    ~BenchFolder() {
        trip.reset();
        ::dlclose(handle);
        const std::string command = "rm -rf '" + path + "'";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "could not remove %s\n", path.c_str());
    }

    std::string database() const { return path + "/miles/miles.mil"; }

    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    static void copy(const std::string& from, const std::string& to) {
        std::ofstream out(to, std::ios::binary);
        out << read(from);
    }

    std::string path;
    void* handle = nullptr;
    std::unique_ptr<_Trip> trip;
};

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
