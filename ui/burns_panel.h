// The planned burns after launch: a small table (when; km/s along; km/s left) with Add and
// Remove. A cell typed wrong is put back as it was, and the line below says why: the burns
// kept are always valid ones.
#pragma once

#include "flight/flight_burn.h"

#include <QString>
#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace orrimar {

class BurnsPanel : public QWidget {
    Q_OBJECT

public:
    // Each Δv component is kept within ±MaxKms km/s: beyond, it is a typo (the launch
    // itself is below 100 km/s).
    static constexpr double MaxKms = 100.0;

    explicit BurnsPanel(QWidget* parent = nullptr);

    // Why the table would refuse a burn read by ParseBurn (a Δv component that is not
    // finite or beyond ±MaxKms); empty when it takes it.
    static QString refusal(const FlightBurn& burn);

    const std::vector<FlightBurn>& burns() const { return burns_; }
    // At most MaxFlightBurns are taken.
    void setBurns(std::vector<FlightBurn> burns);
    // Why the last edit was refused; empty after a good one.
    QString message() const;
    QTableWidget* table() const { return table_; }

public slots:
    // A perilune burn of no Δv, to be edited; refused beyond MaxFlightBurns.
    void addBurn();
    // The selected row, or the last one.
    void removeBurn();
    // Burn nr's Δv, e.g. from its handle dragged, rounded to 0.1 m/s (within ±MaxKms).
    void setBurnDv(int nr, double alongKms, double leftKms);

signals:
    void burnsChanged();

private:
    void cellEdited(int row, int column);
    void showRow(int row);
    void refuse(const QString& why);

    std::vector<FlightBurn> burns_;
    bool filling_ = false;
    QTableWidget* table_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QLabel* messageLabel_ = nullptr;
};

}  // namespace orrimar
