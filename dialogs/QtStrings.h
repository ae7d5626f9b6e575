// std::u16string <-> QString and the string table's texts as QString, spelled once for
// every Qt file.
#pragma once

#include "resources/StringTable.h"

#include <QString>

#include <string>

namespace tamblero {

[[nodiscard]] inline QString QStr(const std::u16string& s) {
    return QString::fromStdU16String(s);
}
[[nodiscard]] inline std::u16string U16(const QString& s) {
    return s.toStdU16String();
}
[[nodiscard]] inline QString QText(unsigned id) {
    return QStr(LoadString(id));
}

} // namespace tamblero
