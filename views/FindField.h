// The search field above the panes: what is typed filters the tree, Enter selects the
// first match, Escape clears the filter and closes the field.
#pragma once

#include <QLineEdit>

namespace tamblero {

class CFindField final : public QLineEdit {
    Q_OBJECT
public:
    // Hidden until opened.
    explicit CFindField(QWidget* parent = nullptr);

    // Ctrl+F: shows the field and puts the cursor in it, the text there selected.
    void Open();
    // As Escape does: clears the field and closes it.
    void Close();

signals:
    // Escape cleared the field and closed it: the keyboard goes back to the panes.
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tamblero
