#include "views/FindField.h"

#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"

#include <QKeyEvent>

namespace tamblero {

CFindField::CFindField(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("find"));
    setPlaceholderText(QText(IDS_FIND_PLACEHOLDER));
    setClearButtonEnabled(true);
    hide();
}

void CFindField::Open() {
    show();
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

void CFindField::Close() {
    clear();
    hide();
    emit closed();
}

void CFindField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Close();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace tamblero
