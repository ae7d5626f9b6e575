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
    command->Redo();
    m_commands.push_back(std::move(command));
    ++m_nDone;
}

void CUndoStack::Undo() {
    if (CanUndo()) {
        m_commands[--m_nDone]->Undo();
    }
}

void CUndoStack::Redo() {
    if (CanRedo()) {
        m_commands[m_nDone++]->Redo();
    }
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
}

} // namespace tamblero
