#pragma once
// A detached, read-only, in-memory result: what every read of Trip returns.
// Header-only on purpose: the program loads the library at run time and links none of its symbols.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

class Value {
public:
    enum class Type { Null, Integer, Real, Text };

    Value() = default;
    static Value integer(std::int64_t v) { return Value(Data(v)); }
    static Value real(double v) { return Value(Data(v)); }
    static Value text(std::string v) { return Value(Data(std::move(v))); }

    Type type() const { return static_cast<Type>(data_.index()); }
    bool isNull() const { return type() == Type::Null; }

    // Numeric view: integers and reals as they are, text parsed as a C number, null as 0.
    double toDouble() const {
        switch (type()) {
        case Type::Integer:
            return static_cast<double>(std::get<std::int64_t>(data_));
        case Type::Real:
            return std::get<double>(data_);
        case Type::Text:
            try {
                return std::stod(std::get<std::string>(data_));
            } catch (...) {
                return 0.0;
            }
        default:
            return 0.0;
        }
    }
    std::int64_t toInt64() const {
        if (type() == Type::Integer)
            return std::get<std::int64_t>(data_);
        return static_cast<std::int64_t>(std::llround(toDouble()));
    }

    // Text view: text as stored, integers in decimal, reals in the shortest form that reads back
    // as the same single-precision value when it is one (0.475, 12.5), null as empty text.
    std::string toString() const {
        switch (type()) {
        case Type::Integer:
            return std::to_string(std::get<std::int64_t>(data_));
        case Type::Real: {
            const double d = std::get<double>(data_);
            char buf[40];
            for (int precision = 1; precision <= 17; ++precision) {
                std::snprintf(buf, sizeof buf, "%.*g", precision, d);
                if (std::strtod(buf, nullptr) == d)
                    break;
            }
            return buf;
        }
        case Type::Text:
            return std::get<std::string>(data_);
        default:
            return std::string();
        }
    }

    // The stored text itself, without a copy; empty for other types.
    std::string_view textView() const {
        const std::string* text = std::get_if<std::string>(&data_);
        return text ? std::string_view(*text) : std::string_view();
    }

    bool operator==(const Value& other) const { return data_ == other.data_; }

private:
    using Data = std::variant<std::monostate, std::int64_t, double, std::string>;
    explicit Value(Data d) : data_(std::move(d)) {}
    Data data_;
};

class Recordset {
public:
    enum State { adStateClosed = 0, adStateOpen = 1 };

    Recordset() = default;
    Recordset(std::vector<std::string> columns, std::vector<std::vector<Value>> rows)
        : columns_(std::move(columns)), rows_(std::move(rows)), state_(adStateOpen) {}

    int State() const { return state_; }
    bool isOpen() const { return state_ == adStateOpen; }
    void Close() {
        state_ = adStateClosed;
        rows_.clear();
        position_ = 0;
    }

    void MoveFirst() { position_ = 0; }
    void MoveNext() {
        if (position_ < rows_.size())
            ++position_;
    }
    // End and beginning flags: both at once mean no rows. A closed record set is at both.
    bool eof() const { return !isOpen() || position_ >= rows_.size(); }
    bool bof() const { return !isOpen() || rows_.empty(); }

    std::size_t RecordCount() const { return rows_.size(); }
    const std::vector<std::string>& columnNames() const { return columns_; }

    bool hasField(const std::string& name) const { return columnIndex(name) >= 0; }
    // The named field of the current row; null when there is no current row or no such column.
    Value Fields(const std::string& name) const {
        const int index = columnIndex(name);
        if (index < 0 || eof())
            return Value();
        return rows_[position_][static_cast<std::size_t>(index)];
    }

    // A field of the current row by its column position, without a name search or a copy: for
    // readers of many rows. Null when there is no current row or no such column.
    const Value* fieldAt(std::size_t column) const {
        if (eof() || column >= columns_.size())
            return nullptr;
        return &rows_[position_][column];
    }

private:
    int columnIndex(const std::string& name) const {
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (equalsIgnoreCase(columns_[i], name))
                return static_cast<int>(i);
        }
        return -1;
    }
    static bool equalsIgnoreCase(const std::string& a, const std::string& b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
            if (lower(a[i]) != lower(b[i]))
                return false;
        }
        return true;
    }

    std::vector<std::string> columns_;
    std::vector<std::vector<Value>> rows_;
    std::size_t position_ = 0;
    int state_ = adStateClosed;
};

using RecordsetPtr = std::shared_ptr<Recordset>;
