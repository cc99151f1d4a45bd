// DlpFields.cpp: dates, four-character codes and the fields that need more than one line.
#include "palmdesk/dlp/DlpFields.h"

#include <algorithm>
#include <cstdio>

namespace palmdesk::dlp {

std::string DlpDateTime::text() const {
    if (year == 0) return "none";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u", year, month, day, hour, minute, second);
    return buffer;
}

DlpDateTime DlpDateTime::fromTime(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    DlpDateTime d;
    d.year = static_cast<std::uint16_t>(local.tm_year + 1900);
    d.month = static_cast<std::uint8_t>(local.tm_mon + 1);
    d.day = static_cast<std::uint8_t>(local.tm_mday);
    d.hour = static_cast<std::uint8_t>(local.tm_hour);
    d.minute = static_cast<std::uint8_t>(local.tm_min);
    d.second = static_cast<std::uint8_t>(local.tm_sec);
    return d;
}

std::time_t DlpDateTime::toTime() const {
    if (year == 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return -1;
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

std::string fourCharCode(std::uint32_t code) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(code >> shift);
        if (c >= 0x20 && c < 0x7F && c != '\'' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
            out += buffer;
        }
    }
    return out;
}

bool FieldReader::fail(const char* name, std::size_t needed) {
    why_ = std::string(name) + " needs " + std::to_string(needed) + " bytes, " + std::to_string(r_.remaining()) +
           " remain";
    return false;
}

bool FieldReader::date(const char* name, DlpDateTime& d) {
    const auto year = r_.readU16();
    const auto rest = r_.take(6);
    if (!year || !rest) return fail(name, 8);
    d.year = *year;
    d.month = (*rest)[0];
    d.day = (*rest)[1];
    d.hour = (*rest)[2];
    d.minute = (*rest)[3];
    d.second = (*rest)[4];
    d.unused = (*rest)[5];
    return true;
}

bool FieldReader::bytes(const char* name, std::vector<std::uint8_t>& v, std::size_t n) {
    const auto got = r_.take(n);
    if (!got) return fail(name, n);
    v.assign(got->begin(), got->end());
    return true;
}

bool FieldReader::cstring(const char* name, std::string& s) {
    const std::size_t start = r_.position();
    std::size_t length = 0;
    for (;;) {
        const auto c = r_.readU8();
        if (!c) {
            why_ = std::string(name) + " has no terminating zero";
            return false;
        }
        if (*c == 0) break;
        ++length;
    }
    r_.seek(start);
    const auto text = r_.take(length + 1);
    s.assign(reinterpret_cast<const char*>(text->data()), length);
    return true;
}

bool FieldReader::text(const char* name, std::string& s, std::size_t n) {
    const auto got = r_.take(n);
    if (!got) return fail(name, n);
    const auto end = std::find(got->begin(), got->end(), std::uint8_t{0});
    s.assign(got->begin(), end);
    return true;
}

bool FieldWriter::date(const char*, DlpDateTime& d) {
    return w_.writeU16(d.year) && w_.writeU8(d.month) && w_.writeU8(d.day) && w_.writeU8(d.hour) &&
           w_.writeU8(d.minute) && w_.writeU8(d.second) && w_.writeU8(d.unused);
}

bool FieldWriter::bytes(const char*, std::vector<std::uint8_t>& v, std::size_t n) {
    const std::size_t own = std::min(n, v.size());
    return w_.writeBytes(std::span(v).first(own)) && w_.writeZeros(n - own);
}

bool FieldWriter::text(const char*, std::string& s, std::size_t n) {
    const std::size_t own = std::min(n, s.size());
    return w_.writeText(std::string_view(s).substr(0, own)) && w_.writeZeros(n - own);
}

bool FieldPrinter::add(const char* name, const std::string& value) {
    if (!first_) out_ += ' ';
    first_ = false;
    out_ += name;
    out_ += '=';
    out_ += value;
    return true;
}

bool FieldPrinter::number(const char* name, unsigned long v) {
    std::string value = std::to_string(v);
    if (v > 9) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, " (0x%lx)", v);
        value += buffer;
    }
    return add(name, value);
}

bool FieldPrinter::bytes(const char* name, std::vector<std::uint8_t>& v, std::size_t) {
    std::string shown = std::to_string(v.size()) + " bytes";
    if (!v.empty()) {
        shown += " ";
        static constexpr char kDigits[] = "0123456789abcdef";
        const std::size_t n = std::min<std::size_t>(v.size(), 16);
        for (std::size_t i = 0; i < n; ++i) {
            shown += kDigits[v[i] >> 4];
            shown += kDigits[v[i] & 15];
        }
        if (n < v.size()) shown += "...";
    }
    return add(name, shown);
}

}  // namespace palmdesk::dlp
