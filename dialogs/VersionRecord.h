// The program's own version record, written by the build from the project version.
#pragma once

#include <cstdint>
#include <span>

namespace tamblero {

[[nodiscard]] std::span<const std::uint8_t> EmbeddedVersionRecord();

} // namespace tamblero
