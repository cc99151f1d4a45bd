// FileCalls.h: the file-system calls that change what is on the disk (write, flush, rename,
// link, unlink), each of which a test can make fail, come out short or stop the process, to see
// what a failing disk or a killed program leaves behind.
//
// A plan is set in the process (InjectFileFault) or, for a program a test runs, by the variable
// PALMDESK_FILE_FAULT, read once per library that holds these calls:
//   KIND:N[:ACTION]   KIND write, fsync, rename (a link counts as a rename) or unlink; N the
//                     call of that kind, counted from 1, that fails; ACTION fail (EIO; ENOSPC for
//                     a write, the default), short (a write takes half its bytes), or stop (the
//                     process stops itself with SIGSTOP before the call, for a test to kill it).
// Without a plan every call goes straight to the system.
#pragma once

#include <string>
#include <sys/types.h>
#include <sys/uio.h>

namespace win {

enum class FileCall { Write, Fsync, Rename, Unlink };
enum class FaultAction { Fail, Short, Stop };

// The system's calls, through the plan. Each returns and sets errno as the system call does.
ssize_t Writev(int fd, const iovec* parts, int count);
int Fsync(int fd);
int Rename(const std::string& from, const std::string& to);
int Link(const std::string& from, const std::string& to);
int Unlink(const std::string& path);

// Makes the nth call of the kind from now on (1: the next) do action; replaces any plan.
void InjectFileFault(FileCall call, int nth, FaultAction action = FaultAction::Fail);
void ClearFileFaults();
// How many calls of the kind went through since the plan was set (or since the start).
int FileCallCount(FileCall call);

// Flushes a folder's entries (names made, renamed or removed in it) to the disk; false when it
// cannot be opened or flushed.
bool FlushFolder(const std::string& folder);

}  // namespace win
