#include "dialogs/DialogSupport.h"

#include "app/core/Platform.h"
#include "resources/StringTable.h"

#include <QAbstractItemView>
#include <QDateEdit>
#include <QDialog>
#include <QFormLayout>
#include <QItemSelectionModel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

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
    // The widget's locale is the window's (start-up makes it Qt's default), not the system's:
    // under C that one would write the month in English.
    picker.setDisplayFormat(picker.locale().dateFormat(QLocale::ShortFormat));
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

QFormLayout* AddFormWithButtons(QDialog& dialog) {
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(AddButtons(dialog, true));
    return form;
}

int SelectedRow(const QAbstractItemView& view) {
    const QModelIndexList selected = view.selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ShowRefusal(IPlatform& platform, unsigned messageId) {
    platform.MessageBox(LoadString(messageId), kCaptionError, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace tamblero
