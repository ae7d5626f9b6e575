// An OFX or QFX statement read by tamblero-ofx, the helper beside the program that links
// libofx: run as a child within a time and output limit, so that a file that crashes or hangs
// libofx costs a message, never the caller and its unsaved changes.
#pragma once

#include "app/platform/Platform.h"
#include "statement/Statement.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace tamblero {

// The helper's name beside the running executable.
inline constexpr const char* kOfxHelperName = "tamblero-ofx";

// Where the helper is: beside the running program.
[[nodiscard]] std::filesystem::path OfxHelperPath(const IPlatform& platform);

// The rows of the helper's run (its lines: see app/ofx/OfxHelper.cpp), each row's line found
// by its FITID in the statement's text; or why there are none.
[[nodiscard]] StatementRead ReadOfxHelperRun(const HelperRun& run, std::string_view text);

// Why the helper cannot be run: it is not there; nothing where it is.
[[nodiscard]] std::optional<StatementRead> OfxHelperMissing(const IPlatform& platform,
                                                            const std::filesystem::path& helper);

// Runs the helper on the statement whose text is given (to name the rows' lines).
[[nodiscard]] StatementRead ReadOfx(IPlatform& platform, const std::filesystem::path& helper,
                                    const std::filesystem::path& statement, std::string_view text,
                                    const HelperLimits& limits = {});

} // namespace tamblero
