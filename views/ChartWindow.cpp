#include "views/ChartWindow.h"

#include "dialogs/QtStrings.h"
#include "model/CategoryNode.h"
#include "period/Period.h"
#include "resources/StringTable.h"
#include "views/CategoryTreeModel.h"
#include "views/FileDialogs.h"
#include "views/FinancesTreeView.h"
#include "views/MainFrame.h"
#include "views/ScreenFit.h"

#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHorizontalStackedBarSeries>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QStackedBarSeries>
#include <QSvgGenerator>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <iterator>

namespace tamblero {

namespace {

// Long names would squeeze the bars to nothing.
QString Shortened(const QString& name) {
    constexpr qsizetype kLongest = 32;
    return name.size() <= kLongest ? name : name.left(kLongest - 1) + QChar(0x2026);
}

// A category axis drops a repeated title; two children may bear the same name, so the
// repeats are told apart by invisible zero-width spaces.
void MakeUnique(QStringList& titles) {
    for (qsizetype i = 0; i < titles.size(); ++i) {
        while (titles.indexOf(titles[i]) < i) {
            titles[i] += QChar(0x200B);
        }
    }
}

// A chart without legend or animation over the series, its titles along one side and its
// values along the other.
StackedBars NewStackedBars(QAbstractBarSeries* series, Qt::Alignment titlesSide,
                           Qt::Alignment valuesSide) {
    StackedBars bars{new QChart, new QBarSet(QString()), new QBarSet(QString()),
                     new QBarCategoryAxis, new QValueAxis};
    bars.chart->legend()->hide();
    bars.chart->setAnimationOptions(QChart::NoAnimation);
    bars.spent->setColor(QColor(0x3b, 0x7d, 0xd8));
    bars.refund->setColor(QColor(0xd8, 0x5b, 0x3b));
    bars.spent->setSelectedColor(QColor(0x1b, 0x3d, 0x78));
    bars.refund->setSelectedColor(QColor(0x78, 0x2b, 0x1b));
    series->append(bars.spent);
    series->append(bars.refund);
    bars.chart->addSeries(series);
    bars.values->setLabelFormat(QStringLiteral("%.0f"));
    bars.chart->addAxis(bars.titles, titlesSide);
    bars.chart->addAxis(bars.values, valuesSide);
    series->attachAxis(bars.titles);
    series->attachAxis(bars.values);
    return bars;
}

// Drawn smoothly, owned by its view.
QChartView* NewChartView(QChart* chart, QWidget* parent) {
    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

// Zero always in sight, so the side a bar grows to says whether it was spent or refunded.
void SetRange(QValueAxis& axis, qreal low, qreal high) {
    low = std::min<qreal>(low, 0);
    high = std::max<qreal>(high, 0);
    if (low == high) {
        high = 1;
    }
    axis.setRange(low, high);
    axis.setTickCount(5);
    axis.applyNiceNumbers();
    // Amounts are whole: a small range gets one tick per unit, not repeated rounded labels.
    const int units = qRound(axis.max() - axis.min());
    if (units < axis.tickCount() - 1) {
        axis.setTickCount(units + 1);
    }
}

// Draws one bar for each of the bars from `first` to `last`, in that order, titled by `title`.
template <std::input_iterator Iterator, class Title>
void Fill(StackedBars& chart, Iterator first, Iterator last, const Title& title) {
    QStringList titles;
    QList<qreal> spent;
    QList<qreal> refunded;
    qreal low = 0;
    qreal high = 0;
    for (; first != last; ++first) {
        const ChartBar& bar = *first;
        titles << title(bar);
        const qreal value = bar.total;
        spent << std::max<qreal>(value, 0);
        refunded << std::min<qreal>(value, 0);
        low = std::min(low, value);
        high = std::max(high, value);
    }
    MakeUnique(titles);
    chart.spent->remove(0, chart.spent->count());
    chart.spent->append(spent);
    chart.refund->remove(0, chart.refund->count());
    chart.refund->append(refunded);
    chart.titles->setCategories(titles);
    SetRange(*chart.values, low, high);
}

// The bars as drawn, in the axis's order.
CChartWindow::Bars BarsOf(const StackedBars& chart) {
    CChartWindow::Bars bars;
    const QStringList titles = chart.titles->categories();
    for (qsizetype i = 0; i < titles.size(); ++i) {
        const int at = static_cast<int>(i);
        bars.append({titles[i], chart.spent->at(at) + chart.refund->at(at)});
    }
    return bars;
}

} // namespace

CChartWindow::CChartWindow(CMainFrame& frame)
    : QWidget(&frame, Qt::Window), m_frame(frame), m_doc(*frame.GetDocument()),
      m_pColumnBox(new QComboBox(this)), m_pCharts(new QWidget(this)),
      m_shares(NewStackedBars(new QHorizontalStackedBarSeries, Qt::AlignLeft, Qt::AlignBottom)),
      m_columns(NewStackedBars(new QStackedBarSeries, Qt::AlignBottom, Qt::AlignLeft)) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_pSharesView = NewChartView(m_shares.chart, m_pCharts);
    m_pColumnsView = NewChartView(m_columns.chart, m_pCharts);
    // A click on a column's bar shows that column's shares.
    for (QBarSet* set : {m_columns.spent, m_columns.refund}) {
        connect(set, &QBarSet::clicked, this, &CChartWindow::SetColumn);
    }

