#include "sync/ConflictCopies.h"

#include <algorithm>
#include <chrono>

namespace tamblero {

namespace {

// What a copy's name adds between the data file's stem and its extension.
struct Split {
    std::string_view stem;
    std::string_view ext;
};

// At the last dot; a dot that starts the name begins an extension only where `leadingDot` (Go's
// rule, which Syncthing's names follow).
Split SplitName(std::string_view name, bool leadingDot) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || (dot == 0 && !leadingDot))
        return {name, {}};
    return {name.substr(0, dot), name.substr(dot)};
}

// The part of `name` between `split`'s stem and extension, if it has both around something.
std::optional<std::string_view> Between(std::string_view name, Split split) {
    if (name.size() <= split.stem.size() + split.ext.size() || !name.starts_with(split.stem) ||
        !name.ends_with(split.ext))
        return std::nullopt;
    return name.substr(split.stem.size(), name.size() - split.stem.size() - split.ext.size());
}

// Reads a name's parts from the front; every step fails once one has.
class CReader final {
public:
    explicit CReader(std::string_view text) : m_rest(text) {}

    CReader& Literal(std::string_view literal) {
        m_ok = m_ok && m_rest.starts_with(literal);
        if (m_ok)
            m_rest.remove_prefix(literal.size());
        return *this;
    }
    // `count` decimal digits, as a number.
    CReader& Number(std::size_t count, unsigned& value) {
        value = 0;
        m_ok = m_ok && m_rest.size() >= count;
        for (std::size_t i = 0; m_ok && i < count; ++i) {
            m_ok = m_rest[i] >= '0' && m_rest[i] <= '9';
            value = value * 10 + static_cast<unsigned>(m_rest[i] - '0');
        }
        if (m_ok)
            m_rest.remove_prefix(count);
        return *this;
    }
    CReader& Date(std::string_view separator) {
        unsigned y = 0, m = 0, d = 0;
        Number(4, y).Literal(separator).Number(2, m).Literal(separator).Number(2, d);
        using namespace std::chrono;
        m_ok = m_ok && year_month_day{year(static_cast<int>(y)), month(m), day(d)}.ok();
        return *this;
    }
    CReader& Time() {
        unsigned h = 0, m = 0, s = 0;
        Number(2, h).Number(2, m).Number(2, s);
        m_ok = m_ok && h < 24 && m < 60 && s < 60;
        return *this;
    }
    // Syncthing's short id of the device that made the other version.
    CReader& ShortId() {
        m_ok = m_ok && m_rest.size() >= 7 &&
               std::all_of(m_rest.begin(), m_rest.begin() + 7,
                           [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
        if (m_ok)
            m_rest.remove_prefix(7);
        return *this;
    }
    [[nodiscard]] bool AtEnd() const { return m_ok && m_rest.empty(); }

private:
    std::string_view m_rest;
    bool m_ok = true;
};

bool IsSyncthing(std::string_view between) {
    return CReader(between)
        .Literal(".sync-conflict-")
        .Date({})
        .Literal("-")
        .Time()
        .Literal("-")
        .ShortId()
        .AtEnd();
}

// " (conflicted copy [<user> ]YYYY-MM-DD HHMMSS)": Nextcloud writes the user's name with no
// parentheses, so that the tag's ends are found.
bool IsNextcloud(std::string_view between) {
    constexpr std::string_view open = " (conflicted copy ";
    constexpr std::size_t stampSize = std::string_view("YYYY-MM-DD HHMMSS)").size();
    if (!between.starts_with(open) || between.size() < open.size() + stampSize)
        return false;
    const std::string_view user =
        between.substr(open.size(), between.size() - open.size() - stampSize);
    if (!user.empty() && (user.size() < 2 || !user.ends_with(' ') ||
                          user.find_first_of("()") != std::string_view::npos))
        return false;
    return CReader(between.substr(between.size() - stampSize))
        .Date("-")
        .Literal(" ")
        .Time()
        .Literal(")")
        .AtEnd();
}

bool IsOldNextcloud(std::string_view between) {
    return CReader(between).Literal("_conflict-").Date({}).Literal("-").Time().AtEnd();
}

bool IsDropbox(std::string_view between) {
    return between.starts_with(" (") && between.ends_with(")") &&
           between.substr(2, between.size() - 3).find("conflicted copy") != std::string_view::npos;
}

} // namespace

std::string_view SyncServiceName(SyncService service) {
    switch (service) {
    case SyncService::Syncthing:
        return "Syncthing";
    case SyncService::Nextcloud:
        return "Nextcloud";
    case SyncService::Dropbox:
        return "Dropbox";
    }
    return {};
}

std::optional<SyncService> ConflictCopyOf(std::string_view dataFile, std::string_view name) {
    if (dataFile.empty())
        return std::nullopt;
    if (const auto between = Between(name, SplitName(dataFile, true));
        between && IsSyncthing(*between))
        return SyncService::Syncthing;
    const auto between = Between(name, SplitName(dataFile, false));
    if (!between)
        return std::nullopt;
    if (IsNextcloud(*between) || IsOldNextcloud(*between))
        return SyncService::Nextcloud;
    if (IsDropbox(*between))
        return SyncService::Dropbox;
    return std::nullopt;
}

std::vector<ConflictCopy> FindConflictCopies(std::string_view dataFile,
                                             std::span<const std::string> names) {
    std::vector<ConflictCopy> copies;
    for (const std::string& name : names) {
        if (const auto service = ConflictCopyOf(dataFile, name))
            copies.push_back({name, *service});
    }
    std::sort(copies.begin(), copies.end(),
              [](const ConflictCopy& a, const ConflictCopy& b) { return a.name < b.name; });
    return copies;
}

} // namespace tamblero
