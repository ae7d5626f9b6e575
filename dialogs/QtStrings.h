// std::u16string <-> QString and the string table's texts as QString, spelled once for
// every Qt file.
#pragma once

#include "resources/StringTable.h"

#include <QString>

#include <string>
#include <string_view>

namespace tamblero {

[[nodiscard]] inline QString QStr(std::u16string_view s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}
[[nodiscard]] inline std::u16string U16(const QString& s) {
    return s.toStdU16String();
}
[[nodiscard]] inline QString QText(unsigned id) {
    return QStr(LoadString(id));
}

} // namespace tamblero
