// The search field above the panes: what is typed filters the tree, Enter selects the
// first match, Escape clears the filter and closes the field.
#pragma once

#include <QLineEdit>

namespace tamblero {

class CFindField final : public QLineEdit {
    Q_OBJECT
public:
    explicit CFindField(QWidget* parent = nullptr);

signals:
    void escapePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tamblero
