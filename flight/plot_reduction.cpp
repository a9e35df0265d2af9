#include "flight/plot_reduction.h"

#include <algorithm>
#include <cmath>

namespace orrimar {

namespace {

void Include(ColumnRange::Column& column, double y)
{
    if (column.Empty) {
        column.Min = column.Max = y;
        column.Empty = false;
    } else {
        column.Min = std::min(column.Min, y);
        column.Max = std::max(column.Max, y);
    }
}

ColumnRange::Column Merged(const ColumnRange::Column& a, const ColumnRange::Column& b)
{
    if (a.Empty)
        return b;
    if (b.Empty)
        return a;
    return {std::min(a.Min, b.Min), std::max(a.Max, b.Max), false};
}

}  // namespace

TrajectoryThinner::TrajectoryThinner(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 2))
{
}

void TrajectoryThinner::Clear()
{
    stride_ = 1;
    added_ = 0;
    last_ = {};
    kept_.clear();
}

void TrajectoryThinner::Add(double x, double y)
{
    last_ = {x, y};
    if (added_++ % stride_ != 0)
        return;
    kept_.push_back(last_);
    if (kept_.size() < capacity_)
        return;
    // Keep the points at even positions: their indices are the multiples of 2·stride.
    std::size_t to = 0;
    for (std::size_t from = 0; from < kept_.size(); from += 2)
        kept_[to++] = kept_[from];
    kept_.resize(to);
    stride_ *= 2;
}

ColumnRange::ColumnRange(double firstWidth, std::size_t maxColumns)
    : firstWidth_(firstWidth > 0.0 && std::isfinite(firstWidth) ? firstWidth : 1.0),
      width_(firstWidth_),
      maxColumns_(std::max<std::size_t>(maxColumns, 2))
{
}

void ColumnRange::Clear()
{
    width_ = firstWidth_;
    columns_.clear();
    overall_ = {};
}

void ColumnRange::Add(double x, double y)
{
    if (std::isnan(y))
        return;
    if (!(x >= 0.0) || !std::isfinite(x))
        x = 0.0;
    // Widen first, so that the column index below is in range (the loop ends: the width
    // doubles each time and x is finite).
    while (x / width_ >= static_cast<double>(maxColumns_))
        Widen();
    const auto k = std::min(static_cast<std::size_t>(x / width_), maxColumns_ - 1);
    if (columns_.size() <= k)
        columns_.resize(k + 1);
    Include(columns_[k], y);
    Include(overall_, y);
}

void ColumnRange::Widen()
{
    std::vector<Column> merged((columns_.size() + 1) / 2);
    for (std::size_t i = 0; i < columns_.size(); ++i)
        merged[i / 2] = Merged(merged[i / 2], columns_[i]);
    columns_ = std::move(merged);
    width_ *= 2.0;
}

std::vector<PlanePoint> ColumnRange::Outline() const
{
    std::vector<PlanePoint> outline;
    outline.reserve(2 * columns_.size());
    for (std::size_t k = 0; k < columns_.size(); ++k) {
        const Column& c = columns_[k];
        if (c.Empty)
            continue;
        const double x = (static_cast<double>(k) + 0.5) * width_;
        outline.push_back({x, c.Min});
        if (c.Max != c.Min)
            outline.push_back({x, c.Max});
    }
    return outline;
}

}  // namespace orrimar
