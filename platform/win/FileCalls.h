// FileCalls.h: the file-system calls that change what is on the disk (write, flush, change of
// length, rename, link, unlink), each of which a test can make fail, come out short, stop the
// process or end it, to see what a failing disk or a killed program leaves behind.
//
// A plan is set in the process (InjectFileFault) or, for a program a test runs, by the variable
// PALMDESK_FILE_FAULT, read once per library that holds these calls:
//   KIND:N[:ACTION]   KIND write, fsync, truncate, rename (a link counts as a rename), unlink or
//                     any (a call of any of those kinds); N the call of that kind, counted from 1,
//                     that fails; ACTION fail (EIO; ENOSPC for a write, the default), short (a
//                     write takes half its bytes), stop (the process stops itself with SIGSTOP
//                     before the call, for a test to kill it), exit (the process ends, status 0,
//                     before the call) or exitmidway (a write puts down the first half of its
//                     bytes, then the process ends; other calls end it as exit does).
// Without a plan every call goes straight to the system.
#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <sys/uio.h>

namespace win {

// Any is no call of its own: a plan for it picks the nth call of whatever kind, and its count is
// that of all calls.
enum class FileCall { Write, Fsync, Truncate, Rename, Unlink, Any };
enum class FaultAction { Fail, Short, Stop, Exit, ExitMidway };

// The system's calls, through the plan. Each returns and sets errno as the system call does.
ssize_t Writev(int fd, const iovec* parts, int count);
// Copies up to count bytes of the file from, read at *at (moved on by what was copied), to fd at
// its position, within the kernel (copy_file_range); counted and planned as a write, a short one
// copying half.
ssize_t CopyFileRange(int from, off_t* at, int fd, std::size_t count);
int Fsync(int fd);
// Flushes the whole file system fd lies on (syncfs); planned as an fsync.
int Syncfs(int fd);
int Ftruncate(int fd, off_t length);
int Rename(const std::string& from, const std::string& to);
int Link(const std::string& from, const std::string& to);
int Unlink(const std::string& path);
// Reserves disk space for the first length bytes of fd without changing its length; as
// fallocate, but not a counted call. Fails with EOPNOTSUPP while a test pretends the file system
// cannot reserve.
int Reserve(int fd, off_t length);

// Makes the nth call of the kind from now on (1: the next) do action; replaces any plan.
void InjectFileFault(FileCall call, int nth, FaultAction action = FaultAction::Fail);
void ClearFileFaults();
// How many calls of the kind went through since the plan was set (or since the start).
int FileCallCount(FileCall call);
// While set, Reserve fails as on a file system that cannot reserve space.
void PretendReserveUnsupported(bool unsupported);

// Flushes a folder's entries (names made, renamed or removed in it) to the disk; false when it
// cannot be opened or flushed.
bool FlushFolder(const std::string& folder);

}  // namespace win
