// Asks for the name of a new group or article.
#pragma once

#include <QDialog>

class QLineEdit;

namespace tamblero {

class CNameDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CNameDlg(QWidget* parent = nullptr);

    void setName(const QString& name);
    [[nodiscard]] QString name() const { return m_name; }

public slots:
    // The name is taken exactly as typed; an empty one counts as cancelling.
    void accept() override;

private:
    QLineEdit* m_edit;
    QString m_name;
};

} // namespace tamblero
