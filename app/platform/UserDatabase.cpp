#include "app/platform/UserDatabase.h"

#include <cerrno>
#include <cstddef>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace tamblero {

std::optional<std::string> UserDatabaseHome() {
    // As desktop libraries ask it: the real uid's entry, the buffer grown while too small.
    const long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) : std::size_t{16384});
    passwd entry{};
    passwd* found = nullptr;
    int rc = 0;
    while ((rc = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found)) ==
               ERANGE &&
           buffer.size() < (std::size_t{1} << 20U)) {
        buffer.resize(buffer.size() * 2);
    }
    if (rc != 0 || found == nullptr) {
        return std::nullopt;
    }
    return std::string(found->pw_dir != nullptr ? found->pw_dir : "");
}

} // namespace tamblero
