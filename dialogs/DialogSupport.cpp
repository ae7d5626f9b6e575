#include "dialogs/DialogSupport.h"

#include "app/core/Platform.h"
#include "resources/StringTable.h"

#include <QDateEdit>
#include <QDialog>
#include <QLocale>
#include <QPushButton>

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

void ShowRefusal(IPlatform& platform, unsigned messageId) {
    platform.MessageBox(LoadString(messageId), kCaptionError, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace tamblero
