// Another running program as far as the data-file lock goes: tries the lock on the file
// named on the command line, writes 'L' (locked), 'U' (in use) or 'X' (unavailable) to
// stdout, and holds a lock it got until it is killed. With "--as-nobody" a root caller
// first becomes user 65534, for whom file modes count.
#include "storage/DataFileLock.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    const bool asNobody = argc == 3 && std::strcmp(argv[2], "--as-nobody") == 0;
    if (argc != 2 && !asNobody) {
        std::fprintf(stderr, "usage: %s <data file> [--as-nobody]\n", argv[0]);
        return 2;
    }
    if (asNobody && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
        return 1;
    }
    tamblero::CDataFileLock lock;
    using Result = tamblero::CDataFileLock::Result;
    const Result result = lock.TryLock(argv[1]);
    const char answer = result == Result::Locked ? 'L' : (result == Result::InUse ? 'U' : 'X');
    if (::write(STDOUT_FILENO, &answer, 1) != 1) {
        return 1;
    }
    while (lock.IsLocked()) {
        ::pause();
    }
    return 0;
}
