#pragma once
// A detached, read-only, in-memory result: what every read of Trip returns.
// Header-only on purpose: the program loads the library at run time and links none of its symbols.

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One field value in 16 bytes: a whole or real number, or text held inline up to 14 bytes and on the
// heap beyond. A record set of 100,000 trips holds two million of them, so the size counts.
class Value {
public:
    enum class Type { Null, Integer, Real, Text };

    Value() { bytes_[kTag] = static_cast<unsigned char>(Type::Null); }
    Value(const Value& other) { copyFrom(other); }
    Value(Value&& other) noexcept {
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        other.bytes_[kTag] = static_cast<unsigned char>(Type::Null);
    }
    Value& operator=(const Value& other) {
        if (this != &other) {
            release();
            copyFrom(other);
        }
        return *this;
    }
    Value& operator=(Value&& other) noexcept {
        if (this != &other) {
            release();
            std::memcpy(bytes_, other.bytes_, sizeof bytes_);
            other.bytes_[kTag] = static_cast<unsigned char>(Type::Null);
        }
        return *this;
    }
    ~Value() { release(); }

    static Value integer(std::int64_t v) { return Value(Type::Integer, &v); }
    static Value real(double v) { return Value(Type::Real, &v); }
    static Value text(std::string_view v) {
        Value out;
        out.setText(v);
        return out;
    }

    Type type() const { return static_cast<Type>(bytes_[kTag] & 3); }
    bool isNull() const { return type() == Type::Null; }

    // Numeric view: integers and reals as they are, text parsed as a C number whatever the locale, null as 0.
    double toDouble() const {
        switch (type()) {
        case Type::Integer:
            return static_cast<double>(payload<std::int64_t>());
        case Type::Real:
            return payload<double>();
        case Type::Text:
            return parseNumber(textView());
        default:
            return 0.0;
        }
    }
    std::int64_t toInt64() const {
        if (type() == Type::Integer)
            return payload<std::int64_t>();
        return static_cast<std::int64_t>(std::llround(toDouble()));
    }

    // Text view: text as stored, integers in decimal, reals in the shortest form that reads back
    // as the same single-precision value when it is one (0.475, 12.5), always with a period; null as empty text.
    std::string toString() const {
        switch (type()) {
        case Type::Integer:
            return std::to_string(payload<std::int64_t>());
        case Type::Real: {
            const double d = payload<double>();
            char buf[40];
            char* end = buf;
            for (int precision = 1; precision <= 17; ++precision) {
                end = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, precision).ptr;
                if (parseNumber(std::string_view(buf, static_cast<std::size_t>(end - buf))) == d)
                    break;
            }
            return std::string(buf, end);
        }
        case Type::Text:
            return std::string(textView());
        default:
            return std::string();
        }
    }

    // The stored text itself, without a copy; empty for other types.
    std::string_view textView() const {
        if (type() != Type::Text)
            return std::string_view();
        if (bytes_[kTag] & kOnHeap) {
            const char* data = payload<const char*>();
            std::uint32_t size;
            std::memcpy(&size, bytes_ + sizeof(char*), sizeof size);
            return std::string_view(data, size);
        }
        return std::string_view(reinterpret_cast<const char*>(bytes_), bytes_[kInlineSize]);
    }

    bool operator==(const Value& other) const {
        if (type() != other.type())
            return false;
        switch (type()) {
        case Type::Integer:
            return payload<std::int64_t>() == other.payload<std::int64_t>();
        case Type::Real:
            return payload<double>() == other.payload<double>();
        case Type::Text:
            return textView() == other.textView();
        default:
            return true;
        }
    }

private:
    // A C number at the start of the text (blanks and a sign before it allowed), with a period whatever
    // the process's locale says; 0 when there is none or it is out of range.
    static double parseNumber(std::string_view text) {
        const char* p = text.data();
        const char* const end = p + text.size();
        while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
            ++p;
        if (p < end && *p == '+' && p + 1 < end && p[1] != '-')
            ++p;
        double value = 0.0;
        const auto result = std::from_chars(p, end, value);
        return result.ec == std::errc() ? value : 0.0;
    }

    static constexpr std::size_t kTag = 15;        // the type, and whether the text is on the heap
    static constexpr std::size_t kInlineSize = 14; // the length of inline text
    static constexpr std::size_t kInlineMax = 14;
    static constexpr unsigned char kOnHeap = 4;

    Value(Type type, const void* number) {
        std::memcpy(bytes_, number, 8);
        bytes_[kTag] = static_cast<unsigned char>(type);
    }
    template <typename T> T payload() const {
        T value;
        std::memcpy(&value, bytes_, sizeof value);
        return value;
    }
    void setText(std::string_view v) {
        if (v.size() <= kInlineMax) {
            if (!v.empty())
                std::memcpy(bytes_, v.data(), v.size());
            bytes_[kInlineSize] = static_cast<unsigned char>(v.size());
            bytes_[kTag] = static_cast<unsigned char>(Type::Text);
            return;
        }
        if (v.size() > UINT32_MAX)
            throw std::bad_alloc();
        char* data = new char[v.size()];
        std::memcpy(data, v.data(), v.size());
        const auto size = static_cast<std::uint32_t>(v.size());
        std::memcpy(bytes_, &data, sizeof data);
        std::memcpy(bytes_ + sizeof data, &size, sizeof size);
        bytes_[kTag] = static_cast<unsigned char>(Type::Text) | kOnHeap;
    }
    void copyFrom(const Value& other) {
        if (other.bytes_[kTag] & kOnHeap) {
            bytes_[kTag] = static_cast<unsigned char>(Type::Null);
            setText(other.textView());
        } else {
            std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        }
    }
    void release() {
        if (bytes_[kTag] & kOnHeap)
            delete[] payload<char*>();
        bytes_[kTag] = static_cast<unsigned char>(Type::Null);
    }

    alignas(8) unsigned char bytes_[16] = {};
};
static_assert(sizeof(Value) == 16, "a value stays 16 bytes");

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
