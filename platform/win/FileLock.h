// FileLock.h: an advisory lock between processes on a lock file, held for the life of the object.
// Lock files are kept together in the hidden folder ".locks" of the desktop root, so that no
// stray ".lock" file appears beside the files they guard.
#pragma once

#include <string>

namespace win {

class FileLock {
public:
    enum class Wait { Yes, No };

    // Locks the lock file path stands for (see LockFilePath; made when missing), shared or
    // exclusive; with Wait::No a lock another process holds is not waited for and Held() is false.
    FileLock(const std::string& path, bool exclusive, Wait wait = Wait::Yes);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return held_; }
    // Leaves text in the lock file for others to read (who holds the lock); false when it cannot.
    bool Describe(const std::string& text) const;
    // What the holder of the lock file path stands for left there; empty when nothing.
    static std::string Description(const std::string& path);

private:
    int fd_ = -1;
    bool held_ = false;
};

// Where the lock file named path lives: in <root>/.locks, named after path relative to the
// desktop root (or after the whole path outside it) with '%' and '/' written as %25 and %2F, so
// that every path keeps a lock file of its own. When the desktop root does not exist, path itself:
// a lock never makes the desktop root.
std::string LockFilePath(const std::string& path);

}  // namespace win
