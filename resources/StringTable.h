// The program's user-visible texts, addressed by number.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tamblero {

enum StringId : unsigned {
    IDS_TEMPLATE = 128,
    IDS_MENU = 32785,
    IDS_ARTICLE = 65009,   // "Статья"
    IDS_AMOUNT = 65010,    // "Сумма"
    IDS_ACCOUNT = 65011,   // "Счет"
    IDS_ROOT_NAME = 65012, // "Все расходы"
    IDS_DEFAULT_STRUCTURE = 65013,
    IDS_NEW_ACCOUNT = 65014, // "Новый счет"
    IDS_NEGATIVE_BALANCE = 65015,
    IDS_PICK_MOVE_TARGET = 65017,
    IDS_PICK_MERGE_TARGET = 65018,
    IDS_MERGE_NEEDS_ARTICLE = 65019,
    IDS_CANNOT_MOVE_HERE = 65020,
    IDS_DELETE_QUESTION = 65021,
    IDS_DELETE_QUESTION_END = 65022,
    IDS_ALL_TIME = 65023, // "Все"
    IDS_FIRST_RUN = 65024,
    IDS_CASH = 65026, // "Наличные"
    IDS_ENTER_CASH = 65027,
    IDS_NOT_REFUNDED = 65030,
    // Texts of this program beyond the original table.
    IDS_DATA_FILE_DAMAGED = 65100,
    IDS_SAVE_FAILED = 65101,
    IDS_SAVE_FAILED_AT_EXIT = 65102,
    IDS_TOO_MANY_ACCOUNTS = 65103,
    IDS_MERGE_INTO_ITSELF = 65104,
    IDS_AMOUNT_TOO_LARGE = 65105,
    IDS_DATA_FILE_IN_USE = 65106,
    IDS_AMOUNT_NOT_NUMBER = 65107,
    IDS_AMOUNT_OUT_OF_RANGE = 65108,
    IDS_DLG_OK = 65109,
    IDS_DLG_CANCEL = 65110,
    IDS_NAME_TITLE = 65111,
    IDS_NAME_PROMPT = 65112,
    IDS_EXPENSE_TITLE = 65113,
    IDS_EXPENSE_DATE = 65114,
    IDS_EXPENSE_AMOUNT = 65115,
    IDS_EXPENSE_ACCOUNT = 65116,
    IDS_ACCOUNTS_TITLE = 65117,
    IDS_ACCOUNTS_TOTAL = 65118,
    IDS_DELETE_ACCOUNT = 65119,
    IDS_DEPOSIT_OR_TRANSFER = 65120,
    IDS_TRANSFER_TITLE = 65121,
    IDS_TRANSFER_AMOUNT = 65122,
    IDS_TRANSFER_FROM = 65123,
    IDS_TRANSFER_TO = 65124,
    IDS_HISTORY_TITLE = 65125,
    IDS_UNDO_EXPENSE = 65126,
    IDS_ABOUT_TITLE = 65127,
    IDS_ABOUT_VERSION = 65128,
    IDS_MENU_NEW_GROUP = 65129,
    IDS_MENU_NEW_ARTICLE = 65130,
    IDS_MENU_MERGE_WITH = 65131,
    IDS_MENU_MOVE_TO = 65132,
    IDS_MENU_HISTORY = 65133,
    IDS_MENU_ACCOUNTS = 65134,
    IDS_MENU_EXIT = 65135,
    IDS_TIP_NEW_EXPENSE = 65136,
    IDS_TIP_GO_TODAY = 65137,
    IDS_TIP_CANCEL_PICK = 65138,
    IDS_TIP_DELETE_NODE = 65139,
    IDS_TIP_ROTATE = 65140,
    IDS_TIP_SAVE = 65141,
    IDS_TIP_ABOUT = 65142,
    IDS_BUTTON_YES = 65143,
    IDS_BUTTON_NO = 65144,
    IDS_TIP_PERIOD_PREV = 65145,
    IDS_TIP_PERIOD_NEXT = 65146,
    IDS_TIP_PERIOD_ZOOM_OUT = 65147,
    // Importing expenses from CSV.
    IDS_MENU_IMPORT = 65280,
    IDS_IMPORT_TITLE = 65281,
    IDS_IMPORT_FILTER = 65282,
    IDS_IMPORT_SUMMARY = 65283,
    IDS_IMPORT_NEGATIVE = 65284,
    IDS_IMPORT_CONFIRM = 65285,
    IDS_IMPORT_CANNOT_READ = 65286,
    IDS_IMPORT_NOTHING = 65287,
    IDS_IMPORT_REFUSED = 65288,
    IDS_IMPORT_BAD_HEADER = 65289,
    IDS_IMPORT_BAD_QUOTES = 65290,
    IDS_IMPORT_BAD_COLUMNS = 65291,
    IDS_IMPORT_BAD_DATE = 65292,
    IDS_IMPORT_BAD_AMOUNT = 65293,
    IDS_IMPORT_EMPTY_CATEGORY = 65294,
    IDS_IMPORT_TOO_MANY_ACCOUNTS = 65295,
    IDS_IMPORT_TOO_DEEP = 65296,
    // Undo and redo: the commands, their tooltips and the changes they name (%1, %2: names).
    IDS_MENU_UNDO = 65300,
    IDS_MENU_REDO = 65301,
    IDS_TIP_UNDO = 65302, // %1: the change
    IDS_TIP_REDO = 65303, // %1: the change
    IDS_CHANGE_NEW_GROUP = 65304,
    IDS_CHANGE_NEW_ARTICLE = 65305,
    IDS_CHANGE_RENAME = 65306,
    IDS_CHANGE_DELETE = 65307,
    IDS_CHANGE_MERGE = 65308,
    IDS_CHANGE_MOVE = 65309,
    IDS_CHANGE_EXPENSE = 65310,
    IDS_CHANGE_UNDO_EXPENSE = 65311,
    IDS_CHANGE_NEW_ACCOUNT = 65312,
    IDS_CHANGE_RENAME_ACCOUNT = 65313,
    IDS_CHANGE_DELETE_ACCOUNT = 65314,
    IDS_CHANGE_DEPOSIT = 65315,
    IDS_CHANGE_TRANSFER = 65316,
    IDS_CHANGE_NOTE = 65317,
    IDS_CHANGE_UNDO_MOVEMENT = 65318, // %1: the movement's own words
    IDS_GROUPS_TOO_DEEP = 65200,      // %1: the deepest level
    IDS_ACCOUNT_REFS_LOST = 65201,    // %1: how many entries
    IDS_DATA_FILE_UNREADABLE = 65220, // followed by the file and the system's reason
    IDS_NO_LOCK_POSSIBLE = 65221,     // followed by the folder
    IDS_NO_BACKUP_KEPT = 65222,       // followed by the reason
    // Saving: a data file changed from outside, a folder that takes no files, saving elsewhere.
    IDS_CHANGED_OUTSIDE = 65240,
    IDS_CHANGED_OUTSIDE_CHOICE = 65241,
    IDS_SAVE_ELSEWHERE_OFFER = 65242,
    IDS_FOLDER_TAKES_NO_FILES = 65243,
    IDS_SAVE_GOES_ELSEWHERE = 65244,
    IDS_SAVE_AS_TITLE = 65245,
    IDS_SAVE_AS_FILTER = 65246,
    IDS_TARGET_IN_USE = 65251,
    // The entries behind a cell of the grid.
    IDS_ENTRIES_TITLE = 65360,
    IDS_ENTRIES_DATE = 65361,
    IDS_ENTRIES_CATEGORY = 65362,
    IDS_ENTRIES_TOTAL = 65363,   // %1: how many entries, %2: their sum
    IDS_ENTRIES_HEADING = 65364, // %1: the category, %2: the days
    IDS_ENTRIES_DAYS = 65365,    // %1, %2: the first and the last day
    // The chart window and finding a category.
    IDS_MENU_CHART = 65380,
    IDS_MENU_FIND = 65381,
    IDS_CHART_TITLE = 65382,   // %1: the group
    IDS_CHART_OTHERS = 65383,  // "Прочее"
    IDS_CHART_SHARES = 65384,  // %1: the group, %2: the column, %3: the total
    IDS_CHART_COLUMNS = 65385, // %1: the period
    IDS_CHART_COLUMN = 65386,
    IDS_CHART_SAVE = 65387,
    IDS_CHART_SAVE_TITLE = 65388,
    IDS_CHART_SAVE_FILTER = 65389,
    IDS_CHART_SAVE_FAILED = 65390, // %1: the file
    IDS_CHART_FILE_NAME = 65391,
    IDS_FIND_PLACEHOLDER = 65392,
    // Saving by itself after a pause.
    IDS_AUTOSAVE_FAILED = 65320,          // followed by the reason
    IDS_AUTOSAVE_CHANGED_OUTSIDE = 65321, // followed by the path
    // Why an import is refused: the file's encoding, accounts, sums and size.
    IDS_IMPORT_NOT_UTF8 = 65400,           // %1: the first bad byte
    IDS_IMPORT_UNNAMEABLE_ACCOUNT = 65401, // %1: the account, %2: its place
    IDS_IMPORT_ACCOUNTS_OVERFULL = 65402,  // %1: the account, %2: the accounts held
    IDS_IMPORT_BALANCE_RANGE = 65403,      // %1: the account, %2: the balance
    IDS_IMPORT_TOTAL_RANGE = 65404,        // %1: the total
    IDS_IMPORT_TOO_LARGE = 65405,          // %1: the file, %2: the limit in bytes
    // Amounts refused as typed, and the About dialog's data file.
    IDS_AMOUNT_MISSING = 65460,
    IDS_AMOUNT_FRACTION = 65461,     // %1: what was typed
    IDS_AMOUNT_NOT_DIGITS = 65462,   // %1: what was typed
    IDS_AMOUNT_SIGNED = 65463,       // %1: what was typed
    IDS_AMOUNT_ABOVE_MAX = 65464,    // %1: what was typed
    IDS_AMOUNT_BEYOND_RANGE = 65465, // %1: what was typed
    IDS_ABOUT_DATA_FILE = 65466,
    // The main window's title.
    IDS_WINDOW_TITLE = 65500, // %1: the data file's name
    // Notes on expenses and finding expenses by them.
    IDS_EXPENSE_NOTE = 65520,
    IDS_ENTRIES_NOTE = 65521,
    IDS_MENU_FIND_EXPENSES = 65522,
    IDS_FIND_EXPENSES_TITLE = 65523,
    IDS_FIND_EXPENSES_PLACEHOLDER = 65524,
    // An account's register, 65525 .. 65559.
    IDS_REGISTER_OPENING = 65525,
    IDS_REGISTER_DEPOSIT = 65526,
    IDS_REGISTER_TRANSFER_IN = 65527,
    IDS_REGISTER_TRANSFER_OUT = 65528,
    IDS_REGISTER_EXPENSE = 65529,
    IDS_TRANSFER_DATE = 65530,
    IDS_ACCOUNT_REGISTER = 65531, // the accounts dialog's button
    IDS_REGISTER_TITLE = 65532,   // %1: the account
    IDS_REGISTER_KIND = 65533,
    IDS_REGISTER_OTHER = 65534,
    IDS_REGISTER_BALANCE = 65535,
    IDS_UNDO_REGISTER_ROW = 65537,
    // Every account's balance in the main window's status bar.
    IDS_BALANCE_OF_ACCOUNT = 65538, // %1: the account, %2: its balance
    IDS_BALANCES_TOTAL = 65539,     // %1: the total
    IDS_BALANCES_SEPARATOR = 65540,
    // No home to keep the data file in; why a file on disk could not be read or written.
    IDS_NO_HOME = 65420,
    IDS_REASON_UNKNOWN = 65421,
    IDS_REASON_CANNOT_OPEN = 65422,
    IDS_REASON_CANNOT_EXAMINE = 65423,
    IDS_REASON_CANNOT_READ = 65424,
    IDS_REASON_A_FOLDER = 65425,
    IDS_REASON_A_PIPE = 65426,
    IDS_REASON_A_DEVICE = 65427,
    IDS_REASON_A_SOCKET = 65428,
    IDS_REASON_NOT_A_FILE = 65429,
    IDS_REASON_TOO_LARGE = 65430,
    IDS_REASON_NO_MEMORY = 65431,
    IDS_REASON_LINK_TO_NOTHING = 65432, // %1: the link's target
    IDS_REASON_TOO_MANY_LINKS = 65433,
    IDS_REASON_CANNOT_FOLLOW_LINK = 65434, // %1: the link
    IDS_REASON_NO_TEMPORARY = 65435,
    IDS_REASON_CANNOT_WRITE = 65436,
    IDS_REASON_CANNOT_FLUSH = 65437,
    IDS_REASON_CANNOT_CLOSE = 65438,
    IDS_REASON_CALLED_OFF = 65439,
    IDS_REASON_CANNOT_REPLACE = 65440,
    IDS_REASON_NO_BACKUP = 65441, // %1: the backup
    IDS_REASON_CHANGED_OUTSIDE = 65442,
    IDS_REASON_CANNOT_SET_ASIDE = 65443,
    IDS_REASON_NO_TREE = 65444,
    IDS_REASON_CANNOT_OPEN_LOCK = 65445, // %1: the lock file
    IDS_REASON_CANNOT_LOCK = 65446,      // %1: the lock file
    // Correcting a recorded expense, and the article an expense goes to.
    IDS_EDIT_EXPENSE = 65640,
    IDS_CHANGE_EDIT_EXPENSE = 65641, // %1: the article
    IDS_EXPENSE_TITLE_OF = 65642,    // %1: the article
    IDS_EXPENSE_ARTICLE = 65643,
    // The pending pick's hint in the status bar, the menu's own period commands.
    IDS_HINT_PICK_MERGE = 65600, // %1: the article to merge
    IDS_HINT_PICK_MOVE = 65601,  // %1: the node to move
    IDS_MENU_GO_TODAY = 65602,
    IDS_MENU_PERIOD = 65603,
    IDS_MENU_PERIOD_ZOOM_IN = 65604,
    // A balance kept within its range, and the register's footer by kind, 65620 .. 65639.
    IDS_BALANCE_OUT_OF_RANGE = 65620, // %1: the account, %2: the change, %3: the balance it made
    IDS_REGISTER_FOOTER = 65621, // %1: rows, %2: deposits, %3/%4: transfers in/out, %5: expenses
    // What merges brought in from other devices: the status note, the window, the copies refused.
    IDS_SYNC_NOTE = 65660,         // %1: what came in
    IDS_SYNC_NOTHING_NEW = 65661,  //
    IDS_SYNC_EXPENSES_1 = 65662,   // %1: a count that takes the form of one
    IDS_SYNC_EXPENSES_2 = 65663,   // ... of two to four
    IDS_SYNC_EXPENSES_5 = 65664,   // ... of five and more
    IDS_SYNC_MOVEMENTS_1 = 65665,  //
    IDS_SYNC_MOVEMENTS_2 = 65666,  //
    IDS_SYNC_MOVEMENTS_5 = 65667,  //
    IDS_SYNC_ACCOUNTS_1 = 65668,   //
    IDS_SYNC_ACCOUNTS_2 = 65669,   //
    IDS_SYNC_ACCOUNTS_5 = 65670,   //
    IDS_SYNC_CATEGORIES_1 = 65671, //
    IDS_SYNC_CATEGORIES_2 = 65672, //
    IDS_SYNC_CATEGORIES_5 = 65673, //
    IDS_SYNC_GONE = 65674,         // %1: items deleted
    IDS_SYNC_CHANGED = 65675,      // %1: fields changed
    IDS_SYNC_RESTORED = 65676,     // %1: categories brought back
    IDS_MENU_SYNC = 65677,
    IDS_SYNC_TITLE = 65678,
    IDS_SYNC_FROM_FILE = 65679,    // %1: when
    IDS_SYNC_FROM_COPY = 65680,    // %1: when, %2: the copy's name, %3: the sync service
    IDS_SYNC_CONFLICT = 65681,     // %1: what, %2: here, %3: in the copy, %4: kept
    IDS_SYNC_NONE_YET = 65682,     //
    IDS_SYNC_COPY_REFUSED = 65683, // %1: the copy's name, %2: why
    IDS_SYNC_WHY_UNREADABLE = 65684,
    IDS_SYNC_WHY_NOT_DATA = 65685,
    IDS_SYNC_WHY_LATER = 65686,
    IDS_SYNC_WHY_DAMAGED = 65687,
    IDS_SYNC_WHY_TOO_LARGE = 65688, // %1: the merge's reason
    IDS_SYNC_NOT_MOVED = 65689,     // %1: the copy's name, %2: the system's reason
    // Open dialogs that follow a merge.
    IDS_ENTRIES_NODE_GONE = 65700,
    // Reading a bank's statement: why its file is refused (%1: the line, %2: what it names).
    IDS_STATEMENT_NOT_TEXT = 65740,
    IDS_STATEMENT_TOO_LARGE = 65741, // %2: the file's size in bytes
    IDS_STATEMENT_BAD_DATE = 65742,
    IDS_STATEMENT_BAD_AMOUNT = 65743,
    IDS_STATEMENT_AMOUNT_RANGE = 65744,
    IDS_STATEMENT_NOT_QIF = 65745, // %2: how the file begins
    IDS_STATEMENT_QIF_NO_BANK = 65746,
    IDS_STATEMENT_QIF_NO_DATE = 65747,
    IDS_STATEMENT_QIF_NO_AMOUNT = 65748,
    IDS_STATEMENT_QIF_BAD_LINE = 65749,
    IDS_STATEMENT_BAD_QUOTES = 65750,
    IDS_STATEMENT_NO_COLUMN = 65751,         // %2: the column, from 1
    IDS_STATEMENT_MAPPING_FITS_NONE = 65752, // %2: the most columns a row has
    IDS_STATEMENT_BAD_MAPPING = 65753,
    IDS_STATEMENT_NO_AMOUNT = 65754,
    IDS_STATEMENT_EMPTY = 65755,
    IDS_STATEMENT_TOO_MANY_ROWS = 65756,
    IDS_STATEMENT_TOO_MANY_COLUMNS = 65757,
    IDS_STATEMENT_TOO_MANY_VALUES = 65758,
    IDS_STATEMENT_NO_DATES = 65759, // %2: the date's column, from 1
    // More windows that follow a merge, and the commands begun in them.
    IDS_REGISTER_ACCOUNT_GONE = 65720,
    IDS_TRANSFER_ACCOUNT_GONE = 65721, // %1: the account's last name
    IDS_EXPENSE_ARTICLE_GONE = 65722,
    IDS_NEW_NODE_PARENT_GONE = 65723,

