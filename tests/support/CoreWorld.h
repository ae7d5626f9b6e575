// A frame, a document and two recording panes wired together as the program wires them.
#pragma once

#include "app/core/MainFrameCore.h"
#include "storage/DataFile.h"
#include "storage/VerdalonDoc.h"
#include "tests/support/ScriptedPlatform.h"

#include <vector>

namespace tamblero::test {

// Counts the refreshes it is sent.
class CRecordingView final : public CDocView {
public:
    void OnUpdate(CDocView* sender, int hint) override { m_updates.push_back({sender, hint}); }

    struct Update {
        CDocView* sender;
        int hint;
    };
    std::vector<Update> m_updates;
};

// A frame on 11 September 2008 with an empty document whose root is "Все расходы"
// (the first-run offer declined) and no messages left over.
template <class Frame = CMainFrameCore> class CBasicWorld {
public:
    // Where no data file is, and none can be made.
    static constexpr const char* kNoFile = "/nonexistent/QZData.dat";

    CBasicWorld() {
        m_frame.SetDocument(&m_doc);
        m_frame.m_pTreeView = &m_treeView;
        m_doc.AddView(&m_treeView);
        m_doc.AddView(&m_listView);
        m_doc.OnNewDocument(kNoFile);
        m_platform.m_messages.clear();
    }
    CBasicWorld(const CBasicWorld&) = delete;
    CBasicWorld& operator=(const CBasicWorld&) = delete;

    [[nodiscard]] CExpenseGroup& Root() { return *m_doc.GetRoot(); }
    // Clears what the views and the platform recorded so far.
    void Forget() {
        m_treeView.m_updates.clear();
        m_listView.m_updates.clear();
        m_platform.m_messages.clear();
    }

    CScriptedPlatform m_platform;
    Frame m_frame{m_platform};
    CVerdalonDoc m_doc{m_platform};
    CRecordingView m_treeView;
    CRecordingView m_listView;
};

using CCoreWorld = CBasicWorld<>;

// The document's file without its identities: all the user sees, which an undo restores byte
// for byte. An undo is a change of its own to the stamps, so those differ.
inline std::vector<std::uint8_t> UserBytes(const CVerdalonDoc& doc) {
    return WriteDataFile(doc.Accounts(), *doc.GetRoot(), doc.Notes(), doc.Movements().Items());
}

} // namespace tamblero::test
