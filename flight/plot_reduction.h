// Long flights reduced to what a plot can show, so that memory stays bounded however
// long a flight runs: a trajectory thinned to a fixed number of points, and a series
// over time kept as its least and greatest value per column.
#pragma once

#include <cstddef>
#include <vector>

namespace orrimar {

struct PlanePoint {
    double X = 0.0;
    double Y = 0.0;
};

// Keeps every Stride()-th point added, the first included; when Capacity() points are
// kept, every second one is dropped and the stride doubles. The last point added is
// kept apart, so that a drawing reaches the craft.
class TrajectoryThinner {
public:
    explicit TrajectoryThinner(std::size_t capacity = 32768);
    void Clear();
    void Add(double x, double y);

    const std::vector<PlanePoint>& Kept() const { return kept_; }
    bool HasLast() const { return added_ > 0; }
    PlanePoint Last() const { return last_; }
    std::size_t Added() const { return added_; }
    std::size_t Stride() const { return stride_; }
    std::size_t Capacity() const { return capacity_; }

private:
    std::size_t capacity_;
    std::size_t stride_ = 1;
    std::size_t added_ = 0;
    PlanePoint last_;
    std::vector<PlanePoint> kept_;
};

// The least and greatest y of the values added per column [k·w, (k+1)·w) of x ≥ 0, at
// most a given number of columns: when x passes the last, the width doubles and pairs
// of columns merge. Negative or non-finite x go to the first column; NaN y is skipped.
class ColumnRange {
public:
    struct Column {
        double Min = 0.0;
        double Max = 0.0;
        bool Empty = true;
    };

    ColumnRange(double firstWidth, std::size_t maxColumns);
    void Clear();
    void Add(double x, double y);

    double Width() const { return width_; }
    std::size_t MaxColumns() const { return maxColumns_; }
    // Columns from x = 0 up to the last one holding a value.
    const std::vector<Column>& Columns() const { return columns_; }
    // The least and greatest y of all values added (Empty when none).
    Column Overall() const { return overall_; }

    // The columns as a polyline for plotting: at each column's centre its least then
    // greatest value (one point when they are equal); empty columns are left out.
    std::vector<PlanePoint> Outline() const;

private:
    void Widen();

    double firstWidth_;
    double width_;
    std::size_t maxColumns_;
    std::vector<Column> columns_;
    Column overall_;
};

}  // namespace orrimar