    // The import of a bank's statement.
    IDS_CHANGE_IMPORT_STATEMENT = 65800, // %1: the account
    // The import rules' changes, as Undo and Redo name them; %1: the rule's words.
    IDS_CHANGE_NEW_RULE = 65840,
    IDS_CHANGE_EDIT_RULE = 65841,
    IDS_CHANGE_MOVE_RULE = 65842,
    IDS_CHANGE_DELETE_RULE = 65843,
    IDS_SYNC_IMPORT_MEMORY = 65844, // a merge changed the import rules or bank ids
    // An OFX statement read by the helper program tamblero-ofx (%1: the line, %2: the detail).
    IDS_OFX_REFUSED = 65900,
    IDS_OFX_REFUSED_AT = 65901,
    IDS_OFX_CRASHED = 65902,
    IDS_OFX_TIMED_OUT = 65903,
    IDS_OFX_TOO_MUCH = 65904,
    IDS_OFX_NO_HELPER = 65905,
    IDS_OFX_NOT_STARTED = 65906,
    IDS_OFX_BAD_OUTPUT = 65907,
    IDS_STATEMENT_OFX_NOT_YET = 65801,
    // The window's import of a bank's statement and its preview.
    IDS_MENU_IMPORT_STATEMENT = 65860,
    IDS_STATEMENT_TITLE = 65861,
    IDS_STATEMENT_FILE_FILTER = 65862,
    IDS_STATEMENT_ACCOUNT = 65863,
    IDS_STATEMENT_COL_DATE = 65864,
    IDS_STATEMENT_COL_DESCRIPTION = 65865,
    IDS_STATEMENT_COL_AMOUNT = 65866,
    IDS_STATEMENT_COL_ARTICLE = 65867,
    IDS_STATEMENT_COL_MARK = 65868,
    IDS_STATEMENT_DUPLICATE = 65869,
    IDS_STATEMENT_DEPOSIT = 65870,
    IDS_STATEMENT_ROUNDS_TO_ZERO = 65871,
    IDS_STATEMENT_REST_TO = 65872,
    IDS_STATEMENT_NO_ARTICLE = 65873, // %1: how many rows
    IDS_STATEMENT_TOTALS = 65874,     // %1: the exact total, %2: the rounded one, %3, %4: counts
    IDS_STATEMENT_REMEMBER = 65875,   // %1: the words, %2: the article's path
    IDS_STATEMENT_IMPORT = 65876,
    IDS_STATEMENT_ENCODING = 65877,
    IDS_STATEMENT_ENCODINGS = 65878, // in the order of TextEncoding
    IDS_STATEMENT_DELIMITER = 65879,
    IDS_STATEMENT_DELIMITERS = 65880,
    IDS_STATEMENT_DECIMAL = 65881,
    IDS_STATEMENT_DECIMALS = 65882,
    IDS_STATEMENT_DATE_FORM = 65883,
    IDS_STATEMENT_DATE_FORMS = 65884, // in the order of DateForm
    IDS_STATEMENT_MAP_DATE = 65885,
    IDS_STATEMENT_MAP_AMOUNT = 65886,
    IDS_STATEMENT_MAP_DEBIT = 65887,
    IDS_STATEMENT_MAP_CREDIT = 65888,
    IDS_STATEMENT_MAP_DESCRIPTION = 65889,
    IDS_STATEMENT_MAP_ID = 65890,
    IDS_STATEMENT_COLUMN_NONE = 65891,
    IDS_STATEMENT_COLUMN = 65892,     // %1: from 1
    IDS_STATEMENT_REFUSED = 65893,    // %1: the file's name, %2: why
    IDS_STATEMENT_UNNAMEABLE = 65895, // %1: the account
    IDS_STATEMENT_NO_ACCOUNTS = 65896,
    IDS_STATEMENT_ACCOUNT_GONE = 65897, // %1: the account's last name
    IDS_STATEMENT_DATE_GUESSED = 65898,
    IDS_STATEMENT_CSV = 65899,
    // The window of the import rules and its form for one rule.
    IDS_MENU_RULES = 65920,
    IDS_RULES_TITLE = 65921,
    IDS_RULES_COL_WORDS = 65922,
    IDS_RULES_COL_ARTICLE = 65923,
    IDS_RULES_COL_RANGE = 65924,
    IDS_RULES_ARTICLE_GONE = 65925,
    IDS_RULES_FROM = 65926,    // %1: the least amount
    IDS_RULES_TO = 65927,      // %1: the most
    IDS_RULES_BETWEEN = 65928, // %1: the least, %2: the most
    IDS_RULES_EDIT = 65929,
    IDS_RULES_UP = 65930,
    IDS_RULES_DOWN = 65931,
    IDS_RULES_DELETE = 65932,
    IDS_RULE_TITLE = 65933,
    IDS_RULE_WORDS = 65934,
    IDS_RULE_ARTICLE = 65935,
    IDS_RULE_LEAST = 65936,
    IDS_RULE_MOST = 65937,
    // The statement's preview while the helper reads an OFX statement.
    IDS_STATEMENT_READING = 66020, // %1: the file's name
    // The grid's last column: each row's total over the whole period.
    IDS_PERIOD_TOTAL = 66060,
    // A CSV statement read as the last one of its account.
    IDS_STATEMENT_CSV_REMEMBERED = 66040, // %1: the account
    IDS_STATEMENT_CSV_MISFIT = 66041,     // %1: the account
    // Budgets: their changes, dialog, grid and status bar.
    IDS_CHANGE_SET_BUDGET = 66100,    // %1: the node's name
    IDS_CHANGE_REMOVE_BUDGET = 66101, // %1: the node's name
    IDS_BUDGET_COMMAND = 66102,
    IDS_BUDGET_TIP = 66103,   // %1: the budget, %2: spent, %3: left
    IDS_BUDGET_TITLE = 66104, // %1: the node's name
    IDS_BUDGET_SAME = 66105,
    IDS_BUDGET_PER_MONTH = 66106,
    IDS_BUDGET_AMOUNT = 66107,
    IDS_BUDGET_FROM = 66108,
    IDS_BUDGET_YEAR = 66109,
    IDS_BUDGET_CARRY = 66110,
    IDS_BUDGET_REMOVE = 66111,
    IDS_BUDGET_STATUS = 66112, // %1: the node's name, %2: what is left this month
    IDS_BUDGET_NONE = 66113,
    IDS_SYNC_BUDGETS = 66114,
    // A merge changed the scheduled expenses or what became of their occurrences.
    IDS_SYNC_SCHEDULES = 66280,
    IDS_BUDGET_JANUARY = 66120, // and the next eleven months in order
    // The tree's context menu.
    IDS_TREE_RENAME = 66180,

