// DlpFields.h: one description of an argument's fields serves three uses: a struct lists its
// fields once, in `template <class F> bool fields(F& f)`, and FieldReader reads them from an
// argument (bounds-checked), FieldWriter writes them and FieldPrinter names them for a person.
#pragma once

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"

#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

namespace palmdesk::dlp {

// A date as the handheld sends it: year (2), month 1-12, day 1-31, hour, minute, second, 0.
// A year of 0 means none. Handhelds leave whatever was there in the rest of a date that is none,
// and in the last byte, so both are kept as they came.
struct DlpDateTime {
    std::uint16_t year = 0;
    std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0, unused = 0;
    bool operator==(const DlpDateTime&) const = default;
    // "2023-06-12 17:00:00", or "none"
    std::string text() const;
    // Local time of a time_t, and back (-1 for none or an impossible date).
    static DlpDateTime fromTime(std::time_t t);
    std::time_t toTime() const;
};

// "DATA" for 0x44415441; non-printable bytes as \xNN.
std::string fourCharCode(std::uint32_t code);

class FieldReader {
public:
    static constexpr bool kReading = true;
    explicit FieldReader(std::span<const std::uint8_t> bytes) : r_(bytes) {}

    bool u8(const char* name, std::uint8_t& v) { return check(name, r_.readU8(), v); }
    bool u16(const char* name, std::uint16_t& v) { return check(name, r_.readU16(), v); }
    bool u32(const char* name, std::uint32_t& v) { return check(name, r_.readU32(), v); }
    bool code(const char* name, std::uint32_t& v) { return u32(name, v); }
    bool zeros(std::size_t n) { return r_.skip(n) || fail("padding", n); }
    bool date(const char* name, DlpDateTime& d);
    bool bytes(const char* name, std::vector<std::uint8_t>& v, std::size_t n);
    // What remains of the argument.
    bool rest(const char* name, std::vector<std::uint8_t>& v) { return bytes(name, v, r_.remaining()); }
    // Zero-terminated text; the terminator must lie within the argument.
    bool cstring(const char* name, std::string& s);
    // n bytes holding zero-terminated text (or no terminator when it fills them).
    bool text(const char* name, std::string& s, std::size_t n);
    // The next n bytes as a part of their own: fields may not run past it, and what they leave of
    // it (padding) is skipped.
    template <class Fn>
    bool part(std::size_t n, Fn&& fn) {
        const auto sub = r_.take(n);
        if (!sub) return fail("part", n);
        FieldReader inner(*sub);
        if (!fn(inner)) {
            why_ = inner.why_;
            return false;
        }
        return true;
    }
    // count items, each read by its own fields(); minSize (the least an item takes) bounds count
    // by what remains before anything is allocated.
    template <class T>
    bool list(const char* name, std::vector<T>& items, std::size_t count, std::size_t minSize) {
        if (minSize > 0 && count > r_.remaining() / minSize) return fail(name, count * minSize);
        items.assign(count, T{});
        for (T& item : items)
            if (!item.fields(*this)) return false;
        return true;
    }
    void evenPad() {
        if (r_.position() % 2 != 0 && r_.remaining() > 0) r_.skip(1);
    }
    std::size_t remaining() const { return r_.remaining(); }
    const std::string& why() const { return why_; }

private:
    template <class T, class V>
    bool check(const char* name, const std::optional<T>& got, V& v) {
        if (!got) return fail(name, sizeof(T));
        v = *got;
        return true;
    }
    bool fail(const char* name, std::size_t needed);

    bytes::ByteReader r_;
    std::string why_;
};

class FieldWriter {
public:
    static constexpr bool kReading = false;
    explicit FieldWriter(std::vector<std::uint8_t>& out) : out_(out), w_(out) {}

    bool u8(const char*, std::uint8_t& v) { return w_.writeU8(v); }
    bool u16(const char*, std::uint16_t& v) { return w_.writeU16(v); }
    bool u32(const char*, std::uint32_t& v) { return w_.writeU32(v); }
    bool code(const char*, std::uint32_t& v) { return w_.writeU32(v); }
    bool zeros(std::size_t n) { return w_.writeZeros(n); }
    bool date(const char* name, DlpDateTime& d);
    bool bytes(const char*, std::vector<std::uint8_t>& v, std::size_t n);
    bool rest(const char*, std::vector<std::uint8_t>& v) { return w_.writeBytes(v); }
    bool cstring(const char*, std::string& s) { return w_.writeText(s) && w_.writeU8(0); }
    bool text(const char*, std::string& s, std::size_t n);
    template <class Fn>
    bool part(std::size_t n, Fn&& fn) {
        const std::size_t start = out_.size();
        if (!fn(*this)) return false;
        const std::size_t used = out_.size() - start;
        return used <= n && w_.writeZeros(n - used);
    }
    template <class T>
    bool list(const char*, std::vector<T>& items, std::size_t, std::size_t) {
        for (T& item : items)
            if (!item.fields(*this)) return false;
        return true;
    }
    void evenPad() {
        if (out_.size() % 2 != 0) w_.writeU8(0);
    }

private:
    std::vector<std::uint8_t>& out_;
    bytes::ByteWriter w_;
};

// Fields as "name=value" pairs, one space apart; lists in brackets.
class FieldPrinter {
public:
    static constexpr bool kReading = false;

    bool u8(const char* name, std::uint8_t& v) { return number(name, v); }
    bool u16(const char* name, std::uint16_t& v) { return number(name, v); }
    bool u32(const char* name, std::uint32_t& v) { return number(name, v); }
    bool code(const char* name, std::uint32_t& v) { return add(name, "'" + fourCharCode(v) + "'"); }
    bool zeros(std::size_t) { return true; }
    bool date(const char* name, DlpDateTime& d) { return add(name, d.text()); }
    bool bytes(const char* name, std::vector<std::uint8_t>& v, std::size_t n);
    bool rest(const char* name, std::vector<std::uint8_t>& v) { return bytes(name, v, v.size()); }
    bool cstring(const char* name, std::string& s) { return add(name, "\"" + s + "\""); }
    bool text(const char* name, std::string& s, std::size_t) { return cstring(name, s); }
    template <class Fn>
    bool part(std::size_t, Fn&& fn) {
        return fn(*this);
    }
    template <class T>
    bool list(const char* name, std::vector<T>& items, std::size_t, std::size_t) {
        add(name, std::to_string(items.size()) + ":");
        for (T& item : items) {
            out_ += " [";
            bool first = true;
            std::swap(first, first_);
            item.fields(*this);
            first_ = false;
            out_ += "]";
        }
        return true;
    }
    void evenPad() {}
    const std::string& output() const { return out_; }

private:
    bool number(const char* name, unsigned long v);
    bool add(const char* name, const std::string& value);

    std::string out_;
    bool first_ = true;
};

// A struct's fields from a whole argument; false with why when they do not fit in it.
template <class T>
bool readFields(std::span<const std::uint8_t> bytes, T& value, std::string& why) {
    FieldReader r(bytes);
    if (value.fields(r)) return true;
    why = r.why();
    return false;
}
template <class T>
std::vector<std::uint8_t> writeFields(T value) {
    std::vector<std::uint8_t> out;
    FieldWriter w(out);
    value.fields(w);
    return out;
}
template <class T>
std::string printFields(T value) {
    FieldPrinter p;
    value.fields(p);
    return p.output();
}

}  // namespace palmdesk::dlp
