#include "views/ChartWindow.h"

#include "dialogs/QtStrings.h"
#include "model/CategoryNode.h"
#include "resources/StringTable.h"
#include "views/CategoryTreeModel.h"
#include "views/FileDialogs.h"
#include "views/FinancesTreeView.h"
#include "views/MainFrame.h"

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

// A chart without legend or animation, drawn smoothly, owned by its view.
QChartView* NewChartView(QChart* chart, QWidget* parent) {
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

// Two sets stacked: spending above zero, refunds below it in their own colour.
std::pair<QBarSet*, QBarSet*> NewSets(QAbstractBarSeries* series) {
    auto* spent = new QBarSet(QString());
    auto* refund = new QBarSet(QString());
    spent->setColor(QColor(0x3b, 0x7d, 0xd8));
    refund->setColor(QColor(0xd8, 0x5b, 0x3b));
    spent->setSelectedColor(QColor(0x1b, 0x3d, 0x78));
    refund->setSelectedColor(QColor(0x78, 0x2b, 0x1b));
    series->append(spent);
    series->append(refund);
    return {spent, refund};
}

void Fill(QBarSet& set, const QList<qreal>& values) {
    set.remove(0, set.count());
    set.append(values);
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

} // namespace

CChartWindow::CChartWindow(CMainFrame& frame)
    : QWidget(&frame, Qt::Window), m_frame(frame), m_doc(*frame.GetDocument()),
      m_pColumnBox(new QComboBox(this)), m_pCharts(new QWidget(this)), m_pShares(new QChart),
      m_pColumns(new QChart) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_pSharesView = NewChartView(m_pShares, m_pCharts);
    m_pColumnsView = NewChartView(m_pColumns, m_pCharts);

    auto* shares = new QHorizontalStackedBarSeries;
    std::tie(m_pShareSpent, m_pShareRefund) = NewSets(shares);
    m_pShares->addSeries(shares);
    m_pShareNames = new QBarCategoryAxis;
    m_pShareValues = new QValueAxis;
    m_pShareValues->setLabelFormat(QStringLiteral("%.0f"));
    m_pShares->addAxis(m_pShareNames, Qt::AlignLeft);
    m_pShares->addAxis(m_pShareValues, Qt::AlignBottom);
    shares->attachAxis(m_pShareNames);
    shares->attachAxis(m_pShareValues);

    auto* columns = new QStackedBarSeries;
    std::tie(m_pColumnSpent, m_pColumnRefund) = NewSets(columns);
    m_pColumns->addSeries(columns);
    m_pColumnNames = new QBarCategoryAxis;
    m_pColumnValues = new QValueAxis;
    m_pColumnValues->setLabelFormat(QStringLiteral("%.0f"));
    m_pColumns->addAxis(m_pColumnNames, Qt::AlignBottom);
    m_pColumns->addAxis(m_pColumnValues, Qt::AlignLeft);
    columns->attachAxis(m_pColumnNames);
    columns->attachAxis(m_pColumnValues);
    // A click on a column's bar shows that column's shares.
    for (QBarSet* set : {m_pColumnSpent, m_pColumnRefund}) {
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

    // Follows the period, the selection, renamed nodes and every change of the totals.
    connect(&frame, &CMainFrame::periodChanged, this, &CChartWindow::OnPeriodChanged);
    connect(&frame.TreeView(), &CFinancesTreeView::selectedNodeChanged, this,
            &CChartWindow::ScheduleRefresh);
    connect(&frame.TreeView().Model(), &QAbstractItemModel::dataChanged, this,
            &CChartWindow::ScheduleRefresh);
    m_doc.AddView(this);

    m_nPeriodKind = m_frame.m_nPeriodKind;
    m_nColumn = std::max(0, m_frame.m_period.IndexOfToday(m_frame.Platform()));
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
    if (m_frame.m_nPeriodKind != m_nPeriodKind) {
        m_nPeriodKind = m_frame.m_nPeriodKind;
        m_nColumn = std::max(0, m_frame.m_period.IndexOfToday(m_frame.Platform()));
    }
    ScheduleRefresh();
}

void CChartWindow::SetColumn(int column) {
    if (column < 0 || column >= m_frame.m_period.GetCount()) {
        return;
    }
    m_nColumn = column;
    Refresh();
}

void CChartWindow::Refresh() {
    m_bRefreshPending = false;
    const CPeriod& period = m_frame.m_period;
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
    QStringList titles;
    QList<qreal> spent;
    QList<qreal> refunded;
    qreal low = 0;
    qreal high = 0;
    for (auto it = m_data.shares.rbegin(); it != m_data.shares.rend(); ++it) {
        const QString name =
            it->node != nullptr ? CCategoryTreeModel::ItemText(*it->node) : QStr(it->label);
        titles << Shortened(name) + QStringLiteral("  ") + QString::number(it->total);
        const qreal value = it->total;
        spent << std::max<qreal>(value, 0);
        refunded << std::min<qreal>(value, 0);
        low = std::min(low, value);
        high = std::max(high, value);
    }
    MakeUnique(titles);
    Fill(*m_pShareSpent, spent);
    Fill(*m_pShareRefund, refunded);
    m_pShareNames->setCategories(titles);
    SetRange(*m_pShareValues, low, high);
    const QString column = m_data.columns.empty()
                               ? QString()
                               : QStr(m_data.columns[static_cast<std::size_t>(m_nColumn)].label);
    m_pShares->setTitle(
        QStr(FormatString(IDS_CHART_SHARES, {U16(m_strGroup), U16(column),
                                             U16(QString::number(m_data.columnTotal))})));
}

void CChartWindow::FillColumns() {
    QStringList titles;
    QList<qreal> spent;
    QList<qreal> refunded;
    qreal low = 0;
    qreal high = 0;
    for (const ChartBar& bar : m_data.columns) {
        titles << QStr(bar.label);
        const qreal value = bar.total;
        spent << std::max<qreal>(value, 0);
        refunded << std::min<qreal>(value, 0);
        low = std::min(low, value);
        high = std::max(high, value);
    }
    MakeUnique(titles);
    Fill(*m_pColumnSpent, spent);
    Fill(*m_pColumnRefund, refunded);
    m_pColumnNames->setCategories(titles);
    // A month's 31 titles side by side would overlap.
    m_pColumnNames->setLabelsAngle(titles.size() > 12 ? -90 : 0);
    SetRange(*m_pColumnValues, low, high);
    for (QBarSet* set : {m_pColumnSpent, m_pColumnRefund}) {
        set->deselectAllBars();
        if (!titles.isEmpty()) {
            set->selectBar(m_nColumn);
        }
    }
    m_pColumns->setTitle(QStr(FormatString(IDS_CHART_COLUMNS, {m_frame.m_period.m_strLabel})));
}

CChartWindow::Bars CChartWindow::ShareBars() const {
    Bars bars;
    const QStringList titles = m_pShareNames->categories();
    for (qsizetype i = titles.size() - 1; i >= 0; --i) {
        const int at = static_cast<int>(i);
        bars.append({titles[i], m_pShareSpent->at(at) + m_pShareRefund->at(at)});
    }
    return bars;
}

CChartWindow::Bars CChartWindow::ColumnBars() const {
    Bars bars;
    const QStringList titles = m_pColumnNames->categories();
    for (qsizetype i = 0; i < titles.size(); ++i) {
        const int at = static_cast<int>(i);
        bars.append({titles[i], m_pColumnSpent->at(at) + m_pColumnRefund->at(at)});
    }
    return bars;
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