    // Scheduled expenses: their changes, the list and its form, the due list.
    IDS_CHANGE_RECORD_OCCURRENCE = 66200, // %1: the article
    IDS_CHANGE_SKIP_OCCURRENCES = 66201,
    IDS_CHANGE_NEW_SCHEDULE = 66202,    // %1: the article
    IDS_CHANGE_EDIT_SCHEDULE = 66203,   // %1: the article
    IDS_CHANGE_DELETE_SCHEDULE = 66204, // %1: the article
    IDS_SCHEDULES_MENU = 66205,
    IDS_SCHEDULES_TITLE = 66206,
    IDS_SCHEDULES_ADD = 66207,
    IDS_SCHEDULES_EDIT = 66208,
    IDS_SCHEDULES_DELETE = 66209,
    IDS_SCHEDULES_COL_ARTICLE = 66210,
    IDS_SCHEDULES_COL_AMOUNT = 66211,
    IDS_SCHEDULES_COL_REPEAT = 66212,
    IDS_SCHEDULES_COL_NEXT = 66213,
    IDS_SCHEDULES_COL_MODE = 66214,
    IDS_SCHEDULE_TITLE = 66215,
    IDS_SCHEDULE_ARTICLE = 66216,
    IDS_SCHEDULE_AMOUNT = 66217,
    IDS_SCHEDULE_ACCOUNT = 66218,
    IDS_SCHEDULE_NOTE = 66219,
    IDS_SCHEDULE_FIRST = 66220,
    IDS_SCHEDULE_REPEAT = 66221,
    IDS_SCHEDULE_EVERY = 66222,
    IDS_SCHEDULE_WEEKEND = 66223,
    IDS_SCHEDULE_END = 66224,
    IDS_SCHEDULE_MODE = 66225,
    IDS_SCHEDULE_NO_ACCOUNT = 66226,
    IDS_REPEAT_DAYS = 66227,
    IDS_REPEAT_WEEKS = 66228,
    IDS_REPEAT_MONTHS = 66229,
    IDS_REPEAT_YEARS = 66230,
    IDS_REPEAT_LAST_DAY = 66231,
    IDS_WEEKEND_KEEP = 66232,
    IDS_WEEKEND_FRIDAY = 66233,
    IDS_WEEKEND_MONDAY = 66234,
    IDS_END_NEVER = 66235,
    IDS_END_ON_DAY = 66236,
    IDS_END_AFTER_COUNT = 66237,
    IDS_MODE_REMIND = 66238,
    IDS_MODE_RECORD = 66239,
    IDS_REPEAT_EVERY_N = 66240,
    IDS_DUE_TITLE = 66241,
    IDS_DUE_INTRO = 66242,
    IDS_DUE_RECORD_ALL = 66243,
    IDS_DUE_RECORD_CHOSEN = 66244,
    IDS_DUE_SKIP = 66245,
    IDS_DUE_LATER = 66246,
    IDS_DUE_COL_DAY = 66247,
    IDS_AUTO_RECORDED = 66248,
    IDS_SCHEDULE_TIMES = 66249,
    IDS_SCHEDULE_NO_NEXT = 66250,
    IDS_SCHEDULE_BAD_AMOUNT = 66251,
};

// The captions that set a message's tone.
inline constexpr const char16_t* kCaptionInfo = u";-)";
inline constexpr const char16_t* kCaptionError = u":-(";
inline constexpr const char16_t* kCaptionQuestion = u":-\\";
inline constexpr const char16_t* kCaptionWarning = u":-[]";
inline constexpr const char16_t* kAppTitle = u"Tamblero";

// The text of a string-table entry; an unknown number yields an empty text.
[[nodiscard]] const std::u16string& LoadString(unsigned id);
// The entry's text with "%1", "%2"... replaced by the arguments in order.
[[nodiscard]] std::u16string FormatString(unsigned id,
                                          std::initializer_list<std::u16string_view> args);

} // namespace tamblero
