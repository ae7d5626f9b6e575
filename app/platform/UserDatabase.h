// The real user's home as the user database (passwd) names it, for the platforms to give
// through IPlatform when HOME says nothing.
#pragma once

#include <optional>
#include <string>

namespace tamblero {

// Nothing when the user has no entry.
[[nodiscard]] std::optional<std::string> UserDatabaseHome();

} // namespace tamblero
