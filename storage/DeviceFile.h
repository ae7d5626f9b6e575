// This device's lasting id, kept in the user's state folder: one per user and machine, never in
// the data file, which every device shares.
#pragma once

#include "app/platform/Platform.h"

#include <cstdint>
#include <filesystem>

namespace tamblero {

// "$XDG_STATE_HOME/tamblero", else "<home>/.local/state/tamblero"; empty without a home.
[[nodiscard]] std::filesystem::path UserStateFolder(const IPlatform& platform);

// The id kept in "<state folder>/device" (16 hex digits); made from the system's random source
// and kept there when missing or unreadable. Where it cannot be kept, a new random id serves
// this run alone: changes still carry a device no other has.
[[nodiscard]] std::uint64_t LoadOrMakeDeviceId(const IPlatform& platform);

} // namespace tamblero
