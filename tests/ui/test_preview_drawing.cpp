// The preview's labels: wherever their points crowd, no label covers another or a mark,
// and each stays near its point unless walled in.
#include "ui/preview_drawing.h"

#include <QtTest>

#include <cmath>
#include <vector>

using namespace orrimar;
using Requests = std::vector<LabelRequest>;
using Boxes = std::vector<QRectF>;

class TestPreviewDrawing : public QObject {
    Q_OBJECT

private slots:
    void LabelsNeverOverlap_data()
    {
        QTest::addColumn<Requests>("labels");
        QTest::addColumn<Boxes>("marks");
        QTest::addColumn<double>("near");  // the farthest a label may be from its point
        const QSizeF caption(90, 15);
        const auto mark = [](QPointF p) { return QRectF(p - QPointF(5, 5), QSizeF(10, 10)); };
        Requests spot(6, {{200, 200}, caption}), row, column, moon;
        // The orbit at the Moon: its approach, the end and eight burns a few pixels apart,
        // each with its mark, and L2 with its name beside them.
        Boxes moonMarks{mark({330, 300}), QRectF(335, 285, 16, 15)};
        for (int i = 0; i < 10; ++i) {
            row.push_back({{100.0 + 12 * i, 200}, caption});
            column.push_back({{200, 100.0 + 6 * i}, caption});
            const QPointF p(300.0 + 3.0 * std::cos(i), 300.0 + 3.0 * std::sin(i));
            moon.push_back({p, QSizeF(60.0 + 10 * (i % 3), 15)});
            moonMarks.push_back(mark(p));
        }
        QTest::newRow("one spot") << spot << Boxes{mark({200, 200})} << 60.0;
        QTest::newRow("a row") << row << Boxes{} << 60.0;
        QTest::newRow("a column") << column << Boxes{} << 60.0;
        QTest::newRow("burns at the Moon") << moon << moonMarks << 90.0;
        // Marks all around but a 10-pixel hole at the point: the labels go below them.
        QTest::newRow("walled in") << Requests(2, {{200, 200}, caption})
                                   << Boxes{{0, 0, 400, 195}, {0, 205, 400, 195}, {0, 195, 195, 10},
                                            {205, 195, 195, 10}}
                                   << 1e9;
        // The same with a Lagrange point's mark far off to the side: it doesn't push them away.
        QTest::newRow("walled in, a mark far aside")
            << Requests(2, {{200, 200}, caption})
            << Boxes{{0, 0, 400, 195}, {0, 205, 400, 195}, {0, 195, 195, 10}, {205, 195, 195, 10},
                     mark({2000, 5000})}
            << 250.0;
    }
    void LabelsNeverOverlap()
    {
        QFETCH(Requests, labels);
        QFETCH(Boxes, marks);
        QFETCH(double, near);
        const Boxes boxes = placeLabels(labels, marks);
        QCOMPARE(boxes.size(), labels.size());
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const QString nr = QString::number(i);
            QCOMPARE(boxes[i].size(), labels[i].Size);
            QVERIFY2(boxes[i].adjusted(-near, -near, near, near).contains(labels[i].Anchor), qPrintable(nr));
            for (std::size_t j = 0; j < i; ++j)
                QVERIFY2(!boxes[i].intersects(boxes[j]), qPrintable(nr + " " + QString::number(j)));
            for (const QRectF& m : marks)
                QVERIFY2(!boxes[i].intersects(m), qPrintable(nr));
        }
        // A label with room beside its point takes the first place: right below it.
        if (marks.empty())
            QCOMPARE(boxes[0].topLeft(), labels[0].Anchor + QPointF(6, 3));
    }
};

QTEST_MAIN(TestPreviewDrawing)
#include "test_preview_drawing.moc"
