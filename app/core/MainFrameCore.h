// The part of the main window that owns the reporting period and reaches the
// document, without any toolkit: the Qt main window derives from it, and tests
// and the command-line tool build it alone.
#pragma once

#include "app/platform/Platform.h"
#include "model/ModelHost.h"
#include "period/Period.h"

namespace tamblero {

class CVerdalonDoc;
class CDocView;

class CMainFrameCore : public IModelHost {
public:
    // Publishes itself as g_pMainFrame and builds the current week.
    explicit CMainFrameCore(IPlatform& platform);
    ~CMainFrameCore() override;
    CMainFrameCore(const CMainFrameCore&) = delete;
    CMainFrameCore& operator=(const CMainFrameCore&) = delete;

    [[nodiscard]] IPlatform& Platform() const { return m_platform; }
    [[nodiscard]] CVerdalonDoc* GetDocument() const { return m_pDocument; }
    void SetDocument(CVerdalonDoc* document) { m_pDocument = document; }
    // The kind of the current period (week, month, year, all time); the panes read the
    // period itself through CurrentPeriod().
    [[nodiscard]] int PeriodKind() const { return m_nPeriodKind; }

    // Rebuilds the period from the kind and the anchor, marks every cached total
    // stale and lets the window show it.
    void RefreshPeriod();

    // Navigation; each that changes something ends in RefreshPeriod.
    void OnPeriodPrev();
    void OnPeriodNext();
    void OnPeriodZoomOut();
    void ZoomIn(int column);
    void OnGoToday();

    // What the model asks of its host, answered from the document and the platform.
    [[nodiscard]] const CPeriod& CurrentPeriod() const final { return m_period; }
    void RecordDay(DayNumber day) final;
    void RefreshViews() final;
    [[nodiscard]] bool ConfirmNegativeBalance() final;
    void NotifyNotRefunded() final;
    void NotifyBalanceOutOfRange(const std::u16string& account, std::int64_t delta,
                                 std::int64_t after) final;

    int m_nPeriodKind = periodWeek;
    DayNumber m_nAnchorDay = 0;
    CPeriod m_period;
    // The tree pane: left out when the model asks the views to refresh.
    CDocView* m_pTreeView = nullptr;

protected:
    // After the period was rebuilt: the window retitles its bar and its grid.
    virtual void OnPeriodRefreshed() {}
    // After going to today: the window centres that column.
    virtual void CenterColumn(int /*column*/) {}

private:
    IPlatform& m_platform;
    CVerdalonDoc* m_pDocument = nullptr;
};

} // namespace tamblero
