#include "ui/burns_panel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace orrimar {

namespace {

enum Column { WhenColumn, AlongColumn, LeftColumn, Columns };

QString Number(double value) { return QString::number(value, 'g', 12); }

}  // namespace

BurnsPanel::BurnsPanel(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* caption = new QLabel("Burns", this);
    table_ = new QTableWidget(0, Columns, this);
    table_->setObjectName("burnsTable");
    table_->setHorizontalHeaderLabels({"When", "Along", "Left"});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setToolTip("When: days after launch, or perilune or perigee (the first closest "
                       "approach to the Moon or the Earth).\nAlong: km/s along the velocity "
                       "(negative brakes). Left: km/s to the left of the motion.");
    // Four rows at once (more scroll): the report above keeps the rest of the column.
    table_->setMinimumHeight(90);
    table_->setMaximumHeight(table_->horizontalHeader()->sizeHint().height() +
                             4 * table_->verticalHeader()->defaultSectionSize() +
                             2 * table_->frameWidth() + 2);
    addButton_ = new QPushButton("&Add burn", this);
    addButton_->setObjectName("addBurnButton");
    removeButton_ = new QPushButton("&Remove", this);
    removeButton_->setObjectName("removeBurnButton");
    messageLabel_ = new QLabel(this);
    messageLabel_->setObjectName("burnsMessage");
    messageLabel_->setWordWrap(true);
    messageLabel_->setStyleSheet("color: #b00000");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton_);
    buttons->addWidget(removeButton_);
    layout->addWidget(caption);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    layout->addWidget(messageLabel_);

    connect(addButton_, &QPushButton::clicked, this, &BurnsPanel::addBurn);
    connect(removeButton_, &QPushButton::clicked, this, &BurnsPanel::removeBurn);
    connect(table_, &QTableWidget::cellChanged, this, &BurnsPanel::cellEdited);
    setBurns({});
}

void BurnsPanel::setBurns(std::vector<FlightBurn> burns)
{
    if (burns.size() > static_cast<std::size_t>(MaxFlightBurns))
        burns.resize(static_cast<std::size_t>(MaxFlightBurns));
    burns_ = std::move(burns);
    filling_ = true;
    table_->setRowCount(static_cast<int>(burns_.size()));
    for (int row = 0; row < table_->rowCount(); ++row)
        showRow(row);
    filling_ = false;
    removeButton_->setEnabled(!burns_.empty());
    messageLabel_->clear();
    emit burnsChanged();
}

QString BurnsPanel::refusal(const FlightBurn& burn)
{
    if (std::abs(burn.AlongKms) <= MaxKms && std::abs(burn.LeftKms) <= MaxKms)
        return {};
    return QString("a Δv beyond ±%1 km/s").arg(MaxKms);
}

QString BurnsPanel::message() const { return messageLabel_->text(); }

void BurnsPanel::addBurn()
{
    if (burns_.size() >= static_cast<std::size_t>(MaxFlightBurns)) {
        refuse(QString("At most %1 burns per flight.").arg(MaxFlightBurns));
        return;
    }
    std::vector<FlightBurn> burns = burns_;
    burns.push_back(FlightBurn{FlightBurn::AtPerilune, 0.0, 0.0, 0.0});
    setBurns(std::move(burns));
    table_->setCurrentCell(table_->rowCount() - 1, AlongColumn);
    table_->setFocus();  // the Δv typed at once
}

void BurnsPanel::removeBurn()
{
    if (burns_.empty())
        return;
    int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(burns_.size()))
        row = static_cast<int>(burns_.size()) - 1;
    std::vector<FlightBurn> burns = burns_;
    burns.erase(burns.begin() + row);
    setBurns(std::move(burns));
}

void BurnsPanel::setBurnDv(int nr, double alongKms, double leftKms)
{
    if (nr < 0 || nr >= static_cast<int>(burns_.size()) || !std::isfinite(alongKms) ||
        !std::isfinite(leftKms))
        return;
    std::vector<FlightBurn> burns = burns_;
    const auto kept = [](double kms) {
        return std::clamp(std::round(kms * 1e4) / 1e4, -MaxKms, MaxKms);
    };
    burns[static_cast<std::size_t>(nr)].AlongKms = kept(alongKms);
    burns[static_cast<std::size_t>(nr)].LeftKms = kept(leftKms);
    const int current = table_->currentRow();
    setBurns(std::move(burns));
    table_->setCurrentCell(current, table_->currentColumn());
}

void BurnsPanel::showRow(int row)
{
    const FlightBurn& burn = burns_[static_cast<std::size_t>(row)];
    const QString texts[Columns] = {QString::fromStdString(BurnWhenText(burn)),
                                    Number(burn.AlongKms), Number(burn.LeftKms)};
    const bool wasFilling = filling_;
    filling_ = true;
    for (int column = 0; column < Columns; ++column) {
        QTableWidgetItem* item = table_->item(row, column);
        if (!item)
            table_->setItem(row, column, new QTableWidgetItem(texts[column]));
        else
            item->setText(texts[column]);
    }
    filling_ = wasFilling;
}

void BurnsPanel::refuse(const QString& why)
{
    messageLabel_->setText(why);
    QApplication::beep();
}

void BurnsPanel::cellEdited(int row, int column)
{
    if (filling_ || row < 0 || row >= static_cast<int>(burns_.size()))
        return;
    auto text = [&](int c) {
        const QTableWidgetItem* item = table_->item(row, c);
        return item ? item->text().trimmed() : QString();
    };
    const QString typed = text(column);
    try {
        if (typed.isEmpty())
            throw std::invalid_argument("an empty cell");
        // The burn as the tool's --burn reads it: one rule for both.
        const std::string plan =
            (text(WhenColumn) + ':' + text(AlongColumn) + ':' + text(LeftColumn)).toStdString();
        const FlightBurn burn = ParseBurn(plan);
        if (const QString why = refusal(burn); !why.isEmpty())
            throw std::invalid_argument(why.toStdString());
        burns_[static_cast<std::size_t>(row)] = burn;
    } catch (const std::exception& e) {
        showRow(row);
        refuse(QString("Burn %1: \"%2\" refused: %3.")
                   .arg(row + 1)
                   .arg(typed, QString::fromUtf8(e.what())));
        return;
    }
    showRow(row);
    messageLabel_->clear();
    emit burnsChanged();
}

}  // namespace orrimar
