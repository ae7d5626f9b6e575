# Precompiled headers. Parsing Qt's headers, and GoogleTest's, again for every source file was
# most of what a build cost, so each set below is parsed once per build: the Qt libraries on
# Qt Widgets use the dialogs' set, the Qt tests and the GoogleTest executables each the set of
# one holder target of their own (tests/support/CMakeLists.txt). A target reuses a set only
# where its flags match the holder's, since GCC refuses a set built under other macros or
# code-model flags (-Winvalid-pch, an error under -Werror); executables take -fPIE, libraries
# -fPIC, which is why the tests' holders are executables.
set(TAMBLERO_QT_HEADERS
  <QAbstractItemModel> <QAbstractTableModel> <QAction> <QApplication> <QComboBox> <QDate>
  <QDateEdit> <QDialog> <QEvent> <QFile> <QFileInfo> <QFormLayout> <QGuiApplication>
  <QHBoxLayout> <QHeaderView> <QIcon> <QKeyEvent> <QLabel> <QLineEdit> <QList> <QLocale>
  <QMouseEvent> <QObject> <QPainter> <QPointer> <QPushButton> <QScreen> <QScrollBar>
  <QSettings> <QSize> <QString> <QStringList> <QStyledItemDelegate> <QTableView>
  <QTableWidget> <QTimer> <QVBoxLayout> <QWidget>
  <algorithm> <functional> <memory> <optional> <string> <vector>)
# Not Qt Test's own headers: two tests say how it moves the mouse before including them.
set(TAMBLERO_QT_TEST_HEADERS ${TAMBLERO_QT_HEADERS}
  <QCheckBox> <QMenu> <QTemporaryDir> <QToolBar> <QToolButton> <QtCore>)
set(TAMBLERO_GTEST_HEADERS
  <gtest/gtest.h>
  <algorithm> <array> <cstdint> <filesystem> <functional> <map> <memory> <optional> <span>
  <string> <string_view> <utility> <vector>)

