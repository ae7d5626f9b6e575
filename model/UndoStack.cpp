#include "model/UndoStack.h"

#include "model/Account.h"

#include <utility>

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

namespace {

// Whether every balance the command moves stays in range, its moves taken `sign` times; the
// moves of one account summed, as the change makes them together.
bool BalancesFit(const IUndoCommand& command, int sign) {
    std::vector<IUndoCommand::BalanceMove> moves = command.BalanceMoves();
    for (std::size_t i = 0; i < moves.size(); ++i) {
        std::int64_t delta = moves[i].delta;
        for (std::size_t j = i + 1; j < moves.size(); ++j) {
            if (moves[j].account == moves[i].account) {
                delta += std::exchange(moves[j].delta, 0);
            }
        }
        if (moves[i].account != nullptr && !moves[i].account->FitsChangeBy(sign * delta)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool CUndoStack::Undo() {
    if (!CanUndo() || !BalancesFit(*m_commands[m_nDone - 1], -1)) {
        return false;
    }
    m_commands[--m_nDone]->Undo();
    return true;
}

bool CUndoStack::Redo() {
    if (!CanRedo() || !BalancesFit(*m_commands[m_nDone], 1)) {
        return false;
    }
    m_commands[m_nDone++]->Redo();
    return true;
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
