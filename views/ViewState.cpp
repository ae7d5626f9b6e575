#include "views/ViewState.h"

#include "period/Period.h"
#include "views/FinancesListView.h"
#include "views/FinancesTreeView.h"
#include "views/MainFrame.h"
#include "views/PeriodBar.h"
#include "views/ScreenFit.h"
#include "views/TreePaths.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include <algorithm>

namespace tamblero {

namespace {

// The window's share of the screen at a first start.
constexpr int kScreenShareNum = 2;
constexpr int kScreenShareDen = 3;

const QString kKeyGeometry = QStringLiteral("window/geometry");
const QString kKeyDivider = QStringLiteral("window/divider");
const QString kKeyPeriodKind = QStringLiteral("view/periodKind");
const QString kKeyExpanded = QStringLiteral("view/expandedGroups");
const QString kKeyPath = QStringLiteral("path");

} // namespace

CViewState::CViewState(CMainFrame& frame, CScreenFit& screen, QSettings* settings)
    : m_frame(frame), m_screen(screen), m_pSettings(settings) {}

int CViewState::PeriodKind(int otherwise) const {
    bool ok = false;
    const int kind = m_pSettings != nullptr ? m_pSettings->value(kKeyPeriodKind).toInt(&ok) : 0;
    return ok && kind >= periodWeek && kind <= periodAll ? kind : otherwise;
}

void CViewState::RestoreWindow() {
    m_bSizeRestored = m_pSettings != nullptr && RestoreGeometry();
    m_bDividerRestored = false;
    if (!m_bSizeRestored) {
        SetFirstStartSize();
    }
    CPeriodBar& bar = m_frame.PeriodBar();
    const int width = m_frame.width();
    // The tree pane's width, taken only where the grid keeps some room beside it.
    if (m_pSettings != nullptr) {
        bool ok = false;
        const int tree = m_pSettings->value(kKeyDivider).toInt(&ok);
        const int grid = width - bar.handleWidth() - tree;
        if (ok && tree > 0 && grid > 0) {
            bar.setSizes({tree, grid});
            m_bDividerRestored = true;
        }
    }
    if (!m_bDividerRestored) {
        const int grid = std::max(m_frame.ListView().WidthForColumns(7), width / 2);
        bar.setSizes({width - grid, grid});
    }
}

bool CViewState::RestoreGeometry() {
    // Whatever the bytes say, the window must fit on a screen there is.
    if (!m_frame.restoreGeometry(m_pSettings->value(kKeyGeometry).toByteArray())) {
        return false;
    }
    const QRect restored = m_frame.geometry();
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
            return screen->availableGeometry().contains(restored);
        })) {
        return true;
    }
    m_frame.setWindowState(Qt::WindowNoState);
    return false;
}

void CViewState::SetFirstStartSize(int wantWidth) {
    // Two thirds of the screen, but at least the tree beside all seven days of a week, and
    // never more than the screen.
    const QRect avail = m_screen.AvailableGeometry();
    const int grid = m_frame.ListView().WidthForColumns(7);
    const int tree = m_frame.fontMetrics().averageCharWidth() * 24;
    QSize size(avail.width() * kScreenShareNum / kScreenShareDen,
               avail.height() * kScreenShareNum / kScreenShareDen);
    size = size.expandedTo(
        QSize(std::max(wantWidth, tree + grid + m_frame.PeriodBar().handleWidth()), 0));
    m_screen.FitOnScreen(size, true);
}

void CViewState::RestoreTree() {
    CFinancesTreeView& tree = m_frame.TreeView();
    if (m_pSettings != nullptr) {
        QList<QStringList> expanded;
        // No more entries than the tree has groups, whatever count the file claims.
        const int n = std::clamp(m_pSettings->beginReadArray(kKeyExpanded), 0, GroupCount(tree));
        for (int i = 0; i < n; ++i) {
            m_pSettings->setArrayIndex(i);
            expanded.append(m_pSettings->value(kKeyPath).toStringList());
        }
        m_pSettings->endArray();
        ExpandPaths(tree, expanded);
    }
    if (!m_bDividerRestored) {
        SplitByContent();
    }
}

void CViewState::SplitByContent() {
    // The tree as wide as its rows, between a fifth and half of the window, and the grid the
    // rest; at a first start the window widens, as far as the screen allows, so that the
    // rest holds a whole year.
    CPeriodBar& bar = m_frame.PeriodBar();
    const int handle = bar.handleWidth();
    const int year = m_frame.ListView().WidthForColumns(12) + handle;
    const int content = m_frame.TreeView().ContentWidth();
    if (!m_bSizeRestored) {
        const int want = std::max(content + year, year * 5 / 4 + 1);
        if (want > m_frame.width()) {
            SetFirstStartSize(want);
        }
    }
    const int total = m_frame.width();
    int tree = std::clamp(content, total / 5, std::max(total / 5, total / 2));
    tree = std::max(total / 5, std::min(tree, total - year));
    bar.setSizes({tree, std::max(0, total - handle - tree)});
}

void CViewState::Save(int periodKind) const {
    if (m_pSettings == nullptr) {
        return;
    }
    m_pSettings->setValue(kKeyGeometry, m_frame.saveGeometry());
    m_pSettings->setValue(kKeyDivider, m_frame.PeriodBar().sizes().value(0));
    m_pSettings->setValue(kKeyPeriodKind, periodKind);
    const QList<QStringList> expanded = ExpandedPaths(m_frame.TreeView());
    // Entries past the new count would stay in the file otherwise.
    m_pSettings->remove(kKeyExpanded);
    m_pSettings->beginWriteArray(kKeyExpanded, static_cast<int>(expanded.size()));
    for (int i = 0; i < expanded.size(); ++i) {
        m_pSettings->setArrayIndex(i);
        m_pSettings->setValue(kKeyPath, expanded[i]);
    }
    m_pSettings->endArray();
    m_pSettings->sync();
}

} // namespace tamblero
