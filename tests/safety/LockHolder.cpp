// Another running program as far as the data-file lock goes: tries the lock on the file
// named on the command line, writes 'L' (locked), 'U' (in use) or 'X' (unavailable) to
// stdout, and holds a lock it got until it is killed.
#include "storage/DataFileLock.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data file>\n", argv[0]);
        return 2;
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
