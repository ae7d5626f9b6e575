#include "dialogs/DialogSupport.h"

#include "app/core/EntryListing.h"
#include "app/platform/Platform.h"
#include "model/Account.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QDialog>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace tamblero {

QDate ToQDate(DayNumber day) {
    const CalendarDate d = DateFromDayNumber(day);
    return QDate(d.year, d.month, d.day);
}

DayNumber ToDayNumber(const QDate& date) {
    return DayNumberFromDate(date.year(), date.month(), date.day());
}

namespace {

// Qt places a date picker's calendar by a point below the picker, which need not lie on any
// screen, and never makes it smaller than it would be: this keeps it within the free area of
// the picker's screen, squeezed where that is smaller.
class CCalendarFit final : public QObject {
public:
    explicit CCalendarFit(QDateEdit& picker) : QObject(&picker), m_picker(picker) {
        picker.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The calendar is made at the first press that opens it, just before it shows.
        if (watched == &m_picker && m_popup == nullptr &&
            (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress)) {
            if (QCalendarWidget* calendar = m_picker.calendarWidget()) {
                m_popup = calendar->window();
                m_popup->installEventFilter(this);
            }
        } else if (watched == m_popup && event->type() == QEvent::Show) {
            Fit();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Fit() const {
        const QScreen* screen =
            QGuiApplication::screenAt(m_picker.mapToGlobal(m_picker.rect().center()));
        if (screen == nullptr) {
            screen = m_picker.screen();
        }
        if (screen == nullptr) {
            return;
        }
        const QRect area = screen->availableGeometry();
        QRect place = m_popup->geometry();
        if (place.width() > area.width() || place.height() > area.height()) {
            m_popup->setMinimumSize(0, 0);
            if (QLayout* layout = m_popup->layout()) {
                layout->setSizeConstraint(QLayout::SetNoConstraint);
            }
            place.setSize(place.size().boundedTo(area.size()));
        }
        place.moveLeft(std::clamp(place.left(), area.left(), area.right() + 1 - place.width()));
        place.moveTop(std::clamp(place.top(), area.top(), area.bottom() + 1 - place.height()));
        m_popup->setGeometry(place);
    }

    QDateEdit& m_picker;
    QWidget* m_popup = nullptr;
};

} // namespace

void SetUpDatePicker(QDateEdit& picker) {
    picker.setCalendarPopup(true);
    // The widget's locale is the window's (start-up makes it Qt's default), not the system's:
    // under C that one would write the month in English.
    picker.setDisplayFormat(picker.locale().dateFormat(QLocale::ShortFormat));
    picker.setDateRange(ToQDate(0), ToQDate(kLastValidDay));
    new CCalendarFit(picker);
}

void SetUpAmountField(QLineEdit& field) {
    field.setValidator(nullptr);
    field.setMaxLength(std::numeric_limits<int>::max());
}

void FindByAnyPart(QComboBox& box) {
    box.setEditable(true);
    box.setInsertPolicy(QComboBox::NoInsert);
    box.completer()->setFilterMode(Qt::MatchContains);
    box.completer()->setCaseSensitivity(Qt::CaseInsensitive);
    box.completer()->setCompletionMode(QCompleter::PopupCompletion);
}

std::vector<ItemId> FillArticles(QComboBox& box, const CExpenseGroup& root) {
    FindByAnyPart(box);
    std::vector<ItemId> ids;
    root.ForEachArticleBelow([&](const CExpenseArticle& article) {
        ids.push_back(article.m_nId);
        box.addItem(QStr(CategoryPath(article)));
    });
    return ids;
}

void SelectAgain(QTableView& table, int found, int fallbackRow) {
    int row = found;
    const int rows = table.model()->rowCount();
    if (row < 0 && fallbackRow >= 0 && rows > 0) {
        row = std::min(fallbackRow, rows - 1);
    }
    if (row >= 0) {
        table.selectRow(row);
    }
}

void AddKeys(QWidget& widget, const QList<QKeySequence>& keys, const std::function<void()>& run) {
    auto* action = new QAction(&widget);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    widget.addAction(action);
    QObject::connect(action, &QAction::triggered, &widget, run);
}

void AddUndoKeys(QDialog& dialog, const std::function<void(bool undo)>& step) {
    for (const bool undo : {true, false}) {
        auto* action = new QAction(&dialog);
        action->setShortcut(undo ? QKeySequence::Undo : QKeySequence::Redo);
        action->setShortcutContext(Qt::WindowShortcut);
        dialog.addAction(action);
        QObject::connect(action, &QAction::triggered, &dialog, [step, undo] { step(undo); });
    }
}

QPushButton* ListButton(unsigned id, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(QText(id), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QDialogButtonBox* AddButtons(QDialog& dialog, bool withCancel) {
    auto* box = new QDialogButtonBox(&dialog);
    box->addButton(QDialogButtonBox::Ok)->setText(QText(IDS_DLG_OK));
    if (withCancel) {
        box->addButton(QDialogButtonBox::Cancel)->setText(QText(IDS_DLG_CANCEL));
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

QSize SizeShowingTable(const QDialog& dialog, const QTableView& table, int fewest, int most) {
    const int rows =
        std::clamp(table.model() != nullptr ? table.model()->rowCount() : 0, fewest, most);
    const QHeaderView& header = *table.horizontalHeader();
    const QAbstractItemView& view = table; // where the measure of a column is public
    int width = 2 * table.frameWidth() + table.verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < header.count(); ++c) {
        width += std::max(view.sizeHintForColumn(c), header.sectionSizeHint(c));
    }
    const int height = 2 * table.frameWidth() + header.sizeHint().height() +
                       rows * table.verticalHeader()->defaultSectionSize();
    // The table stands in a column of the dialog's layout, between its margins.
    const QSize hint = dialog.sizeHint();
    const QMargins margins =
        dialog.layout() != nullptr ? dialog.layout()->contentsMargins() : QMargins();
    width =
        std::max({width + margins.left() + margins.right(), hint.width(), TitleBarWidth(dialog)});
    return QSize(width, hint.height() + std::max(0, height - table.sizeHint().height()));
}

void RestoreSize(QDialog& dialog, QSettings* settings, const QString& name, QSize natural) {
    const QString key = QStringLiteral("dialogs/") + name + QStringLiteral("/size");
    QSize size = natural;
    if (settings != nullptr) {
        const QSize saved = settings->value(key).toSize();
        if (saved.isValid()) {
            size = saved;
        }
    }
    const QWidget* parent = dialog.parentWidget();
    const QScreen* screen = parent != nullptr ? parent->screen() : dialog.screen();
    if (screen != nullptr) {
        // The frame around it takes a little more than the client area.
        const int frame = dialog.fontMetrics().height() * 2;
        size = size.boundedTo(screen->availableSize() - QSize(frame / 2, frame));
    }
    size = size.expandedTo(dialog.minimumSizeHint());
    dialog.resize(size);
    if (settings == nullptr) {
        return;
    }
    // Only a size the user gave it is kept: one it opened at is worked out anew next time.
    QObject::connect(&dialog, &QDialog::finished, settings,
                     [&dialog, settings, key, opened = dialog.size()] {
                         if (dialog.size() != opened) {
                             settings->setValue(key, dialog.size());
                         }
                     });
}

void OpenRowsByF2AndDoubleClick(QAbstractItemView& list, const std::function<void()>& open) {
    auto* edit = new QAction(&list);
    edit->setShortcut(Qt::Key_F2);
    edit->setShortcutContext(Qt::WidgetShortcut);
    list.addAction(edit);
    QObject::connect(edit, &QAction::triggered, &list, open);
    QObject::connect(&list, &QAbstractItemView::doubleClicked, &list, open);
}

void SetUpLongList(QTableView& view, QAbstractItemModel& model) {
    // Each change of the header visits every row: set while there are none yet.
    QHeaderView* rows = view.verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view.fontMetrics().height() + 6);
    view.setModel(&model);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setShowGrid(false);
    view.setWordWrap(false);
    view.setTabKeyNavigation(false);
    view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QHeaderView* columns = view.horizontalHeader();
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setSectionsClickable(false);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(true);
    // Widths from the first rows only: the rest are alike, and measuring them all would cost
    // more than showing them.
    columns->setResizeContentsPrecision(100);
    view.resizeColumnsToContents();
}

int LongListWidth(const QTableView& view, const QLayout& layout) {
    int width = 2 * view.frameWidth() + view.verticalScrollBar()->sizeHint().width() +
                layout.contentsMargins().left() + layout.contentsMargins().right();
    const QHeaderView& header = *view.horizontalHeader();
    for (int c = 0; c < header.count(); ++c) {
        // A last column that stretches takes the header's default width where it finds no room
        // to stretch, however narrow its content.
        const bool stretched = header.stretchLastSection() && c == header.count() - 1;
        width += stretched ? std::max(view.columnWidth(c), header.defaultSectionSize())
                           : view.columnWidth(c);
    }
    return width;
}

int SelectedRow(const QAbstractItemView& view) {
    const QModelIndexList selected = view.selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ShowRefusal(IPlatform& platform, const std::u16string& message) {
    platform.MessageBox(message, kCaptionError, MsgButtons::Ok, MsgIcon::Exclamation);
}

std::optional<QString> FillAccounts(QComboBox& box, const CAccountList& accounts) {
    const QVariant chosen = box.currentData();
    const QString chosenName = box.currentText();
    const QSignalBlocker quiet(&box);
    box.clear();
    for (int i = 0; i < accounts.GetNameableCount(); ++i) {
        const CAccount& account = *accounts.GetAt(i);
        box.addItem(QStr(account.m_strName), QVariant::fromValue(quint64{account.m_nId}));
    }
    if (!chosen.isValid()) {
        box.setCurrentIndex(box.count() > 0 ? 0 : -1);
        return std::nullopt;
    }
    box.setCurrentIndex(box.findData(chosen));
    return box.currentIndex() < 0 ? std::optional<QString>(chosenName) : std::nullopt;
}

} // namespace tamblero
