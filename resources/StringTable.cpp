#include "resources/StringTable.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tamblero {

namespace {

struct Entry {
    unsigned id;
    const char16_t* text;
};

// Sorted by number.
constexpr std::array kTable{
    Entry{IDS_TEMPLATE,
          u"Tamblero\n\nTamblero\n\n\nTamblero.Document\nTamblero Document"},
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
    Entry{IDS_NOT_REFUNDED, u"Сумма не была возвращена на счет, так как счет отутствует"},
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
    Entry{IDS_DATA_FILE_IN_USE,
          u"Файл данных уже открыт другим экземпляром программы.\n"
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
    Entry{IDS_SAVE_AS_FILE_NAME, u"Имя файла:"},
    Entry{IDS_SAVE_AS_FILE_TYPE, u"Тип файлов:"},
    Entry{IDS_SAVE_AS_LOOK_IN, u"Папка:"},
    Entry{IDS_SAVE_AS_ACCEPT, u"Сохранить"},
    Entry{IDS_TARGET_IN_USE,
          u"Этот файл открыт другим экземпляром программы. Выберите другой файл."},
};

} // namespace

const std::u16string& LoadString(unsigned id) {
    static const auto strings = [] {
        std::array<std::pair<unsigned, std::u16string>, kTable.size()> out{};
        for (std::size_t i = 0; i < kTable.size(); ++i) {
            out[i] = {kTable[i].id, kTable[i].text};
        }
        return out;
    }();
    static const std::u16string empty;
    const auto it = std::lower_bound(strings.begin(), strings.end(), id,
                                     [](const auto& e, unsigned key) { return e.first < key; });
    return it != strings.end() && it->first == id ? it->second : empty;
}

} // namespace tamblero
