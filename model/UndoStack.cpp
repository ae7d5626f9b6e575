#include "model/UndoStack.h"

namespace tamblero {

void CUndoStack::Push(std::unique_ptr<IUndoCommand> command) {
    // Destroyed newest first: an older undone change may own what a newer one points at.
    while (m_commands.size() > m_nDone) {
        m_commands.pop_back();
    }
    if (m_clean && *m_clean > m_nDone) {
        m_clean.reset();
    }
    m_commands.push_back(std::move(command));
    ++m_nDone;
    Changed();
}

void CUndoStack::Undo() {
    if (!CanUndo()) {
        return;
    }
    m_commands[--m_nDone]->Undo();
    Changed();
}

void CUndoStack::Redo() {
    if (!CanRedo()) {
        return;
    }
    m_commands[m_nDone++]->Redo();
    Changed();
}

std::u16string CUndoStack::UndoText() const {
    return CanUndo() ? m_commands[m_nDone - 1]->Text() : std::u16string();
}

std::u16string CUndoStack::RedoText() const {
    return CanRedo() ? m_commands[m_nDone]->Text() : std::u16string();
}

void CUndoStack::SetClean() {
    m_clean = m_nDone;
}

void CUndoStack::Clear(bool clean) {
    while (!m_commands.empty()) {
        m_commands.pop_back();
    }
    m_nDone = 0;
    m_clean = clean ? std::optional<std::size_t>(0) : std::nullopt;
    Changed();
}

void CUndoStack::Changed() const {
    if (m_observer) {
        m_observer();
    }
}

} // namespace tamblero
