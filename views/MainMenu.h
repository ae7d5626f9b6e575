// The main window's menu "Меню", its command bar and the keys of its own commands.
#pragma once

class QAction;

namespace tamblero {

class CMainFrame;
class CUndoStack;

// Makes the window's own actions and puts them, with the panes' and the document's, into the
// menu and on the command bar; once, while the window is built.
void CreateMainMenu(CMainFrame& frame);
// Undo and Redo are enabled only with something to undo or redo; the tooltip names the change.
void UpdateUndoActions(QAction& undo, QAction& redo, const CUndoStack& changes);

} // namespace tamblero
