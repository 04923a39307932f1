#pragma once

#include "core/check/FileStatistics.h"
#include "core/check/Problem.h"

#include <QColor>
#include <QList>
#include <QPair>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

class ChartView;
class QDate;
class QChart;
class QGridLayout;
class QLabel;

// The file at a glance (Tools > File Summary): the headline figures at the
// top (lblBatches, lblClaims, lblServiceLines, lblTotalCharges: the claims'
// stated charges, lblLineCharges: their lines', lblWithoutXa0, lblProblems),
// then charts (ChartView): charges per batch (chtBatches) and per provider
// (chtProviders), claims and line charges side by side, claims per month of
// service (chtMonths, in longer periods when there are many months), claim
// charges (chtClaimCharges), problems by kind (chtProblems) and the top
// procedure codes (chtProcedures). No chart draws more than a few dozen bars.
// A click on a bar asks for what it stands for to be opened; the window
// itself knows no other window.
class frmSummary : public QWidget {
    Q_OBJECT
public:
    // At most this many batches get a bar: those with the most charges.
    static constexpr int kMaxBatchBars = int(qm::FileStatistics::kBatchesKept);
    // At most this many providers get a bar: those with the most charges.
    static constexpr int kMaxProviderBars = 10;
    // The height of a chart with many bars down its side.
    static constexpr int kTallChartHeight = 330;
    // The headline figures in no fewer columns than this, however narrow.
    static constexpr int kFewestFigureColumns = 2;

    explicit frmSummary(QWidget* parent = nullptr);

    // Shows these figures; null: there are none yet.
    void setStatistics(std::shared_ptr<const qm::FileStatistics> statistics);
    const std::shared_ptr<const qm::FileStatistics>& statistics() const { return statistics_; }
    // What the figures are about to say, as how far the check has come (lblStatus).
    void setStatus(const QString& text);
    // The colour of each kind of problem's bar: that of its mark.
    void setKindColors(const std::array<QColor, qm::Problem::kKindCount>& colors);

    ChartView* chartView(const QString& name) const;
    // What a printout shows: the headline figures as shown (caption, value)
    // and the charts in the order of their views.
    QList<QPair<QString, QString>> figures() const;
    std::vector<QChart*> charts() const;
    QSize minimumSizeHint() const override;
    // Whether some chart still shows older figures than the window's: the
    // charts are drawn one at a time, each in a turn of the event loop.
    bool chartsPending() const { return pending_ != 0; }

signals:
    // The batch whose BA0 is at position (of the file tree key "BA0" + position).
    void batchChosen(qint64 position);
    void kindChosen(qm::Problem::Kind kind);
    // The months of service from first's to last's (a bar's month, quarter,
    // year or run of years).
    void periodChosen(const QDate& first, const QDate& last);
    // A procedure code, as the file has it (trimmed).
    void procedureChosen(const QString& code);
    // A chart was saved: "Saved chart to PATH".
    void chartSaved(const QString& confirmation);
    // Every chart shows the window's figures.
    void chartsDrawn();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showFigures();
    // The headline figures in one row, or in two when the window is narrow.
    void placeFigures();
    // The width the headline figures take in this many columns.
    int figuresWidth(int columns) const;
    QChart* batchChart();
    QChart* providerChart();
    QChart* monthChart();
    QChart* chargeChart();
    QChart* problemChart();
    QChart* procedureChart();
    // Draws these charts (bits in the order of the views) again, one per turn.
    void drawLater(unsigned charts);
    void drawNextChart();

    std::shared_ptr<const qm::FileStatistics> statistics_;
    std::array<QColor, qm::Problem::kKindCount> kindColors_;
    QLabel* status_ = nullptr;
    QLabel* batches_ = nullptr;
    QLabel* claims_ = nullptr;
    QLabel* serviceLines_ = nullptr;
    QLabel* charges_ = nullptr;
    QLabel* lineCharges_ = nullptr;
    QLabel* withoutXa0_ = nullptr;
    QLabel* problems_ = nullptr;
    QGridLayout* headline_ = nullptr;
    std::array<QWidget*, 7> figures_{};
    int figureColumns_ = 0;
    QGridLayout* charts_ = nullptr;
    unsigned pending_ = 0;
    bool drawQueued_ = false;
};
