#include "app/cli/AccountRegister.h"

#include "app/cli/TextFormat.h"
#include "app/core/Register.h"
#include "app/platform/Utf.h"
#include "model/Account.h"
#include "storage/VerdalonDoc.h"

#include <vector>

namespace tamblero::cli {

int AccountNamed(std::ostream& err, const CVerdalonDoc& doc, const std::string& name) {
    const std::u16string wanted = Utf16FromUtf8(name);
    const CAccountList& accounts = doc.Accounts();
    std::vector<int> named;
    for (int i = 0; i < accounts.GetCount(); ++i) {
        if (accounts.GetAt(i)->m_strName == wanted) {
            named.push_back(i);
        }
    }
    if (named.empty()) {
        err << "tamblero-cli: no account '" << name << "' in the data file\n";
        return -1;
    }
    if (named.size() > 1) {
        // Only the window can tell them apart: by renaming one.
        err << "tamblero-cli: " << named.size() << " accounts are named '" << name << "' (indexes";
        for (std::size_t i = 0; i < named.size(); ++i) {
            err << (i == 0 ? " " : ", ") << named[i];
        }
        err << " in the list of the accounts command); rename one in the window to tell them "
               "apart\n";
        return -1;
    }
    return named.front();
}

bool WriteRegister(std::ostream& out, std::ostream& err, const CVerdalonDoc& doc,
                   const std::string& name) {
    const int index = AccountNamed(err, doc, name);
    if (index < 0) {
        return false;
    }
    const CAccountList& accounts = doc.Accounts();
    const CRegister reg(doc, *accounts.GetAt(index));
    const std::string header[] = {"date", "kind", "other", "amount", "note", "balance"};
    WriteCsvRow(out, header);
    CExportPaths categories;
    for (const RegisterRow& row : reg.Rows()) {
        const bool undated = row.kind == RegisterKind::Opening && reg.RecordedCount() == 0;
        const std::string fields[] = {undated ? std::string() : IsoDate(row.day),
                                      Utf8FromUtf16(RegisterKindText(row.kind)),
                                      row.kind == RegisterKind::Expense
                                          ? categories.Of(*row.article)
                                          : Utf8FromUtf16(RegisterOther(doc, row)),
                                      std::to_string(row.amount),
                                      Utf8FromUtf16(RegisterNote(doc, row)),
                                      std::to_string(row.balance)};
        WriteCsvRow(out, fields);
    }
    return true;
}

} // namespace tamblero::cli
