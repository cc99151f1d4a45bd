// File.h: qz_gen::CFile, raw file access with Win32 open semantics over POSIX calls. Failures
// throw qz_gen::CException objects by pointer (see Exception.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace qz_gen {

class CFile {
public:
    // Open flags, combined with OR.
    enum OpenFlags : std::uint32_t {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };

    enum SeekOrigin : int { begin = 0, current = 1, end = 2 };

    CFile() = default;
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens path as flags say. Throws a CFileException (cause from the error, the error, path)
    // when the file cannot be opened; returns true otherwise.
    //
    // Share modes are kept between processes with advisory locks: an open that denies others
    // reading or writing, or that writes, holds the file exclusively; a reading open that denies
    // writers only holds it shared; "deny none" takes no lock. A conflicting open fails with a
    // sharing violation, as on Windows.
    bool Open(const std::string& path, std::uint32_t flags);
    void Close();
    void SetFilePath(const std::string& path) { filePath_ = path; }
    // Writes all n bytes; a failure throws a CFileException naming the file.
    std::uint32_t Write(const void* buffer, std::uint32_t n);
    // Writes the parts one after the other, gathered into as few calls as the system allows;
    // fails as Write does.
    void WriteParts(std::span<const std::span<const std::uint8_t>> parts);
    // Reads exactly n bytes; a failure or a short read throws "File IO read error" (code 7).
    std::uint32_t Read(void* buffer, std::uint32_t n);
    // Failures throw "File IO" (code 9).
    std::int64_t Seek(std::int64_t offset, int origin);
    std::int64_t GetPosition();
    // Failure throws "File IO write error" (code 8).
    void Flush();
    bool IsOpen() const { return handle_ != kClosed; }
    void SetLength(std::int64_t length);
    std::int64_t GetLength();
    // Reserves disk space for the first length bytes without changing the file's length, so that
    // writes within them cannot run out of space; a full disk throws diskFull. Skipped where the
    // file system cannot reserve.
    void Reserve(std::int64_t length);

    const std::string& GetFilePath() const { return filePath_; }
    // The system's descriptor of the open file; -1 when closed.
    int GetHandle() const { return handle_; }

    // Deletes the file at path; failure throws a CFileException without file name.
    static void Remove(const std::string& path);
    // True when an entry (file or folder) exists at path.
    static bool Exists(const std::string& path);

private:
    static constexpr int kClosed = -1;
    int handle_ = kClosed;
    std::string filePath_;
};

}  // namespace qz_gen