    m_pColumnBox->setObjectName(QStringLiteral("column"));
    m_pColumnBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_pColumnBox, &QComboBox::activated, this, &CChartWindow::SetColumn);
    auto* save = new QPushButton(QText(IDS_CHART_SAVE), this);
    save->setObjectName(QStringLiteral("saveChart"));
    save->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, &CChartWindow::OnSave);

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QText(IDS_CHART_COLUMN), this));
    bar->addWidget(m_pColumnBox);
    bar->addStretch(1);
    bar->addWidget(save);
    auto* charts = new QVBoxLayout(m_pCharts);
    charts->setContentsMargins(0, 0, 0, 0);
    charts->addWidget(m_pSharesView, 3);
    charts->addWidget(m_pColumnsView, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_pCharts, 1);
    resize(720, 640);
    // Beside the main window rather than over it, as far as the screen allows.
    const CScreenFit frameFit(frame);
    const QMargins decoration = frameFit.Decoration();
    constexpr int kNarrowest = 400;
    setGeometry(FrameBeside(frame.frameGeometry(), size().grownBy(decoration), kNarrowest,
                            frameFit.AvailableGeometry())
                    .marginsRemoved(decoration));
    // Closed by the keys of a document window and of a dialog alike.
    auto* closing = new QAction(this);
    closing->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)});
    closing->setShortcutContext(Qt::WindowShortcut);
    connect(closing, &QAction::triggered, this, &QWidget::close);
    addAction(closing);

    // Follows the period, the selection, renamed nodes and every change of the totals.
    connect(&frame, &CMainFrame::periodChanged, this, &CChartWindow::OnPeriodChanged);
    connect(&frame.TreeView(), &CFinancesTreeView::selectedNodeChanged, this,
            &CChartWindow::ScheduleRefresh);
    connect(&frame.TreeView().Model(), &QAbstractItemModel::dataChanged, this,
            &CChartWindow::ScheduleRefresh);
    m_doc.AddView(this);

    m_nPeriodKind = m_frame.PeriodKind();
    m_nColumn = std::max(0, m_frame.CurrentPeriod().IndexOfToday(m_frame.Platform()));
    Refresh();
}

CChartWindow::~CChartWindow() {
    m_doc.RemoveView(this);
}

void CChartWindow::OnUpdate(CDocView* /*sender*/, int /*hint*/) {
    ScheduleRefresh();
}

void CChartWindow::ScheduleRefresh() {
    if (m_bRefreshPending) {
        return;
    }
    m_bRefreshPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_bRefreshPending) {
            Refresh();
        }
    });
}

void CChartWindow::OnPeriodChanged() {
    // Stepping keeps the column's place (the same weekday, the same month); another kind
    // of period starts at today's column, or the first.
    if (m_frame.PeriodKind() != m_nPeriodKind) {
        m_nPeriodKind = m_frame.PeriodKind();
        m_nColumn = std::max(0, m_frame.CurrentPeriod().IndexOfToday(m_frame.Platform()));
    }
    ScheduleRefresh();
}

void CChartWindow::SetColumn(int column) {
    if (column < 0 || column >= m_frame.CurrentPeriod().GetCount()) {
        return;
    }
    m_nColumn = column;
    Refresh();
}

