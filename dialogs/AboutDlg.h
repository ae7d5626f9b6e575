// Shows the program's icon and its file version from the embedded version record.
#pragma once

#include <QDialog>

namespace tamblero {

class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace tamblero
