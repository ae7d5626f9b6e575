// tamblero-ofx FILE: reads one OFX or QFX statement through libofx and writes its operations to
// standard output, one line each, for the program that runs it as a child (bankimport's
// OfxStatement): libofx has crashed on malformed files, and a crash here loses nothing.
//
// Every line is fields joined by tabs (tabs and line ends inside a value become blanks):
//   T <yyyy-mm-dd> <amount in hundredths> <FITID> <name> <memo>   one operation
//   E <line or 0> <what libofx said>                               the file was refused
//   END <operations written>                                      the last line of a success
// Exit status 0 with END, 1 after E, 2 for a wrong call.
#include <libofx/libofx.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

struct Output {
    std::FILE* out = nullptr;
    long count = 0;
    bool badAmount = false;
};

std::string Field(const char* text) {
    std::string field(text);
    for (char& c : field) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return field;
}

// The day as the bank meant it: libofx gives a day without a time as its local midday, and
// a time with its zone as the moment, which the local calendar names.
std::string Day(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return text;
}

int OnTransaction(const OfxTransactionData data, void* user) {
    Output& output = *static_cast<Output*>(user);
    if (!data.amount_valid || !data.date_posted_valid) {
        return 0; // not an operation of the account (a security's price, a position)
    }
    const double hundredths = std::round(data.amount * 100.0);
    // Past 15 digits a double no longer holds every hundredth.
    if (!(std::fabs(hundredths) < 1e15)) {
        output.badAmount = true;
        return 0;
    }
    std::fprintf(output.out, "T\t%s\t%lld\t%s\t%s\t%s\n", Day(data.date_posted).c_str(),
                 static_cast<long long>(hundredths),
                 data.fi_id_valid ? Field(data.fi_id).c_str() : "",
                 data.name_valid ? Field(data.name).c_str() : "",
                 data.memo_valid ? Field(data.memo).c_str() : "");
    ++output.count;
    return 0;
}

// The first error libofx wrote among its messages: the SGML parser's own words where it gave
// them ("end tag for "STMTTRN" omitted"), and the line they name in the text libofx parsed.
void FirstError(std::FILE* messages, long& line, std::string& text) {
    std::rewind(messages);
    char buffer[4096];
    bool parserWords = false;
    while (std::fgets(buffer, sizeof buffer, messages) != nullptr) {
        std::string message = Field(buffer);
        while (!message.empty() && message.back() == ' ') {
            message.pop_back();
        }
        const std::size_t words = message.find(":E: ");
        const std::size_t at = message.find("on Line ");
        if (text.empty() && message.find("ERROR") != std::string::npos) {
            text = message;
        } else if (!parserWords && words != std::string::npos) {
            text = message.substr(words + 4);
            parserWords = true;
        } else if (!text.empty() && line == 0 && at != std::string::npos) {
            line = std::strtol(message.c_str() + at + 8, nullptr, 10);
            if (parserWords) {
                return;
            }
        }
    }
}

// libofx parses the text from its <OFX> element on, the header left out: the lines before it.
long LinesBeforeBody(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return 0;
    }
    long lines = 0;
    long bodyLines = -1;
    std::string recent;
    for (int c = std::fgetc(file); c != EOF && bodyLines < 0; c = std::fgetc(file)) {
        recent.push_back(static_cast<char>(c));
        if (recent.size() > 5) {
            recent.erase(0, 1);
        }
        if (recent == "<OFX>") {
            bodyLines = lines;
        }
        lines += c == '\n' ? 1 : 0;
    }
    std::fclose(file);
    return bodyLines < 0 ? 0 : bodyLines;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: tamblero-ofx FILE\n", stderr);
        return 2;
    }
    // Our lines go to the standard output alone: libofx talks on both of its own, so its
    // standard output joins the error output and its messages go to a file read afterwards.
    const int ownOut = dup(STDOUT_FILENO);
    std::FILE* messages = std::tmpfile();
    if (ownOut < 0 || messages == nullptr) {
        std::fputs("tamblero-ofx: no file descriptor left\n", stderr);
        return 2;
    }
    const int ownErr = dup(STDERR_FILENO);
    dup2(fileno(messages), STDOUT_FILENO);
    dup2(fileno(messages), STDERR_FILENO);
    Output output{fdopen(ownOut, "w")};

    ofx_PARSER_msg = false;
    ofx_DEBUG_msg = false;
    ofx_STATUS_msg = false;
    ofx_INFO_msg = false;
    ofx_WARNING_msg = false;
    ofx_ERROR_msg = true;
    ofx_show_position = true;
    LibofxContextPtr context = libofx_get_new_context();
    ofx_set_transaction_cb(context, OnTransaction, &output);
    const int status = libofx_proc_file(context, argv[1], AUTODETECT);
    libofx_free_context(context);
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(ownErr, STDERR_FILENO);

    long line = 0;
    std::string error;
    FirstError(messages, line, error);
    if (line > 0) {
        line += LinesBeforeBody(argv[1]);
    }
    if (error.empty() && output.badAmount) {
        error = "an amount beyond 15 digits";
    }
    if (error.empty() && status != 0) {
        error = "libofx could not read the file";
    }
    if (!error.empty()) {
        std::fprintf(output.out, "E\t%ld\t%s\n", line, error.c_str());
        std::fclose(output.out);
        return 1;
    }
    std::fprintf(output.out, "END\t%ld\n", output.count);
    return std::fclose(output.out) == 0 ? 0 : 1;
}