void CChartWindow::Refresh() {
    m_bRefreshPending = false;
    const CPeriod& period = m_frame.CurrentPeriod();
    m_nColumn = std::clamp(m_nColumn, 0, std::max(0, period.GetCount() - 1));
    CExpenseGroup* group = ChartGroupFor(m_frame.TreeView().GetSelectedNode(), m_doc.GetRoot());
    m_data = group != nullptr ? BuildChartData(*group, period, m_nColumn) : ChartData{};
    m_strGroup = group != nullptr ? CCategoryTreeModel::ItemText(*group) : QString();
    setWindowTitle(QStr(FormatString(IDS_CHART_TITLE, {U16(m_strGroup)})));

    m_pColumnBox->clear();
    for (const ChartBar& bar : m_data.columns) {
        m_pColumnBox->addItem(QStr(bar.label));
    }
    m_pColumnBox->setCurrentIndex(m_nColumn);
    FillShares();
    FillColumns();
}

void CChartWindow::FillShares() {
    // The longest bar on top: a horizontal chart lists its categories from the bottom up.
    Fill(m_shares, m_data.shares.rbegin(), m_data.shares.rend(), [](const ChartBar& bar) {
        const QString name =
            bar.node != nullptr ? CCategoryTreeModel::ItemText(*bar.node) : QStr(bar.label);
        return Shortened(name) + QStringLiteral("  ") + QString::number(bar.total);
    });
    QString column;
    if (!m_data.columns.empty()) {
        // A day's header names its weekday beside the grid's other days; alone in a title it
        // names its month.
        const CPeriodColumn& shown = m_frame.CurrentPeriod().GetAt(m_nColumn);
        column = shown.m_firstDay == shown.m_lastDay
                     ? QStr(FormatDay(shown.m_firstDay, u"d MMM", m_frame.Platform()))
                     : QStr(m_data.columns[static_cast<std::size_t>(m_nColumn)].label);
    }
    m_shares.chart->setTitle(
        QStr(FormatString(IDS_CHART_SHARES, {U16(m_strGroup), U16(column),
                                             U16(QString::number(m_data.columnTotal))})));
}

void CChartWindow::FillColumns() {
    Fill(m_columns, m_data.columns.begin(), m_data.columns.end(),
         [](const ChartBar& bar) { return QStr(bar.label); });
    // A month's 31 titles side by side would overlap.
    m_columns.titles->setLabelsAngle(m_data.columns.size() > 12 ? -90 : 0);
    for (QBarSet* set : {m_columns.spent, m_columns.refund}) {
        set->deselectAllBars();
        if (!m_data.columns.empty()) {
            set->selectBar(m_nColumn);
        }
    }
    m_columns.chart->setTitle(
        QStr(FormatString(IDS_CHART_COLUMNS, {m_frame.CurrentPeriod().m_strLabel})));
}

CChartWindow::Bars CChartWindow::ShareBars() const {
    Bars bars = BarsOf(m_shares);
    std::reverse(bars.begin(), bars.end());
    return bars;
}

QString CChartWindow::SharesTitle() const {
    return m_shares.chart->title();
}

CChartWindow::Bars CChartWindow::ColumnBars() const {
    return BarsOf(m_columns);
}

bool CChartWindow::SaveImage(const QString& path) {
    if (m_bRefreshPending) {
        Refresh();
    }
    const QSize size = m_pCharts->size().isEmpty() ? m_pCharts->sizeHint() : m_pCharts->size();
    // Written beside the target and renamed over it only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(), size));
        svg.setTitle(windowTitle());
        QPainter painter(&svg);
        m_pCharts->render(&painter);
        if (!painter.end()) {
            file.cancelWriting();
        }
    } else {
        const qreal scale = devicePixelRatioF();
        QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::white);
        QPainter painter(&image);
        m_pCharts->render(&painter);
        painter.end();
        if (!image.save(&file, "PNG")) {
            file.cancelWriting();
        }
    }
    return file.commit();
}

void CChartWindow::OnSave() {
    const QString path = AskFileName(this, m_frame.Settings(), FileDialogKind::ChartPicture,
                                     QText(IDS_CHART_FILE_NAME) + QStringLiteral(".png"));
    if (path.isEmpty()) {
        return;
    }
    if (!SaveImage(path)) {
        m_frame.Platform().MessageBox(FormatString(IDS_CHART_SAVE_FAILED, {U16(path)}),
                                      kCaptionError, MsgButtons::Ok, MsgIcon::Error);
    }
}

} // namespace tamblero
