#include "views/FindField.h"

#include "dialogs/QtStrings.h"
#include "resources/StringTable.h"

#include <QKeyEvent>

namespace tamblero {

CFindField::CFindField(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("find"));
    setPlaceholderText(QText(IDS_FIND_PLACEHOLDER));
    setClearButtonEnabled(true);
}

void CFindField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit escapePressed();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace tamblero
