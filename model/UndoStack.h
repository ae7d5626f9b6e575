// The changes of a run, in the order they were made, to be taken back and made again.
// The document owns one; the changes themselves are in app/core/DocumentChanges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tamblero {

class CAccount;

// One change, built from what it is to do and made by its Redo: the first time when it is
// pushed, then again after every Undo. Undo and Redo alternate, each on the document exactly
// as the other left it; Redo captures whatever Undo needs.
class IUndoCommand {
public:
    virtual ~IUndoCommand() = default;
    IUndoCommand(const IUndoCommand&) = delete;
    IUndoCommand& operator=(const IUndoCommand&) = delete;
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    // The change as the tooltips name it, e.g. "удаление «Еда»".
    [[nodiscard]] const std::u16string& Text() const { return m_text; }

    // A balance the change moves: Redo adds delta to it, Undo takes delta off.
    struct BalanceMove {
        const CAccount* account;
        std::int64_t delta;
    };
    // Every balance the change moves, as it stands; none by default. A command that moves
    // money names it here, so that the stack refuses an undo or a redo that would take a
    // balance out of its range (balances may have moved around the stack meanwhile).
    [[nodiscard]] virtual std::vector<BalanceMove> BalanceMoves() const { return {}; }

protected:
    explicit IUndoCommand(std::u16string text) : m_text(std::move(text)) {}

private:
    std::u16string m_text;
};

class CUndoStack final {
public:
    // Makes the change (its Redo) and records it; the changes undone before it cannot be
    // redone any more.
    void Push(std::unique_ptr<IUndoCommand> command);
    [[nodiscard]] bool CanUndo() const { return m_nDone > 0; }
    [[nodiscard]] bool CanRedo() const { return m_nDone < m_commands.size(); }
    // Take back or make again the next change; false, changing nothing and leaving the stack
    // where it stands, where there is none or it would take a balance out of its range (the
    // user is told which, through CAccount::FitsChangeBy).
    bool Undo();
    bool Redo();
    // What Undo and Redo would take back or make again; empty when there is nothing.
    [[nodiscard]] std::u16string UndoText() const;
    [[nodiscard]] std::u16string RedoText() const;
    [[nodiscard]] std::size_t DoneCount() const { return m_nDone; }

    // The document is on disk as it stands now.
    void SetClean();
    // Whether the document is as it was at the last save (or at the start, if it was saved).
    [[nodiscard]] bool IsClean() const { return m_clean == m_nDone; }
    // Forgets every change; the document as it stands is saved or not.
    void Clear(bool clean);

private:
    std::vector<std::unique_ptr<IUndoCommand>> m_commands;
    std::size_t m_nDone = 0; // commands [0, m_nDone) are in effect
    // How many commands were in effect at the last save; none when no state reached by
    // undoing or redoing is the saved one.
    std::optional<std::size_t> m_clean = 0;
};

} // namespace tamblero
