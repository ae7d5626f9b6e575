// Shows the program's icon, its file version from the embedded version record and the data
// file it works on.
#pragma once

#include <QDialog>

#include <filesystem>

namespace tamblero {

class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(const std::filesystem::path& dataPath, QWidget* parent = nullptr);
};

} // namespace tamblero
