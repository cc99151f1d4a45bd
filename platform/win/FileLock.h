// FileLock.h: an advisory lock between processes on a lock file, held for the life of the object.
#pragma once

#include <string>

namespace win {

class FileLock {
public:
    enum class Wait { Yes, No };

    // Locks path (made when missing), shared or exclusive; with Wait::No a lock another process
    // holds is not waited for and Held() is false.
    FileLock(const std::string& path, bool exclusive, Wait wait = Wait::Yes);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

}  // namespace win
