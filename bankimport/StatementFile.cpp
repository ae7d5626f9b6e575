#include "bankimport/StatementFile.h"

#include "bankimport/OfxStatement.h"
#include "statement/QifStatement.h"
#include "storage/FileIO.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <system_error>
#include <vector>

namespace tamblero {

namespace {

std::string LowerExtension(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// The opening of the text without a byte-order mark and leading blank lines.
std::string_view Opening(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string_view() : bytes.substr(first);
}

} // namespace

StatementFormat DetectStatementFormat(const std::filesystem::path& path, std::string_view bytes) {
    const std::string_view opening = Opening(bytes);
    // An OFX 1.x header, an OFX 2.x XML prologue naming OFX, or the element itself early on.
    const std::string_view head = opening.substr(0, 4096);
    if (opening.starts_with("OFXHEADER") || head.find("<OFX>") != std::string_view::npos ||
        head.find("<?OFX") != std::string_view::npos) {
        return StatementFormat::Ofx;
    }
    if (opening.starts_with('!')) {
        return StatementFormat::Qif;
    }
    const std::string ext = LowerExtension(path);
    if (ext == ".qif") {
        return StatementFormat::Qif;
    }
    if (ext == ".ofx" || ext == ".qfx") {
        return StatementFormat::Ofx;
    }
    return StatementFormat::Csv;
}

StatementFile ReadStatementFile(const std::filesystem::path& path,
                                const StatementFileRequest& request) {
    return ReadStatementFile(path, request, nullptr);
}

bool ReadStatementBytes(const std::filesystem::path& path, const StatementFileRequest& request,
                        StatementFile& file, std::vector<std::uint8_t>& bytes) {
    // The size is checked before a byte is read: a 200 MB file costs nothing.
    const ReadLimit limit{kMaxStatementBytes, "larger than 64 MiB, more than any bank's "
                                              "statement; split it"};
    Reason reason;
    switch (ReadFileBytes(path, bytes, reason, limit)) {
    case FileRead::Done:
        break;
    case FileRead::TooLarge: {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        const std::string digits = ec ? std::string() : std::to_string(size);
        file.read.error = StatementError{IDS_STATEMENT_TOO_LARGE, 0,
                                         std::u16string(digits.begin(), digits.end())};
        return false;
    }
    case FileRead::Missing:
    case FileRead::Refused:
        file.fileError = reason;
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    file.format = request.format.value_or(DetectStatementFormat(path, text));
    return true;
}

void ReadStatementRows(const std::filesystem::path& path, std::string_view text,
                       const StatementFileRequest& request, IPlatform* platform,
                       StatementFile& file) {
    switch (file.format) {
    case StatementFormat::Ofx:
        file.read = platform != nullptr
                        ? ReadOfx(*platform, OfxHelperPath(*platform), path, text)
                        : StatementRead{{},
                                        StatementError{IDS_OFX_NOT_STARTED, 0,
                                                       u"здесь программы не запускаются"},
                                        {}};
        break;
    case StatementFormat::Qif:
        file.read = ReadQif(text);
        break;
    case StatementFormat::Csv: {
        CsvRead csv = ReadCsv(text, request.mapping, request.csv);
        file.read = std::move(csv.read);
        file.csv = csv.settings;
        file.dateFormGuessed = csv.dateFormGuessed;
        break;
    }
    }
}

StatementFile ReadStatementFile(const std::filesystem::path& path,
                                const StatementFileRequest& request, IPlatform* platform) {
    StatementFile file;
    std::vector<std::uint8_t> bytes;
    if (ReadStatementBytes(path, request, file, bytes)) {
        ReadStatementRows(
            path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
            request, platform, file);
    }
    return file;
}

} // namespace tamblero
