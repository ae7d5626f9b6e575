#include "resources/StringTable.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace tamblero {

namespace {

struct Entry {
    unsigned id;
    const char16_t* text;
};

// By subject; LoadString sorts them by number. An array, not std::array: deducing one of
// three hundred texts passes Clang's nesting limit.
constexpr Entry kTable[]{
    Entry{IDS_TEMPLATE, u"Tamblero\n\nTamblero\n\n\nTamblero.Document\nTamblero Document"},
    Entry{IDS_MENU, u"Меню"},
    Entry{IDS_ARTICLE, u"Статья"},
    Entry{IDS_AMOUNT, u"Сумма"},
    Entry{IDS_ACCOUNT, u"Счет"},
    Entry{IDS_ROOT_NAME, u"Все расходы"},
    Entry{IDS_DEFAULT_STRUCTURE,
          u"Общие{Постоянные{Еда,Транспорт{Автомобиль,Общественный}Связь{Мобильный тел.,"
          u"Интернет}}Крупные{Квартплата,Кредит}Дополнительные{Развлечения{Кино/театр,"
          u"Литература}Подарки,По дому}}Личные{Литература,Техника,Одежда}"},
    Entry{IDS_NEW_ACCOUNT, u"Новый счет"},
    Entry{IDS_NEGATIVE_BALANCE,
          u"После этой операции сумма на счету станет отрицательной.\n\rПродолжить?"},
    Entry{IDS_PICK_MOVE_TARGET, u"Выберите группу расходов, в которую хотите перенести"},
    Entry{IDS_PICK_MERGE_TARGET, u"Выберите статью расходов, с которой хотите объединить"},
    Entry{IDS_MERGE_NEEDS_ARTICLE, u"Пожалуйста, выберите статью расходов, а не группу"},
    Entry{IDS_CANNOT_MOVE_HERE, u"Сюда нельзя перенести"},
    Entry{IDS_DELETE_QUESTION, u"Вы действительно хотите удалить графу "},
    Entry{IDS_DELETE_QUESTION_END, u" и все ее записи?"},
    Entry{IDS_ALL_TIME, u"Все"},
    Entry{IDS_FIRST_RUN, u"Первый запуск программы.\n\rХотите создать базовую структуру расходов "
                         u"при помощи помощника?"},
    Entry{IDS_CASH, u"Наличные"},
    Entry{IDS_ENTER_CASH, u"В следующем окне Вы можете ввести сумму, имеющуюся у Вас в наличии."},
    Entry{IDS_NOT_REFUNDED, u"Сумма не была возвращена на счет, так как счет отсутствует"},
    Entry{IDS_DATA_FILE_DAMAGED,
          u"Файл данных поврежден или имеет неизвестный формат и не может быть прочитан.\n"
          u"Программа начнет работу с пустыми данными. Поврежденный файл не будет "
          u"перезаписан: при первом сохранении он будет сохранен под другим именем."},
    Entry{IDS_SAVE_FAILED, u"Не удалось сохранить данные. Изменения не сохранены."},
    Entry{IDS_SAVE_FAILED_AT_EXIT,
          u"Не удалось сохранить данные.\nВыйти из программы и потерять изменения?"},
    Entry{IDS_TOO_MANY_ACCOUNTS, u"Нельзя создать больше 255 счетов."},
    Entry{IDS_MERGE_INTO_ITSELF,
          u"Нельзя объединить статью расходов саму с собой. Выберите другую статью."},
    Entry{IDS_AMOUNT_TOO_LARGE, u"Сумма должна быть не больше 2147483647."},
    Entry{IDS_DATA_FILE_IN_USE, u"Файл данных уже открыт другим экземпляром программы.\n"
                                u"Закройте его и запустите программу снова."},
    Entry{IDS_AMOUNT_NOT_NUMBER, u"Введите целое число."},
    Entry{IDS_AMOUNT_OUT_OF_RANGE, u"Сумма должна быть от -2147483648 до 2147483647."},
    Entry{IDS_DLG_OK, u"OK"},
    Entry{IDS_DLG_CANCEL, u"Отмена"},
    Entry{IDS_NAME_TITLE, u"Введите название"},
    Entry{IDS_NAME_PROMPT, u"Пожалуйста, введите название:"},
    Entry{IDS_EXPENSE_TITLE, u"Внести расходы"},
    Entry{IDS_EXPENSE_DATE, u"Дата: "},
    Entry{IDS_EXPENSE_AMOUNT, u"Сумма: "},
    Entry{IDS_EXPENSE_ACCOUNT, u"Счет:"},
    Entry{IDS_ACCOUNTS_TITLE, u"Счета"},
    Entry{IDS_ACCOUNTS_TOTAL, u"Всего:"},
    Entry{IDS_DELETE_ACCOUNT, u"Удалить счет"},
    Entry{IDS_DEPOSIT_OR_TRANSFER, u"Внести / Перевести деньги"},
    Entry{IDS_TRANSFER_TITLE, u"Внести/Перевести"},
    Entry{IDS_TRANSFER_AMOUNT, u"Сумма:"},
    Entry{IDS_TRANSFER_FROM, u"Со счета:"},
    Entry{IDS_TRANSFER_TO, u"На счет:"},
    Entry{IDS_TRANSFER_DATE, u"Дата:"},
    Entry{IDS_HISTORY_TITLE, u"История"},
    Entry{IDS_UNDO_EXPENSE, u"Отменить расходы"},
    Entry{IDS_ABOUT_TITLE, u"О программе..."},
    Entry{IDS_ABOUT_VERSION, u"Tamblero версия:"},
    Entry{IDS_MENU_NEW_GROUP, u"Новая группа расходов"},
    Entry{IDS_MENU_NEW_ARTICLE, u"Новая статья расходов"},
    Entry{IDS_MENU_MERGE_WITH, u"Объединить с..."},
    Entry{IDS_MENU_MOVE_TO, u"Переместить в..."},
    Entry{IDS_MENU_HISTORY, u"История..."},
    Entry{IDS_MENU_ACCOUNTS, u"Счета..."},
    Entry{IDS_MENU_EXIT, u"Выход"},
    Entry{IDS_TIP_NEW_EXPENSE, u"Внести расходы"},
    Entry{IDS_TIP_GO_TODAY, u"Перейти к сегодняшнему дню"},
    Entry{IDS_TIP_CANCEL_PICK, u"Отменить объединение или перенос"},
    Entry{IDS_TIP_DELETE_NODE, u"Удалить"},
    Entry{IDS_TIP_ROTATE, u"Повернуть экран"},
    Entry{IDS_TIP_SAVE, u"Сохранить"},
    Entry{IDS_TIP_ABOUT, u"О программе"},
    Entry{IDS_BUTTON_YES, u"Да"},
    Entry{IDS_BUTTON_NO, u"Нет"},
    Entry{IDS_TIP_PERIOD_PREV, u"Предыдущий период"},
    Entry{IDS_TIP_PERIOD_NEXT, u"Следующий период"},
    Entry{IDS_TIP_PERIOD_ZOOM_OUT, u"Более крупный период"},
    Entry{IDS_MENU_IMPORT, u"Импорт..."},
    Entry{IDS_IMPORT_TITLE, u"Импорт расходов из CSV"},
    Entry{IDS_IMPORT_FILTER, u"Файлы CSV (*.csv);;Все файлы (*)"},
    Entry{IDS_IMPORT_SUMMARY,
          u"Из файла «%1» будут добавлены расходы: %2 на сумму %3, с %4 по %5.\n"
          u"Новых счетов: %6, новых групп: %7, новых статей: %8."},
    Entry{IDS_IMPORT_NEGATIVE, u"Счетов с отрицательным остатком после импорта: %1."},
    Entry{IDS_IMPORT_CONFIRM, u"Импортировать?"},
    Entry{IDS_IMPORT_CANNOT_READ, u"Не удалось прочитать файл «%1»."},
    Entry{IDS_IMPORT_NOTHING, u"В файле «%1» нет расходов для импорта."},
    Entry{IDS_IMPORT_REFUSED, u"Файл «%1» не импортирован, данные не изменены.\nСтрока %2: %3."},
    Entry{IDS_IMPORT_BAD_HEADER,
          u"первой должна быть строка заголовка date,category,amount,account,note,id "
          u"или она же без note, без id или без обоих"},
    Entry{IDS_IMPORT_BAD_QUOTES,
          u"кавычки поля не закрыты или после закрывающей кавычки есть текст"},
    Entry{IDS_IMPORT_BAD_COLUMNS, u"полей в строке не столько, сколько в заголовке, а %1"},
    Entry{IDS_IMPORT_BAD_DATE, u"дата «%1» не записана как ГГГГ-ММ-ДД или такого дня нет "
                               u"(допустимы дни с 1601-01-01 по 9999-12-31)"},
    Entry{IDS_IMPORT_BAD_AMOUNT, u"сумма «%1» не целое число от -2147483648 до 2147483647"},
    Entry{IDS_IMPORT_EMPTY_CATEGORY, u"не указана категория"},
    Entry{IDS_IMPORT_TOO_MANY_ACCOUNTS,
          u"счет «%1» стал бы 256-м, а счетов может быть не больше 255"},
    Entry{IDS_IMPORT_TOO_DEEP,
          u"группы категории вложены на %1 уровней, а в файле данных их может быть не больше %2"},
    Entry{IDS_MENU_UNDO, u"Отменить"},
    Entry{IDS_MENU_REDO, u"Повторить"},
    Entry{IDS_TIP_UNDO, u"Отменить: %1"},
    Entry{IDS_TIP_REDO, u"Повторить: %1"},
    Entry{IDS_CHANGE_NEW_GROUP, u"новая группа «%1»"},
    Entry{IDS_CHANGE_NEW_ARTICLE, u"новая статья «%1»"},
    Entry{IDS_CHANGE_RENAME, u"переименование «%1»"},
    Entry{IDS_CHANGE_DELETE, u"удаление «%1»"},
    Entry{IDS_CHANGE_MERGE, u"объединение «%1» с «%2»"},
    Entry{IDS_CHANGE_MOVE, u"перемещение «%1»"},
    Entry{IDS_CHANGE_EXPENSE, u"расход в статье «%1»"},
    Entry{IDS_CHANGE_UNDO_EXPENSE, u"отмена расхода в статье «%1»"},
    Entry{IDS_CHANGE_NEW_ACCOUNT, u"новый счет"},
    Entry{IDS_CHANGE_RENAME_ACCOUNT, u"переименование счета «%1»"},
    Entry{IDS_CHANGE_DELETE_ACCOUNT, u"удаление счета «%1»"},
    Entry{IDS_CHANGE_DEPOSIT, u"пополнение счета «%1»"},
    Entry{IDS_CHANGE_TRANSFER, u"перевод между счетами «%1» и «%2»"},
    Entry{IDS_CHANGE_UNDO_MOVEMENT, u"отмена: %1"},
    Entry{IDS_CHANGE_NOTE, u"примечание к расходу в статье «%1»"},
    Entry{IDS_GROUPS_TOO_DEEP, u"Группы расходов нельзя вкладывать друг в друга глубже %1 уровней: "
                               u"такой файл данных программа не смогла бы прочитать."},
    Entry{IDS_ACCOUNT_REFS_LOST,
          u"Файл данных может ссылаться только на первые 255 счетов. Записей расходов, "
          u"которые потеряли бы свой счет: %1.\n"
          u"Удаляйте счета (например, ненужные), пока ни одна запись не будет ссылаться "
          u"на счет дальше 255-го, и сохраните снова."},
    Entry{IDS_DATA_FILE_UNREADABLE,
          u"Не удалось открыть файл данных. Программа будет закрыта, файл не изменен.\n"
          u"Устраните причину и запустите программу снова."},
    Entry{IDS_NO_LOCK_POSSIBLE,
          u"Файл данных не удается заблокировать: вторая копия программы, запущенная с этим "
          u"же файлом, не будет остановлена, и ее сохранения могут затереть ваши.\nПапка:"},
    Entry{IDS_NO_BACKUP_KEPT,
          u"Данные сохранены, но резервная копия прежнего файла (.bak) не создана."},
    Entry{IDS_CHANGED_OUTSIDE,
          u"Файл данных изменен другой программой после того, как Tamblero его прочитал "
          u"или сохранил:"},
    Entry{IDS_CHANGED_OUTSIDE_CHOICE,
          u"Сохранить данные в другой файл, чтобы остались обе версии?\n\n"
          u"«Да» — выбрать другой файл.\n"
          u"«Нет» — перезаписать файл; версия другой программы останется в файле «.bak».\n"
          u"«Отмена» — пока не сохранять."},
    Entry{IDS_SAVE_ELSEWHERE_OFFER, u"Сохранить данные в другой файл?"},
    Entry{IDS_FOLDER_TAKES_NO_FILES,
          u"В папке файла данных нельзя создавать файлы, поэтому сохранить в ней изменения "
          u"не удастся:"},
    Entry{IDS_SAVE_GOES_ELSEWHERE, u"При сохранении программа предложит выбрать другой файл."},
    Entry{IDS_SAVE_AS_TITLE, u"Сохранить данные в файл"},
    Entry{IDS_SAVE_AS_FILTER, u"Файлы данных (*.dat);;Все файлы (*)"},
    Entry{IDS_TARGET_IN_USE,
          u"Этот файл открыт другим экземпляром программы. Выберите другой файл."},
    Entry{IDS_ENTRIES_TITLE, u"Расходы"},
    Entry{IDS_EXPENSE_NOTE, u"Примечание:"},
    Entry{IDS_ENTRIES_NOTE, u"Примечание"},
    Entry{IDS_MENU_FIND_EXPENSES, u"Найти расходы..."},
    Entry{IDS_FIND_EXPENSES_TITLE, u"Расходы"},
    Entry{IDS_FIND_EXPENSES_PLACEHOLDER, u"Текст или #метка примечания"},
    Entry{IDS_REGISTER_OPENING, u"Остаток на начало"},
    Entry{IDS_REGISTER_DEPOSIT, u"Пополнение"},
    Entry{IDS_REGISTER_TRANSFER_IN, u"Входящий перевод"},
    Entry{IDS_REGISTER_TRANSFER_OUT, u"Исходящий перевод"},
    Entry{IDS_REGISTER_EXPENSE, u"Расход"},
    Entry{IDS_ACCOUNT_REGISTER, u"Операции..."},
    Entry{IDS_REGISTER_TITLE, u"Операции: %1"},
    Entry{IDS_REGISTER_KIND, u"Операция"},
    Entry{IDS_REGISTER_OTHER, u"Счет / категория"},
    Entry{IDS_REGISTER_BALANCE, u"Остаток"},
    Entry{IDS_UNDO_REGISTER_ROW, u"Отменить операцию"},
    Entry{IDS_BALANCE_OF_ACCOUNT, u"%1: %2"},
    Entry{IDS_BALANCES_TOTAL, u"Итого: %1"},
    Entry{IDS_BALANCES_SEPARATOR, u" · "},
    Entry{IDS_ENTRIES_DATE, u"Дата"},
    Entry{IDS_ENTRIES_CATEGORY, u"Категория"},
    Entry{IDS_ENTRIES_TOTAL, u"Записей: %1, итого: %2"},
    Entry{IDS_ENTRIES_HEADING, u"%1 — %2"},
    Entry{IDS_ENTRIES_DAYS, u"с %1 по %2"},
    Entry{IDS_MENU_CHART, u"Диаграмма..."},
    Entry{IDS_MENU_FIND, u"Найти категорию"},
    Entry{IDS_CHART_TITLE, u"Диаграмма: %1"},
    Entry{IDS_CHART_OTHERS, u"Прочее"},
    Entry{IDS_CHART_SHARES, u"%1, %2: всего %3"},
    Entry{IDS_CHART_COLUMNS, u"По столбцам: %1"},
    Entry{IDS_CHART_COLUMN, u"Столбец:"},
    Entry{IDS_CHART_SAVE, u"Сохранить рисунок..."},
    Entry{IDS_CHART_SAVE_TITLE, u"Сохранить диаграмму в файл"},
    Entry{IDS_CHART_SAVE_FILTER, u"Рисунок PNG (*.png);;Рисунок SVG (*.svg)"},
    Entry{IDS_CHART_SAVE_FAILED, u"Не удалось сохранить рисунок в файл «%1»."},
    Entry{IDS_CHART_FILE_NAME, u"диаграмма"},
    Entry{IDS_FIND_PLACEHOLDER, u"Часть названия категории"},
    Entry{IDS_AUTOSAVE_FAILED,
          u"Не удалось автоматически сохранить изменения. Программа попробует снова; "
          u"чтобы сохранить их в другой файл, нажмите «Сохранить» (Ctrl+S)."},
    Entry{IDS_AUTOSAVE_CHANGED_OUTSIDE,
          u"Файл данных изменен другой программой, поэтому изменения не сохраняются "
          u"автоматически. Нажмите «Сохранить» (Ctrl+S), чтобы решить, как быть с файлом:"},
    // Why an import is refused: the file's encoding, accounts, sums and size.
    Entry{IDS_IMPORT_NOT_UTF8, u"файл не в кодировке UTF-8 (байт %1); перекодируйте его, "
                               u"например: iconv -f CP1251 -t UTF-8 in.csv > out.csv"},
    Entry{IDS_IMPORT_UNNAMEABLE_ACCOUNT,
          u"счет «%1» стоит в списке %2-м, а расход может относиться только к одному из "
          u"первых 255 счетов"},
    Entry{IDS_IMPORT_ACCOUNTS_OVERFULL,
          u"счет «%1» был бы новым, а в файле данных уже %2 счетов, больше 255, которые в нем "
          u"могут быть"},
    Entry{IDS_IMPORT_BALANCE_RANGE,
          u"остаток счета «%1» стал бы %2, а он может быть только от -2147483648 до 2147483647"},
    Entry{IDS_IMPORT_TOTAL_RANGE,
          u"сумма расходов файла дошла бы до %1, а она может быть только от -2147483648 до "
          u"2147483647"},
    Entry{IDS_IMPORT_TOO_LARGE, u"Файл «%1» не импортирован: он больше %2 байт (2 ГиБ), а "
                                u"импорт читает файлы не больше этого."},
    // Amounts refused as typed, and the About dialog's data file.
    Entry{IDS_AMOUNT_MISSING, u"Введите сумму: целое число единиц, например 250."},
    Entry{IDS_AMOUNT_FRACTION, u"«%1» — не целое число. Суммы записываются в целых единицах: "
                               u"без дробной части, точек и запятых."},
    Entry{IDS_AMOUNT_NOT_DIGITS, u"«%1» — не сумма. Суммы записываются в целых единицах, "
                                 u"одними цифрами от 0 до 9, например 250 или 1 250."},
    Entry{IDS_AMOUNT_SIGNED, u"«%1» — сумма расхода записывается без знака, в целых единицах, "
                             u"например 250."},
    Entry{IDS_AMOUNT_ABOVE_MAX, u"«%1» — слишком большая сумма. Суммы записываются в целых "
                                u"единицах, не больше 2147483647."},
    Entry{IDS_AMOUNT_BEYOND_RANGE, u"«%1» — сумма вне допустимых пределов. Суммы записываются "
                                   u"в целых единицах, от -2147483648 до 2147483647."},
    Entry{IDS_ABOUT_DATA_FILE, u"Файл данных:"},
    // The main window's title.
    Entry{IDS_WINDOW_TITLE, u"%1 — Tamblero"},
    // No home; why a file on disk could not be read or written (the system's reason follows).
    Entry{IDS_NO_HOME, u"Не удалось найти домашнюю папку, в которой хранится файл данных.\n\n"
                       u"Укажите путь к файлу данных при запуске программы, первым "
                       u"аргументом командной строки."},
    Entry{IDS_REASON_UNKNOWN, u"причина неизвестна"},
    Entry{IDS_REASON_CANNOT_OPEN, u"не удалось открыть файл"},
    Entry{IDS_REASON_CANNOT_EXAMINE, u"не удалось получить сведения о файле"},
    Entry{IDS_REASON_CANNOT_READ, u"не удалось прочитать файл"},
    Entry{IDS_REASON_A_FOLDER, u"это не обычный файл, а папка"},
    Entry{IDS_REASON_A_PIPE, u"это не обычный файл, а канал"},
    Entry{IDS_REASON_A_DEVICE, u"это не обычный файл, а устройство"},
    Entry{IDS_REASON_A_SOCKET, u"это не обычный файл, а сокет"},
    Entry{IDS_REASON_NOT_A_FILE, u"это не обычный файл"},
    Entry{IDS_REASON_TOO_LARGE, u"файл больше 2 ГиБ, а таких файлов данных не бывает"},
    Entry{IDS_REASON_NO_MEMORY, u"не хватает памяти, чтобы прочитать файл"},
    Entry{IDS_REASON_LINK_TO_NOTHING, u"это ссылка на %1, а до него не добраться"},
    Entry{IDS_REASON_TOO_MANY_LINKS, u"слишком много ссылок подряд"},
    Entry{IDS_REASON_CANNOT_FOLLOW_LINK, u"не удалось прочитать ссылку %1"},
    Entry{IDS_REASON_NO_TEMPORARY, u"не удалось создать временный файл"},
    Entry{IDS_REASON_CANNOT_WRITE, u"не удалось записать временный файл"},
    Entry{IDS_REASON_CANNOT_FLUSH, u"не удалось записать временный файл на диск"},
    Entry{IDS_REASON_CANNOT_CLOSE, u"не удалось закрыть временный файл"},
    Entry{IDS_REASON_CALLED_OFF, u"замена файла отменена"},
    Entry{IDS_REASON_CANNOT_REPLACE, u"не удалось заменить файл данных новым"},
    Entry{IDS_REASON_NO_BACKUP, u"не удалось создать резервную копию %1"},
    Entry{IDS_REASON_CHANGED_OUTSIDE, u"файл данных изменен другой программой"},
    Entry{IDS_REASON_CANNOT_SET_ASIDE, u"не удалось отложить поврежденный файл данных"},
    Entry{IDS_REASON_NO_TREE, u"нечего сохранять: дерево категорий не загружено"},
    Entry{IDS_REASON_CANNOT_OPEN_LOCK, u"не удалось открыть файл блокировки %1"},
    Entry{IDS_REASON_CANNOT_LOCK, u"не удалось заблокировать файл %1"},
    // Correcting a recorded expense, and the article an expense goes to.
    Entry{IDS_EDIT_EXPENSE, u"Изменить..."},
    Entry{IDS_CHANGE_EDIT_EXPENSE, u"изменение расхода в статье «%1»"},
    Entry{IDS_EXPENSE_TITLE_OF, u"Внести расходы — %1"},
    Entry{IDS_EXPENSE_ARTICLE, u"Статья:"},
    // The pending pick's hint in the status bar, the menu's own period commands.
    Entry{IDS_HINT_PICK_MERGE, u"Выберите статью, с которой объединить «%1». Esc — отмена"},
    Entry{IDS_HINT_PICK_MOVE, u"Выберите группу, в которую переместить «%1». Esc — отмена"},
    Entry{IDS_MENU_GO_TODAY, u"Сегодня"},
    Entry{IDS_MENU_PERIOD, u"Период"},
    Entry{IDS_MENU_PERIOD_ZOOM_IN, u"Более мелкий период"},
    Entry{IDS_BALANCE_OUT_OF_RANGE,
          u"Остаток счета «%1» не изменен на %2: он стал бы %3, а остаток может быть только от "
          u"-2147483648 до 2147483647."},
    Entry{IDS_REGISTER_FOOTER,
          u"Операций: %1   Пополнения: %2   Переводы: +%3 / \u2212%4   Расходы: %5"},
    // What merges brought in from other devices.
    Entry{IDS_SYNC_NOTE, u"Синхронизация: %1"},
    Entry{IDS_SYNC_NOTHING_NEW, u"нового нет"},
    Entry{IDS_SYNC_EXPENSES_1, u"+%1 расход"},
    Entry{IDS_SYNC_EXPENSES_2, u"+%1 расхода"},
    Entry{IDS_SYNC_EXPENSES_5, u"+%1 расходов"},
    Entry{IDS_SYNC_MOVEMENTS_1, u"+%1 перевод"},
    Entry{IDS_SYNC_MOVEMENTS_2, u"+%1 перевода"},
    Entry{IDS_SYNC_MOVEMENTS_5, u"+%1 переводов"},
    Entry{IDS_SYNC_ACCOUNTS_1, u"+%1 счёт"},
    Entry{IDS_SYNC_ACCOUNTS_2, u"+%1 счёта"},
    Entry{IDS_SYNC_ACCOUNTS_5, u"+%1 счетов"},
    Entry{IDS_SYNC_CATEGORIES_1, u"+%1 категория"},
    Entry{IDS_SYNC_CATEGORIES_2, u"+%1 категории"},
    Entry{IDS_SYNC_CATEGORIES_5, u"+%1 категорий"},
    Entry{IDS_SYNC_GONE, u"удалено: %1"},
    Entry{IDS_SYNC_CHANGED, u"изменено: %1"},
    Entry{IDS_SYNC_RESTORED, u"возвращено категорий: %1"},
    Entry{IDS_MENU_SYNC, u"Синхронизация..."},
    Entry{IDS_SYNC_TITLE, u"Синхронизация"},
    Entry{IDS_SYNC_FROM_FILE, u"%1 — новая версия файла данных"},
    Entry{IDS_SYNC_FROM_COPY, u"%1 — конфликтная копия «%2» (%3)"},
    Entry{IDS_SYNC_CONFLICT, u"Конфликт: %1: здесь «%2», в копии «%3»; оставлено «%4»"},
    Entry{IDS_SYNC_NONE_YET, u"С начала работы программы ничего не пришло с других устройств."},
    Entry{IDS_SYNC_COPY_REFUSED,
          u"Конфликтную копию «%1» нельзя объединить с данными: %2.\nОна оставлена на месте."},
    Entry{IDS_SYNC_WHY_UNREADABLE, u"её нельзя прочитать"},
    Entry{IDS_SYNC_WHY_NOT_DATA, u"это не файл данных Tamblero"},
    Entry{IDS_SYNC_WHY_LATER, u"её записала более новая версия Tamblero, обновите программу"},
    Entry{IDS_SYNC_WHY_DAMAGED, u"файл повреждён"},
    Entry{IDS_SYNC_WHY_TOO_LARGE, u"объединённые данные не поместятся в файл (%1)"},
    Entry{IDS_SYNC_NOT_MOVED,
          u"Конфликтная копия «%1» объединена с данными, но её не удалось убрать: %2"},
    // Open dialogs that follow a merge.
    Entry{IDS_ENTRIES_NODE_GONE,
          u"Эта статья или группа удалена при синхронизации с другим устройством. Окно "
          u"«Расходы» закрывается."},
    // Reading a bank's statement.
    Entry{IDS_STATEMENT_NOT_TEXT,
          u"Строка %1: в ней нулевой байт — это не текст. Похоже, это не выписка банка или файл "
          u"повреждён."},
    Entry{IDS_STATEMENT_TOO_LARGE,
          u"Файл выписки слишком велик: %2 байт, а выписка может занимать не больше 64 МБ."},
    Entry{IDS_STATEMENT_BAD_DATE, u"Строка %1: не удалось прочитать дату «%2»."},
    Entry{IDS_STATEMENT_BAD_AMOUNT, u"Строка %1: не удалось прочитать сумму «%2»."},
    Entry{IDS_STATEMENT_AMOUNT_RANGE,
          u"Строка %1: сумма %2 слишком велика: в целых единицах она может быть не больше "
          u"2147483647."},
    Entry{IDS_STATEMENT_NOT_QIF,
          u"Строка %1: это не файл QIF: он должен начинаться с «!Type:», а начинается с «%2»."},
    Entry{IDS_STATEMENT_QIF_NO_BANK,
          u"В файле QIF нет ни одного раздела счёта (!Type:Bank, !Type:Cash или !Type:CCard)."},
    Entry{IDS_STATEMENT_QIF_NO_DATE, u"Строка %1: у операции нет даты (строки «D»)."},
    Entry{IDS_STATEMENT_QIF_NO_AMOUNT, u"Строка %1: у операции нет суммы (строки «T»)."},
    Entry{IDS_STATEMENT_QIF_BAD_LINE, u"Строка %1: непонятная строка «%2»."},
    Entry{IDS_STATEMENT_BAD_QUOTES,
          u"Строка %1: кавычка, открытая здесь, не закрыта до конца файла."},
    Entry{IDS_STATEMENT_NO_COLUMN, u"Строка %1: в ней нет столбца %2."},
    Entry{IDS_STATEMENT_MAPPING_FITS_NONE,
          u"Ни одна строка выписки не подходит к указанным столбцам: в строках не больше %2 "
          u"столбцов. Проверьте разделитель и номера столбцов."},
    Entry{IDS_STATEMENT_BAD_MAPPING,
          u"Столбцы указаны неверно: нужны дата, описание и сумма (или приход и расход), каждое "
          u"в своём столбце."},
    Entry{IDS_STATEMENT_NO_AMOUNT, u"Строка %1: нет суммы: столбцы прихода и расхода пусты."},
    Entry{IDS_STATEMENT_EMPTY, u"В выписке нет ни одной операции."},
    Entry{IDS_STATEMENT_TOO_MANY_ROWS,
          u"Строка %1: в выписке больше 500000 операций — столько за один раз не загрузить. "
          u"Разделите выписку на части."},
    Entry{IDS_STATEMENT_TOO_MANY_COLUMNS,
          u"Строка %1: в ней больше 1000 столбцов — это не похоже на выписку. Проверьте "
          u"разделитель."},
    Entry{IDS_STATEMENT_NO_DATES,
          u"Ни в одной строке выписки нет даты в столбце %2. Проверьте номер столбца даты и "
          u"разделитель."},
    Entry{IDS_STATEMENT_TOO_MANY_VALUES,
          u"Строка %1: в выписке больше 4000000 значений — столько за один раз не загрузить. "
          u"Разделите выписку на части."},
    // More windows that follow a merge, and the commands begun in them.
    Entry{IDS_REGISTER_ACCOUNT_GONE,
          u"Этот счет удален при синхронизации с другим устройством. Окно «Операции» "
          u"закрывается."},
    Entry{IDS_TRANSFER_ACCOUNT_GONE,
          u"При синхронизации с другим устройством удален счет «%1». Выберите другой счет."},
    Entry{IDS_EXPENSE_ARTICLE_GONE,
          u"Эта статья удалена при синхронизации с другим устройством. Расход не внесен."},
    Entry{IDS_NEW_NODE_PARENT_GONE,
          u"Группа, в которую добавлялась статья или группа, удалена при синхронизации с "
          u"другим устройством. Ничего не добавлено."},
    // The import of a bank's statement.
    Entry{IDS_CHANGE_IMPORT_STATEMENT, u"импорт выписки в счет «%1»"},
    // The import rules' changes.
    Entry{IDS_CHANGE_NEW_RULE, u"новое правило «%1»"},
    Entry{IDS_CHANGE_EDIT_RULE, u"изменение правила «%1»"},
    Entry{IDS_CHANGE_MOVE_RULE, u"перемещение правила «%1»"},
    Entry{IDS_CHANGE_DELETE_RULE, u"удаление правила «%1»"},
    Entry{IDS_SYNC_IMPORT_MEMORY, u"правила импорта изменены"},
    // An OFX statement read by the helper program tamblero-ofx.
    Entry{IDS_OFX_REFUSED, u"Не удалось прочитать выписку OFX: %2."},
    Entry{IDS_OFX_REFUSED_AT, u"Не удалось прочитать выписку OFX: строка %1: %2."},
    Entry{IDS_OFX_CRASHED,
          u"Не удалось прочитать выписку OFX: программа чтения tamblero-ofx аварийно "
          u"завершилась. Похоже, файл повреждён; выгрузите выписку из банка ещё раз или в QIF."},
    Entry{IDS_OFX_TIMED_OUT,
          u"Не удалось прочитать выписку OFX: программа чтения tamblero-ofx не закончила за "
          u"отведённое время и остановлена."},
    Entry{IDS_OFX_TOO_MUCH,
          u"Не удалось прочитать выписку OFX: программа чтения tamblero-ofx выдала слишком "
          u"много данных и остановлена."},
    Entry{IDS_OFX_NO_HELPER,
          u"Не удалось прочитать выписку OFX: нет программы чтения %2 (программа собрана без "
          u"libofx). Выгрузите выписку из банка в CSV или QIF."},
    Entry{IDS_OFX_NOT_STARTED,
          u"Не удалось прочитать выписку OFX: не удалось запустить программу чтения "
          u"tamblero-ofx: %2."},
    Entry{IDS_OFX_BAD_OUTPUT,
          u"Не удалось прочитать выписку OFX: программа чтения tamblero-ofx ответила "
          u"непонятно (%2)."},
    Entry{IDS_STATEMENT_OFX_NOT_YET,
          u"Выписки OFX и QFX пока не загружаются. Выгрузите выписку из банка в CSV или QIF."},
    // The window's import of a bank's statement and its preview.
    Entry{IDS_MENU_IMPORT_STATEMENT, u"Импорт выписки..."},
    Entry{IDS_STATEMENT_TITLE, u"Импорт выписки"},
    Entry{IDS_STATEMENT_FILE_FILTER, u"Выписки банка (*.qif *.csv *.ofx *.qfx);;Все файлы (*)"},
    Entry{IDS_STATEMENT_ACCOUNT, u"Счет:"},
    Entry{IDS_STATEMENT_COL_DATE, u"Дата"},
    Entry{IDS_STATEMENT_COL_DESCRIPTION, u"Описание банка"},
    Entry{IDS_STATEMENT_COL_AMOUNT, u"Сумма"},
    Entry{IDS_STATEMENT_COL_ARTICLE, u"Статья"},
    Entry{IDS_STATEMENT_COL_MARK, u"Отметка"},
    Entry{IDS_STATEMENT_DUPLICATE, u"уже есть"},
    Entry{IDS_STATEMENT_DEPOSIT, u"поступление на счет"},
    Entry{IDS_STATEMENT_ROUNDS_TO_ZERO, u"меньше единицы"},
    Entry{IDS_STATEMENT_REST_TO, u"Все без статьи в:"},
    Entry{IDS_STATEMENT_NO_ARTICLE,
          u"Без статьи: %1. Выберите им статью, иначе импорт невозможен."},
    Entry{IDS_STATEMENT_TOTALS,
          u"По выписке: %1, после округления: %2. Добавить: %3, пропустить: %4."},
    Entry{IDS_STATEMENT_REMEMBER, u"Запомнить правило: «%1» → %2"},
    Entry{IDS_STATEMENT_IMPORT, u"Импортировать"},
    Entry{IDS_STATEMENT_ENCODING, u"Кодировка:"},
    Entry{IDS_STATEMENT_ENCODINGS, u"UTF-8|UTF-8 с BOM|CP1251"},
    Entry{IDS_STATEMENT_DELIMITER, u"Разделитель:"},
    Entry{IDS_STATEMENT_DELIMITERS, u"запятая|точка с запятой|табуляция"},
    Entry{IDS_STATEMENT_DECIMAL, u"Дробная часть после:"},
    Entry{IDS_STATEMENT_DECIMALS, u"запятой|точки"},
    Entry{IDS_STATEMENT_DATE_FORM, u"Даты:"},
    Entry{IDS_STATEMENT_DATE_FORMS, u"дд.мм.гггг|гггг-мм-дд|мм/дд/гггг|дд/мм/гггг"},
    Entry{IDS_STATEMENT_MAP_DATE, u"Дата:"},
    Entry{IDS_STATEMENT_MAP_AMOUNT, u"Сумма:"},
    Entry{IDS_STATEMENT_MAP_DEBIT, u"Списание:"},
    Entry{IDS_STATEMENT_MAP_CREDIT, u"Зачисление:"},
    Entry{IDS_STATEMENT_MAP_DESCRIPTION, u"Описание:"},
    Entry{IDS_STATEMENT_MAP_ID, u"Номер операции:"},
    Entry{IDS_STATEMENT_COLUMN_NONE, u"нет"},
    Entry{IDS_STATEMENT_COLUMN, u"столбец %1"},
    Entry{IDS_STATEMENT_REFUSED, u"Выписка «%1» не прочитана.\n\n%2"},
    Entry{IDS_STATEMENT_UNNAMEABLE, u"Выписка не импортирована: счет «%1» дальше 255-го, а расход "
                                    u"может назвать только первые 255 счетов."},
    Entry{IDS_STATEMENT_NO_ACCOUNTS,
          u"Выписка вносится в счет, а счетов пока нет. Заведите счет в окне «Счета»."},
    Entry{IDS_STATEMENT_ACCOUNT_GONE,
          u"Счет «%1» удален при синхронизации с другим устройством. Выберите другой счет."},
    Entry{IDS_STATEMENT_DATE_GUESSED,
          u"Даты читаются и с переставленными днем и месяцем: проверьте."},
    Entry{IDS_STATEMENT_CSV, u"Как прочитан CSV"},
    // The window of the import rules and its form for one rule.
    Entry{IDS_MENU_RULES, u"Правила..."},
    Entry{IDS_RULES_TITLE, u"Правила импорта"},
    Entry{IDS_RULES_COL_WORDS, u"Слова"},
    Entry{IDS_RULES_COL_ARTICLE, u"Статья"},
    Entry{IDS_RULES_COL_RANGE, u"Сумма"},
    Entry{IDS_RULES_ARTICLE_GONE, u"(статья удалена)"},
    Entry{IDS_RULES_FROM, u"от %1"},
    Entry{IDS_RULES_TO, u"до %1"},
    Entry{IDS_RULES_BETWEEN, u"%1–%2"},
    Entry{IDS_RULES_EDIT, u"Изменить..."},
    Entry{IDS_RULES_UP, u"Выше"},
    Entry{IDS_RULES_DOWN, u"Ниже"},
    Entry{IDS_RULES_DELETE, u"Удалить"},
    Entry{IDS_RULE_TITLE, u"Правило"},
    Entry{IDS_RULE_WORDS, u"Слова описания:"},
    Entry{IDS_RULE_ARTICLE, u"Статья:"},
    Entry{IDS_RULE_LEAST, u"Сумма от:"},
    Entry{IDS_RULE_MOST, u"Сумма до:"},
    // The statement's preview while the helper reads an OFX statement.
    Entry{IDS_STATEMENT_READING, u"Чтение выписки «%1»…"},
    // The grid's last column: each row's total over the whole period.
    Entry{IDS_PERIOD_TOTAL, u"Итого"},
    // A CSV statement read as the last one of its account.
    Entry{IDS_STATEMENT_CSV_REMEMBERED,
          u"Столбцы и настройки взяты из прошлого импорта CSV в счет «%1»."},
    Entry{IDS_STATEMENT_CSV_MISFIT, u"Столбцы прошлого импорта CSV в счет «%1» не подходят к "
                                    u"этому файлу: они подобраны заново, проверьте."},
    // Budgets: their changes, dialog, grid and status bar.
    Entry{IDS_CHANGE_SET_BUDGET, u"бюджет «%1»"},
    Entry{IDS_CHANGE_REMOVE_BUDGET, u"удаление бюджета «%1»"},
    Entry{IDS_BUDGET_COMMAND, u"Бюджет..."},
    Entry{IDS_BUDGET_TIP, u"Бюджет %1 · потрачено %2 · осталось %3"},
    Entry{IDS_BUDGET_TITLE, u"Бюджет: %1"},
    Entry{IDS_BUDGET_SAME, u"Одна сумма каждый месяц"},
    Entry{IDS_BUDGET_PER_MONTH, u"Своя сумма на каждый месяц года"},
    Entry{IDS_BUDGET_AMOUNT, u"Сумма в месяц:"},
    Entry{IDS_BUDGET_FROM, u"Начиная с:"},
    Entry{IDS_BUDGET_YEAR, u"Год:"},
    Entry{IDS_BUDGET_CARRY, u"Переносить остаток на следующий месяц"},
    Entry{IDS_BUDGET_REMOVE, u"Удалить бюджет"},
    Entry{IDS_BUDGET_STATUS, u"«%1»: в этом месяце осталось %2"},
    Entry{IDS_BUDGET_NONE, u"нет"},
    Entry{IDS_SYNC_BUDGETS, u"бюджеты изменены"},
    Entry{IDS_SYNC_SCHEDULES, u"регулярные расходы изменены"},
    Entry{IDS_BUDGET_JANUARY, u"Январь"},
    Entry{IDS_BUDGET_JANUARY + 1, u"Февраль"},
    Entry{IDS_BUDGET_JANUARY + 2, u"Март"},
    Entry{IDS_BUDGET_JANUARY + 3, u"Апрель"},
    Entry{IDS_BUDGET_JANUARY + 4, u"Май"},
    Entry{IDS_BUDGET_JANUARY + 5, u"Июнь"},
    Entry{IDS_BUDGET_JANUARY + 6, u"Июль"},
    Entry{IDS_BUDGET_JANUARY + 7, u"Август"},
    Entry{IDS_BUDGET_JANUARY + 8, u"Сентябрь"},
    Entry{IDS_BUDGET_JANUARY + 9, u"Октябрь"},
    Entry{IDS_BUDGET_JANUARY + 10, u"Ноябрь"},
    Entry{IDS_BUDGET_JANUARY + 11, u"Декабрь"},
    // The tree's context menu.
    Entry{IDS_TREE_RENAME, u"Переименовать"},

    // Scheduled expenses.
    Entry{IDS_CHANGE_RECORD_OCCURRENCE, u"регулярный расход «%1»"},
    Entry{IDS_CHANGE_SKIP_OCCURRENCES, u"пропуск регулярных расходов"},
    Entry{IDS_CHANGE_NEW_SCHEDULE, u"новый регулярный расход «%1»"},
    Entry{IDS_CHANGE_EDIT_SCHEDULE, u"изменение регулярного расхода «%1»"},
    Entry{IDS_CHANGE_DELETE_SCHEDULE, u"удаление регулярного расхода «%1»"},
    Entry{IDS_SCHEDULES_MENU, u"Регулярные расходы..."},
    Entry{IDS_SCHEDULES_TITLE, u"Регулярные расходы"},
    Entry{IDS_SCHEDULES_ADD, u"Добавить..."},
    Entry{IDS_SCHEDULES_EDIT, u"Изменить..."},
    Entry{IDS_SCHEDULES_DELETE, u"Удалить"},
    Entry{IDS_SCHEDULES_COL_ARTICLE, u"Статья"},
    Entry{IDS_SCHEDULES_COL_AMOUNT, u"Сумма"},
    Entry{IDS_SCHEDULES_COL_REPEAT, u"Повтор"},
    Entry{IDS_SCHEDULES_COL_NEXT, u"Следующий"},
    Entry{IDS_SCHEDULES_COL_MODE, u"Режим"},
    Entry{IDS_SCHEDULE_TITLE, u"Регулярный расход"},
    Entry{IDS_SCHEDULE_ARTICLE, u"Статья:"},
    Entry{IDS_SCHEDULE_AMOUNT, u"Сумма:"},
    Entry{IDS_SCHEDULE_ACCOUNT, u"Счет:"},
    Entry{IDS_SCHEDULE_NOTE, u"Примечание:"},
    Entry{IDS_SCHEDULE_FIRST, u"Первый день:"},
    Entry{IDS_SCHEDULE_REPEAT, u"Повторять:"},
    Entry{IDS_SCHEDULE_EVERY, u"Каждые:"},
    Entry{IDS_SCHEDULE_WEEKEND, u"В выходной:"},
    Entry{IDS_SCHEDULE_END, u"Окончание:"},
    Entry{IDS_SCHEDULE_MODE, u"Режим:"},
    Entry{IDS_SCHEDULE_NO_ACCOUNT, u"(без счета)"},
    Entry{IDS_REPEAT_DAYS, u"дни"},
    Entry{IDS_REPEAT_WEEKS, u"недели"},
    Entry{IDS_REPEAT_MONTHS, u"месяцы"},
    Entry{IDS_REPEAT_YEARS, u"годы"},
    Entry{IDS_REPEAT_LAST_DAY, u"последний день месяца"},
    Entry{IDS_WEEKEND_KEEP, u"оставить день"},
    Entry{IDS_WEEKEND_FRIDAY, u"перенести на пятницу перед ним"},
    Entry{IDS_WEEKEND_MONDAY, u"перенести на понедельник после"},
    Entry{IDS_END_NEVER, u"без окончания"},
    Entry{IDS_END_ON_DAY, u"до даты"},
    Entry{IDS_END_AFTER_COUNT, u"после числа раз"},
    Entry{IDS_MODE_REMIND, u"напомнить"},
    Entry{IDS_MODE_RECORD, u"записывать сам"},
    Entry{IDS_REPEAT_EVERY_N, u"%1, каждые %2"},
    Entry{IDS_DUE_TITLE, u"Регулярные расходы к записи"},
    Entry{IDS_DUE_INTRO,
          u"Подошли дни регулярных расходов. Отмеченные можно записать или пропустить:"},
    Entry{IDS_DUE_RECORD_ALL, u"Записать все"},
    Entry{IDS_DUE_RECORD_CHOSEN, u"Записать отмеченные"},
    Entry{IDS_DUE_SKIP, u"Пропустить отмеченные"},
    Entry{IDS_DUE_LATER, u"Позже"},
    Entry{IDS_DUE_COL_DAY, u"День"},
    Entry{IDS_AUTO_RECORDED, u"Записаны регулярные расходы: %1"},
    Entry{IDS_SCHEDULE_TIMES, u" раз"},
    Entry{IDS_SCHEDULE_NO_NEXT, u"—"},
    Entry{IDS_SCHEDULE_BAD_AMOUNT, u"Сумма регулярного расхода — целое число больше нуля."},
};

constexpr bool NumbersAreUnique() {
    std::array<unsigned, std::size(kTable)> ids{};
    for (std::size_t i = 0; i < std::size(kTable); ++i) {
        ids[i] = kTable[i].id;
    }
    std::sort(ids.begin(), ids.end());
    return std::adjacent_find(ids.begin(), ids.end()) == ids.end();
}
static_assert(NumbersAreUnique(), "two texts share one number");

} // namespace

const std::u16string& LoadString(unsigned id) {
    // Sorted here, so the table may list its texts in any order.
    static const auto strings = [] {
        std::array<std::pair<unsigned, std::u16string>, std::size(kTable)> out{};
        for (std::size_t i = 0; i < std::size(kTable); ++i) {
            out[i] = {kTable[i].id, kTable[i].text};
        }
        std::sort(out.begin(), out.end());
        return out;
    }();
    static const std::u16string empty;
    const auto it = std::lower_bound(strings.begin(), strings.end(), id,
                                     [](const auto& e, unsigned key) { return e.first < key; });
    return it != strings.end() && it->first == id ? it->second : empty;
}

std::u16string FormatString(unsigned id, std::initializer_list<std::u16string_view> args) {
    std::u16string text = LoadString(id);
    char16_t n = u'1';
    for (const std::u16string_view arg : args) {
        const std::u16string mark{u'%', n++};
        for (std::size_t at = text.find(mark); at != std::u16string::npos;
             at = text.find(mark, at + arg.size())) {
            text.replace(at, mark.size(), arg);
        }
    }
    return text;
}

} // namespace tamblero
