#include "dialogs/DialogSupport.h"

#include "app/core/Platform.h"
#include "resources/StringTable.h"

#include <QAbstractItemView>
#include <QDateEdit>
#include <QDialog>
#include <QFontMetrics>
#include <QFormLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace tamblero {

QString Text(unsigned id) {
    return QStr(LoadString(id));
}

QDate ToQDate(DayNumber day) {
    const CalendarDate d = DateFromDayNumber(day);
    return QDate(d.year, d.month, d.day);
}

DayNumber ToDayNumber(const QDate& date) {
    return DayNumberFromDate(date.year(), date.month(), date.day());
}

void SetUpDatePicker(QDateEdit& picker) {
    picker.setCalendarPopup(true);
    picker.setDisplayFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
    picker.setDateRange(ToQDate(0), ToQDate(kLastValidDay));
}

void SetUpAmountField(QLineEdit& field) {
    field.setValidator(nullptr);
    field.setMaxLength(std::numeric_limits<int>::max());
}

QDialogButtonBox* AddButtons(QDialog& dialog, bool withCancel) {
    auto* box = new QDialogButtonBox(&dialog);
    box->addButton(QDialogButtonBox::Ok)->setText(Text(IDS_DLG_OK));
    if (withCancel) {
        box->addButton(QDialogButtonBox::Cancel)->setText(Text(IDS_DLG_CANCEL));
    }
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return box;
}

QFormLayout* AddFormWithButtons(QDialog& dialog) {
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(AddButtons(dialog, true));
    return form;
}

int TitleBarWidth(const QWidget& window) {
    QFont bold = window.font();
    bold.setBold(true); // as most title bars write it
    const int line = window.fontMetrics().height();
    // The icon and three buttons, each about two lines wide, and the margins.
    return QFontMetrics(bold).horizontalAdvance(window.windowTitle()) + 9 * line;
}

int SelectedRow(const QAbstractItemView& view) {
    const QModelIndexList selected = view.selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ShowRefusal(IPlatform& platform, const std::u16string& message) {
    platform.MessageBox(message, kCaptionError, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace tamblero
